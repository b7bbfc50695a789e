// Script commands that write out the page shown.
#include "shell/ScriptEnvironment.h"
#include "shell/ShellOutput.h"
#include "ui/headless/CScriptCommands.h"

namespace {

ScriptResult FailedUnless(bool written, const std::string& error) {
    return written ? ScriptResult::Done() : ScriptResult::Failed(error);
}

const ScriptCommandRegistration kPageOutputCommands({
    {.name = "screenshot",
     .usage = "screenshot OUT.png [full]",
     .minArgs = 1,
     .maxArgs = 2,
     .run =
         [](const ScriptCall& call) {
             std::string error;
             bool full = call.line.args.size() == 2;
             return FailedUnless(
                 WriteScreenshot(ScriptApp(), ScriptBackend(), call.Arg(0), full, error), error);
         },
     .check = [](const ScriptLine& line) -> std::string {
         if (line.args.size() == 2 && line.args[1] != "full")
             return "screenshot takes \"full\" after the file name, not \"" + line.args[1] + "\"";
         return {};
     }},
    {.name = "dump-layout",
     .usage = "dump-layout",
     .run =
         [](const ScriptCall& call) {
             std::string error;
             return FailedUnless(WriteLayoutDump(ScriptApp(), call.out, error), error);
         }},
    {.name = "dump-elements",
     .usage = "dump-elements",
     .run =
         [](const ScriptCall& call) {
             std::string error;
             return FailedUnless(WriteElementDump(ScriptApp(), call.out, error), error);
         }},
});

} // namespace
