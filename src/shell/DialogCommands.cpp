// Script commands that answer dialogs before they come up.
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 5> kAnswerWords = {"yes", "no", "ok", "cancel",
                                                          CHeadlessBackend::YesToAllWord};

const ScriptCommandRegistration kDialogCommands({
    {.name = "answer",
     .usage = "answer yes|no|ok|cancel|yes-to-all",
     .minArgs = 1,
     .maxArgs = 1,
     .run =
         [](const ScriptCall& call) {
             ScriptBackend().Answers().Push(CHeadlessBackend::QuestionKind, {call.Arg(0)});
             return ScriptResult::Done();
         },
     .check = [](const ScriptLine& line) -> std::string {
         for (std::string_view word : kAnswerWords)
             if (line.args[0] == word)
                 return {};
         return "answer takes yes, no, ok, cancel or yes-to-all, not \"" + line.args[0] + "\"";
     }},
    {.name = "login",
     .usage = "login USER PASSWORD",
     .minArgs = 2,
     .maxArgs = 2,
     .run =
         [](const ScriptCall& call) {
             ScriptBackend().QueueLogin(LoginAnswer{call.Arg(0), call.Arg(1)});
             return ScriptResult::Done();
         }},
    {.name = "login-cancel",
     .usage = "login-cancel",
     .run =
         [](const ScriptCall&) {
             ScriptBackend().QueueLogin(std::nullopt);
             return ScriptResult::Done();
         }},
});

} // namespace
