#include "ui/headless/CScriptRunner.h"

#include "platform/CMessageQueue.h"
#include "ui/headless/CHeadlessInput.h"

#include <ostream>

namespace {

constexpr int BadScript = 2;
constexpr int Failure = 1;

std::string CountOf(size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// Empty when the number of words fits the command.
std::string CheckArity(const ScriptCommand& command, size_t count) {
    if (count >= command.minArgs && count <= command.maxArgs)
        return {};
    std::string wanted =
        command.minArgs == command.maxArgs ? CountOf(command.minArgs, "argument")
        : command.maxArgs == ScriptCommand::AnyNumber
            ? "at least " + CountOf(command.minArgs, "argument")
            : std::to_string(command.minArgs) + " to " + CountOf(command.maxArgs, "argument");
    return command.name + " takes " + wanted + ", not " + std::to_string(count) + " (" +
           command.usage + ")";
}

} // namespace

CScriptRunner::CScriptRunner(const CScriptCommands& commands, CHeadlessInput& input,
                             std::ostream& out, std::ostream& err)
    : m_commands(commands), m_input(input), m_out(out), m_err(err) {}

bool CScriptRunner::Load(std::string_view script) {
    int number = 0;
    while (!script.empty()) {
        ++number;
        size_t end = script.find('\n');
        std::string_view text = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        if (text.ends_with('\r'))
            text.remove_suffix(1);
        size_t first = text.find_first_not_of(" \t");
        if (first == std::string_view::npos || text[first] == '#')
            continue;
        std::string error;
        std::optional<ScriptLine> line = ParseScriptLine(text, number, error);
        const ScriptCommand* command = line ? m_commands.Find(line->name) : nullptr;
        if (line && !command)
            error = "unknown command \"" + line->name + "\"";
        if (command)
            error = CheckArity(*command, line->args.size());
        if (command && error.empty() && command->check)
            error = command->check(*line);
        if (!error.empty()) {
            // Nothing has run yet, so there is no loop to end.
            Report(number, error);
            m_finished = true;
            m_exitStatus = BadScript;
            return false;
        }
        m_lines.push_back(std::move(*line));
    }
    m_waitingSince = Clock::now();
    return true;
}

void CScriptRunner::OnIdle(bool settled) {
    if (m_finished || m_queued)
        return;
    bool last = m_next == m_lines.size();
    bool mustSettle = last || m_commands.Find(m_lines[m_next].name)->waitForSettle;
    if (mustSettle && !settled) {
        if (Clock::now() - m_waitingSince > m_settleLimit) {
            int number = m_next == 0 ? 0 : m_lines[m_next - 1].number;
            long long ms = m_settleLimit.count();
            std::string what = "the page did not settle within " +
                               (ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds"
                                               : std::to_string(ms) + " ms");
            if (number == 0)
                return Stop(Failure, 0, what + " after start-up");
            return Stop(Failure, number, what);
        }
        return;
    }
    if (last)
        return Finish(0);
    m_queued = true;
    m_input.Queue([this, index = m_next++] {
        m_queued = false;
        RunLine(index);
        m_waitingSince = Clock::now();
    });
}

void CScriptRunner::RunLine(size_t index) {
    if (m_finished)
        return;
    const ScriptLine& line = m_lines[index];
    const ScriptCommand* command = m_commands.Find(line.name);
    ScriptResult result = command->run(ScriptCall{line, m_out, m_err});
    m_out.flush();
    switch (result.kind) {
    case ScriptResult::Kind::Done:
        break;
    case ScriptResult::Kind::BadArgument:
        return Stop(BadScript, line.number, result.message);
    case ScriptResult::Kind::Failed:
        return Stop(Failure, line.number, result.message);
    }
}

void CScriptRunner::Report(int lineNumber, const std::string& message) {
    if (lineNumber > 0)
        m_err << "vestrial: line " << lineNumber << ": " << message << std::endl;
    else
        m_err << "vestrial: " << message << std::endl;
}

void CScriptRunner::Stop(int status, int lineNumber, const std::string& message) {
    Report(lineNumber, message);
    Finish(status);
}

void CScriptRunner::Finish(int status) {
    if (m_finished)
        return;
    m_finished = true;
    m_exitStatus = status;
    m_out.flush();
    PostQuitMessage(status);
}
