#include "app/CCommandLine.h"

#include "platform/gdi/CDibSection.h"

#include <charconv>
#include <strings.h>

namespace {

static_assert(CDibSection::kMaxDimension == 16384, "the --size message names the limit");

// "WxH" with both in 1..kMaxDimension, the largest page section there is.
bool ParseSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    auto number = [](const char* first, const char* last, int& out) {
        auto [end, error] = std::from_chars(first, last, out);
        return error == std::errc() && end == last && out >= 1 && out <= CDibSection::kMaxDimension;
    };
    const char* begin = text.data();
    return number(begin, begin + x, width) && number(begin + x + 1, begin + text.size(), height);
}

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
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
        };
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--headless") {
            commandLine.shell = CCommandLine::Shell::Headless;
        } else if (!optionsEnded && argument == "--dump-elements") {
            commandLine.dumpElements = true;
        } else if (!optionsEnded && argument == "--dump-layout") {
            commandLine.dumpLayout = true;
        } else if (!optionsEnded && argument == "--full") {
            commandLine.fullPage = true;
        } else if (!optionsEnded && argument == "--screenshot") {
            const std::string* path = value();
            if (!path || path->empty())
                return {std::nullopt, "--screenshot needs the path of the PNG file to write"};
            commandLine.screenshot = *path;
        } else if (!optionsEnded && argument == "--script") {
            const std::string* path = value();
            if (!path || path->empty())
                return {std::nullopt,
                        "--script needs the path of the script (- for standard input)"};
            commandLine.script = *path;
        } else if (!optionsEnded && argument == "--size") {
            const std::string* size = value();
            if (!size || !ParseSize(*size, commandLine.width, commandLine.height))
                return {std::nullopt, "--size needs WIDTHxHEIGHT, each 1 to 16384"};
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
    bool headless = commandLine.shell == CCommandLine::Shell::Headless;
    if (commandLine.dumpElements && !headless)
        return {std::nullopt, "--dump-elements needs --headless"};
    if ((!commandLine.screenshot.empty() || commandLine.dumpLayout) && !headless)
        return {std::nullopt, "--screenshot and --dump-layout need --headless"};
    if (commandLine.fullPage && commandLine.screenshot.empty())
        return {std::nullopt, "--full needs --screenshot"};
    if (!commandLine.script.empty()) {
        if (!headless)
            return {std::nullopt, "--script needs --headless"};
        // A script has commands of its own for these.
        if (!commandLine.screenshot.empty() || commandLine.dumpLayout || commandLine.dumpElements)
            return {std::nullopt, "--script cannot be combined with --screenshot, --dump-layout or "
                                  "--dump-elements (use its commands instead)"};
    }
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
           "  --screenshot FILE  with --headless: write the loaded, laid-out page as a PNG\n"
           "  --full       with --screenshot: the whole page instead of the first screen\n"
           "  --dump-layout  with --headless: print the page's display items\n"
           "  --size WxH   with --headless: the page window's size (default 800x600)\n"
           "  --script FILE  with --headless: follow the commands in FILE (- for standard\n"
           "               input), one per line; see the README\n"
           "  --version    print the version and exit\n"
           "  --help       print this help and exit\n";
}
