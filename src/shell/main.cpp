#include "app/CCommandLine.h"
#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "document/CTarnwickDoc.h"
#include "html/CElementDump.h"
#include "layout/CLayoutDump.h"
#include "platform/CRegistry.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CPngWriter.h"
#include "ui/headless/CHeadlessBackend.h"
#include "view/CTarnwickView.h"

#ifdef VESTRIAL_WITH_GUI
#include "ui/fltk/CFltkBackend.h"
#endif

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CUiBackend> CreateBackend(CCommandLine::Shell shell) {
    if (shell == CCommandLine::Shell::Headless)
        return std::make_unique<CHeadlessBackend>();
#ifdef VESTRIAL_WITH_GUI
    std::string error;
    if (auto backend = CreateFltkBackend(error))
        return backend;
    std::fprintf(stderr,
                 "vestrial: %s.\n"
                 "The browser window needs an X display. Without one, load pages with the\n"
                 "headless shell instead:  vestrial --headless URL\n",
                 error.c_str());
#else
    std::fprintf(stderr, "vestrial: this build has no window; use  vestrial --headless URL\n");
#endif
    return nullptr;
}

// The page as the window shows it (or whole), painted after everything has
// loaded and been laid out.
bool WriteScreenshot(CTarnwickApp& app, CHeadlessBackend& backend,
                     const CCommandLine& commandLine) {
    std::unique_ptr<CDibSection> whole;
    const CDibSection* picture = nullptr;
    if (commandLine.fullPage && app.TopView()) {
        whole = app.TopView()->PaintDocument();
        picture = whole.get();
    } else if (CHeadlessViewWindow* window = backend.View()) {
        window->InvalidateAll();
        window->Paint();
        picture = window->Screen();
    }
    if (!picture || !CPngWriter::WriteFile(*picture, commandLine.screenshot)) {
        std::fprintf(stderr, "vestrial: cannot write %s\n", commandLine.screenshot.c_str());
        return false;
    }
    return true;
}

bool WriteLayoutDump(CTarnwickApp& app) {
    CTarnwickView* view = app.TopView();
    if (!view || !view->CurrentLayout()) {
        std::fprintf(stderr, "vestrial: the page has no layout to dump\n");
        return false;
    }
    DumpLayout(*view->CurrentLayout(), std::cout);
    std::cout.flush();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CCommandLineResult parsed = ParseCommandLine(arguments);
    if (!parsed.commandLine) {
        std::fprintf(stderr, "vestrial: %s\n\n%s", parsed.error.c_str(), CommandLineUsage());
        return 2;
    }
    const CCommandLine& commandLine = *parsed.commandLine;
    if (commandLine.action == CCommandLine::Action::Help) {
        std::fputs(CommandLineUsage(), stdout);
        return 0;
    }
    if (commandLine.action == CCommandLine::Action::Version) {
        std::printf("vestrial %s\n", VESTRIAL_VERSION);
        return 0;
    }

    std::unique_ptr<CUiBackend> backend = CreateBackend(commandLine.shell);
    if (!backend)
        return 2;
    bool headless = commandLine.shell == CCommandLine::Shell::Headless;
    auto* headlessBackend = headless ? static_cast<CHeadlessBackend*>(backend.get()) : nullptr;
    if (headlessBackend)
        headlessBackend->SetViewSize({commandLine.width, commandLine.height});
    CContentHandlers handlers;
    CRegistry registry(CRegistry::DefaultPath());
    CTarnwickApp app(*backend, registry);
    if (!app.InitInstance(commandLine))
        return 1;
    if (headless)
        app.QuitWhenIdle();
    int exitCode = app.Run();
    if (commandLine.dumpElements && app.TopDocument() && app.TopDocument()->ContentObject())
        CElementDump(*app.TopDocument()->ContentObject()).Write(stdout);
    // A page that failed has nothing to show: its message is the outcome.
    bool failed = headlessBackend && !headlessBackend->Shown().empty();
    if (headlessBackend && !failed && exitCode == 0) {
        if (!commandLine.screenshot.empty() && !WriteScreenshot(app, *headlessBackend, commandLine))
            exitCode = 1;
        if (commandLine.dumpLayout && !WriteLayoutDump(app))
            exitCode = 1;
    }
    app.ExitInstance();
    // Without a window, a message box (a failed load among them) is the
    // outcome a script must be able to see.
    if (failed && exitCode == 0)
        exitCode = 1;
    return exitCode;
}
