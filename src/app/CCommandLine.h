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
    // Headless only: paint the page once it and everything it refers to have
    // loaded and been laid out, and write the picture as a PNG file here.
    std::string screenshot;
    // With screenshot: the whole document instead of the first screen.
    bool fullPage = false;
    // Headless only: print the page's display items once laid out.
    bool dumpLayout = false;
    // Headless only: the script of commands to follow ("-" for standard
    // input). It starts on an empty page unless a URL is given.
    std::string script;
    // The client size of the page window in the headless shell.
    int width = 800;
    int height = 600;

    bool OpensSomething() const { return !target.empty(); }
    bool SuppressesHomePage() const { return !script.empty(); }
};

struct CCommandLineResult {
    std::optional<CCommandLine> commandLine;
    std::string error; // set when commandLine is empty
};

CCommandLineResult ParseCommandLine(const std::vector<std::string>& arguments);

const char* CommandLineUsage();
