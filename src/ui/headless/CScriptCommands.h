#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line of a script, cut into words: blanks separate them, and a word in
// double quotes may hold blanks ("" is an empty word; \" and \\ stand for
// themselves inside quotes).
struct ScriptLine {
    int number = 0;
    std::string name;
    std::vector<std::string> args;
    // Everything after the name and the blanks that follow it, as written.
    std::string text;
};

// How a command ended: a bad argument is the script's fault (exit status 2),
// a failure the program's or the page's (exit status 1). Either stops the run.
struct ScriptResult {
    enum class Kind { Done, BadArgument, Failed };
    Kind kind = Kind::Done;
    std::string message;

    static ScriptResult Done() { return {}; }
    static ScriptResult BadArgument(std::string message) {
        return {Kind::BadArgument, std::move(message)};
    }
    static ScriptResult Failed(std::string message) { return {Kind::Failed, std::move(message)}; }
};

// What a command is given when it runs.
struct ScriptCall {
    const ScriptLine& line;
    std::ostream& out; // print output: one line per call
    std::ostream& err; // notes, such as a command that was not enabled
    const std::string& Arg(size_t i) const { return line.args.at(i); }
};

// A command of the script shell. The runner checks the number of words and
// calls check (before anything runs, so a mistake on a late line costs no
// time) and run (when its turn comes). A command waits for the page to
// settle after the previous one, unless waitForSettle is false (stop, which
// acts on what the previous command started).
struct ScriptCommand {
    static constexpr size_t AnyNumber = std::numeric_limits<size_t>::max();

    std::string name;
    std::string usage; // "open URL"
    size_t minArgs = 0;
    size_t maxArgs = 0;
    std::function<ScriptResult(const ScriptCall&)> run;
    // Empty text: the arguments are good.
    std::function<std::string(const ScriptLine&)> check = {};
    bool waitForSettle = true;
    // When set, decides waitForSettle line by line (a command whose
    // arguments may name stop).
    std::function<bool(const ScriptLine&)> waitsFor = {};

    [[nodiscard]] bool WaitsForSettle(const ScriptLine& line) const {
        return waitsFor ? waitsFor(line) : waitForSettle;
    }
};

// A topic of "print WHAT": writes what it shows to call.out.
struct PrintTopic {
    std::string name;
    std::function<ScriptResult(const ScriptCall&)> print;
    // False for what is worth seeing while something still loads.
    bool waitForSettle = true;
    // The topic takes one more word ("print menu hotlist"): call.Arg(1).
    bool takesArgument = false;
};

// The commands and print topics a script may use. "print" is the table's
// own command: it looks the topic up here.
class CScriptCommands {
public:
    CScriptCommands();
    // "print" refers to its own table.
    CScriptCommands(const CScriptCommands&) = delete;
    CScriptCommands& operator=(const CScriptCommands&) = delete;

    // The table the program uses; commands register into it as the program
    // starts (ScriptCommandRegistration).
    static CScriptCommands& Program();

    void Add(ScriptCommand command);
    void Add(PrintTopic topic);
    [[nodiscard]] const ScriptCommand* Find(std::string_view name) const;
    [[nodiscard]] const PrintTopic* FindTopic(std::string_view name) const;
    [[nodiscard]] std::string TopicNames() const;

private:
    std::map<std::string, ScriptCommand, std::less<>> m_commands;
    std::map<std::string, PrintTopic, std::less<>> m_topics;
};

// Adds commands and print topics to the program's table. A file of commands
// declares one at namespace scope; it must be compiled into the program
// itself (not a static library, whose unreferenced objects the linker drops).
struct ScriptCommandRegistration {
    ScriptCommandRegistration(std::initializer_list<ScriptCommand> commands,
                              std::initializer_list<PrintTopic> topics = {});
};

// Cuts one line into words; nothing when its quotes do not close (error then
// says why). The name is the first word.
[[nodiscard]] std::optional<ScriptLine> ParseScriptLine(std::string_view text, int number,
                                                        std::string& error);
