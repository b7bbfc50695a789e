#include "app/CCommandLine.h"
#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "document/CTarnwickDoc.h"
#include "platform/CRegistry.h"
#include "shell/ShellOutput.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptRunner.h"

#ifdef VESTRIAL_WITH_GUI
#include "ui/fltk/CFltkBackend.h"
#endif

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
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

// The whole script, from a file or from standard input ("-").
bool ReadScript(const std::string& path, std::string& script) {
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return false;
        text << file.rdbuf();
    }
    script = text.str();
    return true;
}

// Without a window, what the options ask for is written once the page has
// settled; a message box (a failed load among them) is the outcome a script
// must be able to see.
int WriteRequestedOutput(CTarnwickApp& app, CHeadlessBackend& backend,
                         const CCommandLine& commandLine) {
    std::string error;
    if (commandLine.dumpElements && app.TopDocument() && app.TopDocument()->ContentObject())
        (void)WriteElementDump(app, std::cout, error);
    // A page that failed has nothing to show: its message is the outcome.
    if (!backend.Shown().empty())
        return 1;
    if (!commandLine.screenshot.empty() &&
        !WriteScreenshot(app, backend, commandLine.screenshot, commandLine.fullPage, error)) {
        std::fprintf(stderr, "vestrial: %s\n", error.c_str());
        return 1;
    }
    if (commandLine.dumpLayout && !WriteLayoutDump(app, std::cout, error)) {
        std::fprintf(stderr, "vestrial: %s\n", error.c_str());
        return 1;
    }
    return 0;
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

    // Checked before the program starts, so a mistake in a script costs
    // nothing; declared before the application, which calls it while it runs.
    bool scripted = !commandLine.script.empty();
    std::optional<CScriptRunner> runner;
    if (scripted) {
        std::string script;
        if (!ReadScript(commandLine.script, script)) {
            std::fprintf(stderr, "vestrial: cannot read the script %s\n",
                         commandLine.script.c_str());
            return 2;
        }
        runner.emplace(CScriptCommands::Program(), headlessBackend->Script(), std::cout, std::cerr);
        if (!runner->Load(script))
            return runner->ExitStatus();
    }

    CContentHandlers handlers;
    CRegistry registry(CRegistry::DefaultPath());
    CTarnwickApp app(*backend, registry);
    if (!app.InitInstance(commandLine))
        return 1;
    if (runner) {
        app.SetIdleObserver([&runner](bool settled) { runner->OnIdle(settled); });
        // The loop idles after an input: an empty one, so that a script that
        // opens nothing does not wait for the loop's idle time-out to start.
        headlessBackend->Script().Queue([] {});
    } else if (headless) {
        app.QuitWhenIdle();
    }
    int exitCode = app.Run();
    if (headlessBackend && !scripted && exitCode == 0)
        exitCode = WriteRequestedOutput(app, *headlessBackend, commandLine);
    app.ExitInstance();
    return exitCode;
}
