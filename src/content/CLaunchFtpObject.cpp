#include "content/CLaunchFtpObject.h"

#include "platform/ui/CUiBackend.h"

void CLaunchFtpObject::Execute() {
    if (CUiBackend* ui = CurrentUi())
        ui->MessageBox("Launch ftp client", MessageBoxButtons::Ok, MessageBoxIcon::Information);
}
