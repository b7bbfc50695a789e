#include "net/MailSettings.h"

#include "app/CAppSettings.h"

MailSettings ReadMailSettings() {
    MailSettings mail;
    if (CAppSettings* settings = GetSettings()) {
        // One snapshot, so the four belong together even while the
        // preferences change them.
        const CAppSettings::Values values = settings->Snapshot();
        mail.userName = values.userName;
        mail.userEmail = values.userEmail;
        mail.smtpServer = values.smtpServer;
        mail.smtpServerPort = values.smtpServerPort;
    }
    return mail;
}
