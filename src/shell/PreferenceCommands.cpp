// Script commands of the "Preferences" sheet: open it, fill in its fields,
// select and unregister controls, confirm or cancel it, and print it.
#include "app/CTarnwickApp.h"
#include "platform/ui/CommandIds.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <charconv>
#include <ostream>

namespace {

struct Subcommand {
    std::string_view name;
    size_t minArgs;
    size_t maxArgs;
    std::string_view usage;
};
constexpr Subcommand kSubcommands[] = {
    {"open", 0, 0, "prefs open"},
    {"page", 1, 1, "prefs page CAPTION"},
    {"set", 2, 2, "prefs set FIELD VALUE"},
    {"select", 0, ScriptCommand::AnyNumber, "prefs select [LINE...]"},
    {"unregister", 0, 0, "prefs unregister"},
    {"ok", 0, 0, "prefs ok"},
    {"cancel", 0, 0, "prefs cancel"},
};

std::optional<size_t> LineNumber(const std::string& word) {
    size_t line = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), line);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return line;
}

std::string Check(const ScriptLine& line) {
    for (const Subcommand& sub : kSubcommands) {
        if (line.args[0] != sub.name)
            continue;
        size_t count = line.args.size() - 1;
        if (count < sub.minArgs || count > sub.maxArgs)
            return "usage: " + std::string(sub.usage);
        if (sub.name == "select")
            for (size_t i = 1; i < line.args.size(); ++i)
                if (!LineNumber(line.args[i]))
                    return "prefs select takes line numbers, not \"" + line.args[i] + "\"";
        return {};
    }
    return "prefs takes open, page, set, select, unregister, ok or cancel, not \"" + line.args[0] +
           "\"";
}

// A control of the sheet by its name, and its page.
const SheetControl* ControlNamed(CPreferenceSheet& sheet, std::string_view name, size_t& page) {
    for (page = 0; page < sheet.PageCount(); ++page)
        for (const SheetControl& control : sheet.Controls(page))
            if (control.name == name)
                return &control;
    return nullptr;
}

// As the user clicks a tab: the page left is checked first.
bool TurnTo(CPreferenceSheet& sheet, size_t page, const ScriptCall& call) {
    if (sheet.SelectPage(page))
        return true;
    call.err << "vestrial: line " << call.line.number << ": the page \""
             << sheet.PageCaption(sheet.ActivePage()) << "\" stays open" << std::endl;
    return false;
}

ScriptResult Set(CPreferenceSheet& sheet, const ScriptCall& call) {
    size_t page = 0;
    const SheetControl* control = ControlNamed(sheet, call.Arg(1), page);
    if (!control || !control->enabled ||
        (control->kind != SheetControlKind::Edit && control->kind != SheetControlKind::Check))
        return ScriptResult::Failed("the sheet has no field \"" + call.Arg(1) + "\" to fill in");
    if (TurnTo(sheet, page, call))
        sheet.SetText(control->id, call.Arg(2));
    return ScriptResult::Done();
}

ScriptResult Unregister(CPreferenceSheet& sheet, const ScriptCall& call) {
    size_t page = 0;
    const SheetControl* button = ControlNamed(sheet, "unregister", page);
    if (!button || !TurnTo(sheet, page, call))
        return ScriptResult::Done();
    std::vector<size_t> selected = ScriptBackend().PreferenceSelection();
    // The list changes under the selection; the user selects anew.
    ScriptBackend().PreferenceSelection().clear();
    sheet.Press(button->id, selected);
    return ScriptResult::Done();
}

ScriptResult Prefs(const ScriptCall& call) {
    CHeadlessBackend& backend = ScriptBackend();
    const std::string& what = call.Arg(0);
    if (what == "open") {
        backend.ChooseCommand(CommandId::Preferences);
        return backend.Preferences() ? ScriptResult::Done()
                                     : ScriptResult::Failed("the Preferences sheet did not open");
    }
    CPreferenceSheet* sheet = backend.Preferences();
    if (!sheet)
        return ScriptResult::Failed("the Preferences sheet is not open");
    if (what == "page") {
        for (size_t page = 0; page < sheet->PageCount(); ++page)
            if (sheet->PageCaption(page) == call.Arg(1)) {
                TurnTo(*sheet, page, call);
                return ScriptResult::Done();
            }
        return ScriptResult::Failed("the sheet has no page \"" + call.Arg(1) + "\"");
    }
    if (what == "set")
        return Set(*sheet, call);
    if (what == "select") {
        std::vector<size_t>& selection = backend.PreferenceSelection();
        selection.clear();
        for (size_t i = 1; i < call.line.args.size(); ++i)
            selection.push_back(*LineNumber(call.Arg(i)));
        return ScriptResult::Done();
    }
    if (what == "unregister")
        return Unregister(*sheet, call);
    if (!backend.ClosePreferences(what == "ok"))
        call.err << "vestrial: line " << call.line.number << ": the page \""
                 << sheet->PageCaption(sheet->ActivePage()) << "\" stays open" << std::endl;
    return ScriptResult::Done();
}

void PrintControl(const CPreferenceSheet& sheet, const SheetControl& control, std::ostream& out) {
    if (control.name.empty())
        return;
    out << "  " << control.name;
    switch (control.kind) {
    case SheetControlKind::Edit:
    case SheetControlKind::Check:
        out << " = \"" << sheet.Text(control.id) << '"';
        break;
    case SheetControlKind::ReadOnlyEdit:
        out << " = \"" << sheet.Text(control.id) << "\" read-only";
        break;
    case SheetControlKind::List: {
        std::vector<std::string> lines = sheet.ListLines(control.id);
        out << ": " << lines.size() << (lines.size() == 1 ? " line" : " lines");
        for (size_t i = 0; i < lines.size(); ++i)
            out << "\n    " << i << " \"" << lines[i] << '"';
        break;
    }
    case SheetControlKind::Button:
    case SheetControlKind::Static:
        break;
    }
    if (!control.enabled)
        out << " disabled";
    out << '\n';
}

ScriptResult Print(const ScriptCall& call) {
    CPreferenceSheet* sheet = ScriptBackend().Preferences();
    if (!sheet) {
        call.out << "Preferences: not shown" << std::endl;
        return ScriptResult::Done();
    }
    call.out << sheet->Title() << '\n';
    for (size_t page = 0; page < sheet->PageCount(); ++page) {
        call.out << "page \"" << sheet->PageCaption(page) << '"'
                 << (page == sheet->ActivePage() ? " active" : "") << '\n';
        for (const SheetControl& control : sheet->Controls(page))
            PrintControl(*sheet, control, call.out);
    }
    call.out << std::flush;
    return ScriptResult::Done();
}

const ScriptCommandRegistration kPreferenceCommands(
    {
        {.name = "prefs",
         .usage = "prefs open|page CAPTION|set FIELD VALUE|select [LINE...]|unregister|ok|cancel",
         .minArgs = 1,
         .maxArgs = ScriptCommand::AnyNumber,
         .run = Prefs,
         .check = Check},
    },
    {
        {.name = "prefs", .print = Print},
    });

} // namespace
