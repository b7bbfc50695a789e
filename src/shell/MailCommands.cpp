// Script commands that fill in the "Send Mail" dialog, and show what it held.
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <array>
#include <ostream>

namespace {

constexpr std::array<std::string_view, 4> kFieldNames = {"to", "cc", "subject", "body"};

// A script line cannot hold a line break: in a body, the two characters
// "\n" stand for one.
std::string WithLineBreaks(const std::string& text) {
    std::string body;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            body += '\n';
            ++i;
        } else {
            body += text[i];
        }
    }
    return body;
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string shown;
    for (char c : text)
        shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown;
}

ScriptResult MailField(const ScriptCall& call) {
    const std::string& field = call.Arg(0);
    std::string text = field == "body" ? WithLineBreaks(call.Arg(1)) : call.Arg(1);
    ScriptBackend().Answers().Push(CHeadlessBackend::MailFieldKind, {field, std::move(text)});
    return ScriptResult::Done();
}

// The last "Send Mail" dialog as it was closed: how, and its four fields.
ScriptResult PrintMail(const ScriptCall& call) {
    const auto& shown = ScriptBackend().MailsShown();
    if (shown.empty()) {
        call.out << "mail: not shown\n";
        return ScriptResult::Done();
    }
    const CHeadlessBackend::ShownMail& mail = shown.back();
    call.out << "mail: " << (mail.sent ? "send" : "cancel") << '\n'
             << "to: " << mail.fields.to << '\n'
             << "cc: " << mail.fields.cc << '\n'
             << "subject: " << mail.fields.subject << '\n'
             << "body: " << WithoutLineBreaks(mail.fields.body) << '\n';
    return ScriptResult::Done();
}

const ScriptCommandRegistration kMailCommands(
    {
        {.name = "mail-field",
         .usage = "mail-field to|cc|subject|body TEXT",
         .minArgs = 2,
         .maxArgs = 2,
         .run = MailField,
         .check = [](const ScriptLine& line) -> std::string {
             for (std::string_view name : kFieldNames)
                 if (line.args[0] == name)
                     return {};
             return "mail-field takes to, cc, subject or body, not \"" + line.args[0] + "\"";
         }},
    },
    {{"mail", PrintMail}});

} // namespace
