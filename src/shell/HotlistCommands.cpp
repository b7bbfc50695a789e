// Script commands of the hotlist: the "Edit Hotlist" dialog and its item
// dialog, driven as a user drives them, and what the list and the menus show.
#include "app/CTarnwickApp.h"
#include "platform/ui/CommandIds.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <charconv>
#include <ostream>

namespace {

struct Action {
    std::string_view word;
    size_t minArgs;
    size_t maxArgs;
};

// The words after "hotlist", with how many more words each takes.
constexpr Action kActions[] = {
    {"open", 0, 0}, {"select", 1, 1}, {"new", 0, 2}, {"edit", 3, 3},   {"delete", 0, 0},
    {"up", 0, 0},   {"down", 0, 0},   {"ok", 0, 0},  {"cancel", 0, 0}, {"open-url", 0, 0},
};

std::optional<size_t> ParseIndex(const std::string& word) {
    size_t index = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), index);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return index;
}

std::string CheckHotlist(const ScriptLine& line) {
    const std::string& word = line.args[0];
    for (const Action& action : kActions) {
        if (action.word != word)
            continue;
        const size_t more = line.args.size() - 1;
        if (more < action.minArgs || more > action.maxArgs)
            return "hotlist " + word + " takes " + std::to_string(action.minArgs) +
                   (action.minArgs == action.maxArgs ? ""
                                                     : " or " + std::to_string(action.maxArgs)) +
                   " more words";
        if (word == "new" && more == 1)
            return "hotlist new takes a title and a URL, or neither";
        if ((word == "select" || word == "edit") && !ParseIndex(line.args[1]))
            return "hotlist " + word + " takes an entry number, not \"" + line.args[1] + "\"";
        return {};
    }
    return "hotlist knows no \"" + word + "\"";
}

// A button pressed while it is greyed does nothing, which the script is told.
bool Pressable(const ScriptCall& call, bool enabled) {
    if (!enabled)
        call.err << "vestrial: line " << call.line.number << ": hotlist " << call.Arg(0)
                 << ": the button is not enabled now" << std::endl;
    return enabled;
}

ScriptResult Hotlist(const ScriptCall& call) {
    const std::string& word = call.Arg(0);
    CHeadlessBackend& backend = ScriptBackend();
    if (word == "open") {
        if (backend.HotlistDialog())
            return ScriptResult::Failed("the hotlist dialog is open already");
        backend.ChooseCommand(CommandId::EditHotlist);
        return ScriptResult::Done();
    }
    CHotlistDialogModel* dialog = backend.HotlistDialog();
    if (!dialog)
        return ScriptResult::Failed("the hotlist dialog is not open");
    const HotlistButtons buttons = dialog->Buttons();
    if (word == "select") {
        size_t index = *ParseIndex(call.Arg(1));
        if (index >= dialog->Count())
            return ScriptResult::Failed("the hotlist has no entry " + call.Arg(1));
        dialog->Select(index);
    } else if (word == "new") {
        HotlistItemFields fields = dialog->NewItemFields();
        if (call.line.args.size() == 3)
            fields = {.title = call.Arg(1), .url = call.Arg(2)};
        dialog->ApplyNewItem(fields);
    } else if (word == "edit") {
        size_t index = *ParseIndex(call.Arg(1));
        if (index >= dialog->Count())
            return ScriptResult::Failed("the hotlist has no entry " + call.Arg(1));
        dialog->Select(index);
        dialog->ApplyEditItem({.title = call.Arg(2), .url = call.Arg(3)});
    } else if (word == "delete") {
        if (Pressable(call, buttons.deleteItem))
            dialog->DeleteItem();
    } else if (word == "up") {
        if (Pressable(call, buttons.moveUp))
            dialog->MoveUp();
    } else if (word == "down") {
        if (Pressable(call, buttons.moveDown))
            dialog->MoveDown();
    } else if (word == "ok") {
        backend.CloseHotlistDialog(HotlistDialogResult::Ok);
    } else if (word == "cancel") {
        backend.CloseHotlistDialog(HotlistDialogResult::Cancel);
    } else if (word == "open-url") {
        if (Pressable(call, buttons.openUrl) && dialog->ChooseOpenUrl())
            backend.CloseHotlistDialog(HotlistDialogResult::OpenUrl);
    }
    return ScriptResult::Done();
}

// While the dialog is open: its buttons, its URL text and its list, the
// selected line marked "*". Otherwise the application's list.
ScriptResult PrintHotlist(const ScriptCall& call) {
    if (CHotlistDialogModel* dialog = ScriptBackend().HotlistDialog()) {
        const HotlistButtons buttons = dialog->Buttons();
        std::string enabled;
        auto add = [&enabled](bool on, const char* name) {
            if (on)
                enabled += std::string(enabled.empty() ? "" : " ") + name;
        };
        add(true, "new");
        add(buttons.editItem, "edit");
        add(buttons.deleteItem, "delete");
        add(buttons.moveUp, "up");
        add(buttons.moveDown, "down");
        add(buttons.openUrl, "open-url");
        call.out << "dialog: " << enabled << '\n' << "url: " << buttons.url << '\n';
        for (size_t i = 0; i < dialog->Count(); ++i)
            call.out << (dialog->Selection() == i ? "*" : " ") << i << ' ' << dialog->Title(i)
                     << '\n';
        return ScriptResult::Done();
    }
    const CBookmarkList& list = ScriptApp().Bookmarks();
    call.out << "hotlist: " << list.GetCount() << '\n';
    for (size_t i = 0; i < list.GetCount(); ++i)
        call.out << i << ' ' << list.GetTitle(i) << " <" << list.GetUrl(i) << ">\n";
    return ScriptResult::Done();
}

// A menu of the menu bar as opening it shows it: "ID TEXT", with
// " (greyed)" after an item that cannot be chosen, "-" for a separator.
ScriptResult PrintMenu(const ScriptCall& call) {
    std::optional<std::vector<DynamicMenuItem>> items = ScriptBackend().OpenMenu(call.Arg(1));
    if (!items)
        return ScriptResult::BadArgument("the menu bar has no menu \"" + call.Arg(1) + "\"");
    for (const DynamicMenuItem& item : *items) {
        if (item.id == 0) {
            call.out << "-\n";
            continue;
        }
        call.out << item.id << ' ' << item.text << (item.greyed ? " (greyed)" : "") << '\n';
    }
    return ScriptResult::Done();
}

const ScriptCommandRegistration kHotlistCommands(
    {
        {.name = "hotlist",
         .usage = "hotlist open|select N|new [TITLE URL]|edit N TITLE URL|delete|up|down|ok|"
                  "cancel|open-url",
         .minArgs = 1,
         .maxArgs = 4,
         .run = Hotlist,
         .check = CheckHotlist},
    },
    {
        {.name = "hotlist", .print = PrintHotlist},
        {.name = "menu", .print = PrintMenu, .takesArgument = true},
    });

} // namespace
