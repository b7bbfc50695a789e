#include "app/CCommandLine.h"

#include <strings.h>

namespace {

// The component runtime passes these as "/Embedding" or "-Embedding", in any case.
bool IsServerFlag(const std::string& argument, const char* name) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return false;
    return strcasecmp(argument.c_str() + 1, name) == 0;
}

} // namespace

CCommandLineResult ParseCommandLine(const std::vector<std::string>& arguments) {
    CCommandLine commandLine;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--headless") {
            commandLine.shell = CCommandLine::Shell::Headless;
        } else if (!optionsEnded && argument == "--dump-elements") {
            commandLine.dumpElements = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            commandLine.action = CCommandLine::Action::Help;
        } else if (!optionsEnded && argument == "--version") {
            commandLine.action = CCommandLine::Action::Version;
        } else if (!optionsEnded && IsServerFlag(argument, "Embedding")) {
            commandLine.server = CCommandLine::Server::Embedding;
        } else if (!optionsEnded && IsServerFlag(argument, "Automation")) {
            commandLine.server = CCommandLine::Server::Automation;
        } else if (!optionsEnded && argument.starts_with("--")) {
            return {std::nullopt, "unknown option " + argument};
        } else if (!commandLine.target.empty()) {
            return {std::nullopt, "only one URL or file can be opened, got " + commandLine.target +
                                      " and " + argument};
        } else {
            commandLine.target = argument;
        }
    }
    if (commandLine.dumpElements && commandLine.shell != CCommandLine::Shell::Headless)
        return {std::nullopt, "--dump-elements needs --headless"};
    return {commandLine, {}};
}

const char* CommandLineUsage() {
    return "Usage: vestrial [OPTIONS] [URL | FILE]\n"
           "\n"
           "Opens URL or FILE in a browser window, or the home page when none is given.\n"
           "\n"
           "Options:\n"
           "  --headless   run without a display (for tests and snapshots)\n"
           "  --dump-elements  with --headless: print the page's element list as JSON lines\n"
           "  --version    print the version and exit\n"
           "  --help       print this help and exit\n";
}
