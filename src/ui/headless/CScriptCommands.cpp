#include "ui/headless/CScriptCommands.h"

#include "platform/Verify.h"

#include <ostream>

CScriptCommands::CScriptCommands() {
    Add(ScriptCommand{
        .name = "print",
        .usage = "print WHAT [WHICH]",
        .minArgs = 1,
        .maxArgs = 2,
        .run = [this](const ScriptCall& call) { return FindTopic(call.Arg(0))->print(call); },
        .check = [this](const ScriptLine& line) -> std::string {
            if (const PrintTopic* topic = FindTopic(line.args[0])) {
                if (topic->takesArgument != (line.args.size() == 2))
                    return "print " + line.args[0] +
                           (topic->takesArgument ? " takes one more word" : " takes no more words");
                return {};
            }
            return "print knows no \"" + line.args[0] + "\" (it knows " + TopicNames() + ")";
        },
        .waitsFor =
            [this](const ScriptLine& line) {
                const PrintTopic* topic = FindTopic(line.args[0]);
                return !topic || topic->waitForSettle;
            },
    });
}

CScriptCommands& CScriptCommands::Program() {
    static CScriptCommands table;
    return table;
}

void CScriptCommands::Add(ScriptCommand command) {
    std::string name = command.name;
    VERIFY(m_commands.emplace(std::move(name), std::move(command)).second);
}

void CScriptCommands::Add(PrintTopic topic) {
    std::string name = topic.name;
    VERIFY(m_topics.emplace(std::move(name), std::move(topic)).second);
}

const ScriptCommand* CScriptCommands::Find(std::string_view name) const {
    auto found = m_commands.find(name);
    return found == m_commands.end() ? nullptr : &found->second;
}

const PrintTopic* CScriptCommands::FindTopic(std::string_view name) const {
    auto found = m_topics.find(name);
    return found == m_topics.end() ? nullptr : &found->second;
}

std::string CScriptCommands::TopicNames() const {
    std::string names;
    for (const auto& [name, topic] : m_topics)
        names += (names.empty() ? "" : ", ") + name;
    return names;
}

ScriptCommandRegistration::ScriptCommandRegistration(std::initializer_list<ScriptCommand> commands,
                                                     std::initializer_list<PrintTopic> topics) {
    for (const ScriptCommand& command : commands)
        CScriptCommands::Program().Add(command);
    for (const PrintTopic& topic : topics)
        CScriptCommands::Program().Add(topic);
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<ScriptLine> ParseScriptLine(std::string_view text, int number, std::string& error) {
    ScriptLine line;
    line.number = number;
    std::vector<std::string> words;
    size_t i = 0;
    size_t afterName = std::string_view::npos;
    while (true) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (words.size() == 1 && afterName == std::string_view::npos)
            afterName = i;
        if (i == text.size())
            break;
        std::string word;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\'))
                    c = text[i++];
                word += c;
            }
            if (!closed) {
                error = "a quoted word does not end";
                return std::nullopt;
            }
            if (i < text.size() && !IsBlank(text[i])) {
                error = "a blank must follow a quoted word";
                return std::nullopt;
            }
        } else {
            while (i < text.size() && !IsBlank(text[i]))
                word += text[i++];
        }
        words.push_back(std::move(word));
    }
    if (words.empty())
        return line;
    line.name = std::move(words.front());
    line.args.assign(std::make_move_iterator(words.begin() + 1),
                     std::make_move_iterator(words.end()));
    line.text = afterName == std::string_view::npos ? "" : std::string(text.substr(afterName));
    return line;
}
