#include "shell/ScriptEnvironment.h"

#include "app/CTarnwickApp.h"
#include "platform/Verify.h"
#include "ui/headless/CHeadlessBackend.h"
#include "view/CTarnwickView.h"

namespace {

std::string g_frame;

} // namespace

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

void SetScriptFrame(std::string name) {
    g_frame = std::move(name);
}

const std::string& ScriptFrame() {
    return g_frame;
}

CTarnwickView* ScriptView(std::string& error) {
    CTarnwickView* top = ScriptApp().TopView();
    if (!top) {
        error = "there is no page window";
        return nullptr;
    }
    if (g_frame.empty())
        return top;
    CTarnwickView* frame = top->FindViewByFrameName(g_frame);
    if (!frame)
        error = "the page shown has no frame called \"" + g_frame + "\"";
    return frame;
}

CHeadlessViewWindow* ScriptWindow(std::string& error) {
    CTarnwickView* view = ScriptView(error);
    if (!view)
        return nullptr;
    auto* window = dynamic_cast<CHeadlessViewWindow*>(&view->Window());
    if (!window)
        error = "the page is not shown in a window without a display";
    return window;
}
