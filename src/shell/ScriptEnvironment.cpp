#include "shell/ScriptEnvironment.h"

#include "app/CTarnwickApp.h"
#include "platform/Verify.h"
#include "ui/headless/CHeadlessBackend.h"

CTarnwickApp& ScriptApp() {
    CTarnwickApp* app = CTarnwickApp::Instance();
    VERIFY(app);
    return *app;
}

CHeadlessBackend& ScriptBackend() {
    auto* backend = dynamic_cast<CHeadlessBackend*>(&ScriptApp().Ui());
    VERIFY(backend);
    return *backend;
}
