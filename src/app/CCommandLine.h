#pragma once

#include <optional>
#include <string>
#include <vector>

// What the program was asked to do on its command line.
struct CCommandLine {
    enum class Shell { Gui, Headless };
    enum class Action { Run, Help, Version };
    // Started by the component runtime rather than by a user ("Embedding" or
    // "Automation"): register and wait, open nothing.
    enum class Server { None, Embedding, Automation };

    Action action = Action::Run;
    Shell shell = Shell::Gui;
    Server server = Server::None;
    // The URL or path given, if any; a non-empty one suppresses the home page.
    std::string target;
    // Headless only: print the element list of the page once it has loaded.
    bool dumpElements = false;

    bool OpensSomething() const { return !target.empty(); }
};

struct CCommandLineResult {
    std::optional<CCommandLine> commandLine;
    std::string error; // set when commandLine is empty
};

CCommandLineResult ParseCommandLine(const std::vector<std::string>& arguments);

const char* CommandLineUsage();
