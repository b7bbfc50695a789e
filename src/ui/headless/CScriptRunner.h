#pragma once

#include "ui/headless/CScriptCommands.h"

#include <chrono>
#include <iosfwd>
#include <string_view>
#include <vector>

class CHeadlessInput;

// Follows a script, one command per line, the way a user drives the window:
// each command runs once the page has settled after the one before (nothing
// loading, laid out, no message waiting), as an input of the UI loop. Blank
// lines and lines starting with "#" are skipped. The whole script is checked
// before anything runs; an unknown command or a bad argument stops it with
// "line N: ..." on err and exit status 2, a failure with status 1. After the
// last command has settled the loop ends with status 0. UI thread only.
class CScriptRunner {
public:
    // How long the page may take to settle after a command before the run
    // fails: bounded, so that a script never waits for ever.
    static constexpr std::chrono::seconds DefaultSettleLimit{120};

    CScriptRunner(const CScriptCommands& commands, CHeadlessInput& input, std::ostream& out,
                  std::ostream& err);

    // Checks every line; false (status 2, the message on err) on a mistake.
    [[nodiscard]] bool Load(std::string_view script);
    void SetSettleLimit(std::chrono::milliseconds limit) { m_settleLimit = limit; }

    // The loop idles: settled says whether the page has settled. Queues the
    // next command when its turn has come, and ends the loop (PostQuitMessage
    // with the exit status) after the last one or on a failure.
    void OnIdle(bool settled);

    [[nodiscard]] bool Finished() const { return m_finished; }
    [[nodiscard]] int ExitStatus() const { return m_exitStatus; }

private:
    using Clock = std::chrono::steady_clock;

    void RunLine(size_t index);
    void Report(int lineNumber, const std::string& message);
    void Stop(int status, int lineNumber, const std::string& message);
    void Finish(int status);

    const CScriptCommands& m_commands;
    CHeadlessInput& m_input;
    std::ostream& m_out;
    std::ostream& m_err;
    std::vector<ScriptLine> m_lines;
    size_t m_next = 0;
    bool m_queued = false; // a command waits in the input queue
    bool m_finished = false;
    int m_exitStatus = 0;
    std::chrono::milliseconds m_settleLimit = DefaultSettleLimit;
    Clock::time_point m_waitingSince = Clock::now();
};
