#include "app/CCommandLine.h"
#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "document/CTarnwickDoc.h"
#include "html/CElementDump.h"
#include "platform/CRegistry.h"
#include "ui/headless/CHeadlessBackend.h"

#ifdef VESTRIAL_WITH_GUI
#include "ui/fltk/CFltkBackend.h"
#endif

#include <cstdio>
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
    CContentHandlers handlers;
    CRegistry registry(CRegistry::DefaultPath());
    CTarnwickApp app(*backend, registry);
    if (!app.InitInstance(commandLine))
        return 1;
    bool headless = commandLine.shell == CCommandLine::Shell::Headless;
    if (headless)
        app.QuitWhenIdle();
    int exitCode = app.Run();
    if (commandLine.dumpElements && app.TopDocument() && app.TopDocument()->ContentObject())
        CElementDump(*app.TopDocument()->ContentObject()).Write(stdout);
    app.ExitInstance();
    // Without a window, a message box (a failed load among them) is the
    // outcome a script must be able to see.
    if (headless && exitCode == 0 && !static_cast<CHeadlessBackend&>(*backend).Shown().empty())
        exitCode = 1;
    return exitCode;
}
