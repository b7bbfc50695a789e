// Script commands of the main frame: its menus, bars, address field,
// dialogs, animation and find in page.
#include "app/CMainFrame.h"
#include "app/CTarnwickApp.h"
#include "platform/ui/CommandIds.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"
#include "view/CTarnwickView.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace {

// A command of the table by its number or its name.
const CTarnwickApp::Command* CommandNamed(const std::string& word) {
    unsigned id = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), id);
    if (error == std::errc() && end == word.data() + word.size())
        return CTarnwickApp::FindCommand(id);
    for (const CTarnwickApp::Command& command : CTarnwickApp::Commands())
        if (command.name == word)
            return &command;
    return nullptr;
}

// As the menu does: a greyed item cannot be chosen, which the script is told.
ScriptResult Menu(const ScriptCall& call) {
    const CTarnwickApp::Command* command = CommandNamed(call.Arg(0));
    if (!ScriptBackend().CommandEnabled(command->id)) {
        call.err << "vestrial: line " << call.line.number << ": menu " << command->id << " ("
                 << command->name << ") is not enabled now" << std::endl;
        return ScriptResult::Done();
    }
    ScriptBackend().ChooseCommand(command->id);
    return ScriptResult::Done();
}

struct BarName {
    std::string_view name;
    unsigned id;
};
constexpr BarName kBarNames[] = {
    {"tool-bar", BarId::ToolBar},
    {"location-bar", BarId::LocationBar},
    {"status-bar", BarId::StatusBar},
};

std::string_view NameOfBar(unsigned id) {
    for (const BarName& bar : kBarNames)
        if (bar.id == id)
            return bar.name;
    return "?";
}

// Moves a bar to the end of the side's bars (above the status bar), as
// dragging it there does.
ScriptResult Dock(const ScriptCall& call) {
    CMainFrame* frame = ScriptApp().MainFrame();
    if (!frame)
        return ScriptResult::Failed("there is no main window");
    unsigned id = 0;
    for (const BarName& bar : kBarNames)
        if (bar.name == call.Arg(0))
            id = bar.id;
    std::vector<BarPlacement> layout = frame->Window().BarLayout();
    auto found = std::find_if(layout.begin(), layout.end(),
                              [id](const BarPlacement& bar) { return bar.barId == id; });
    BarPlacement moved = *found;
    moved.side = call.Arg(1) == "bottom" ? DockSide::Bottom : DockSide::Top;
    layout.erase(found);
    // The status bar stays lowest of all.
    auto status = std::find_if(layout.begin(), layout.end(), [](const BarPlacement& bar) {
        return bar.barId == BarId::StatusBar;
    });
    layout.insert(status, moved);
    frame->Window().SetBarLayout(layout);
    return ScriptResult::Done();
}

// What the last find said, for "print find".
std::string& LastFind() {
    static std::string outcome = "nothing searched";
    return outcome;
}

ScriptResult Find(const ScriptCall& call) {
    if (!ScriptBackend().Find(call.Arg(0))) {
        LastFind() = "not found";
        return ScriptResult::Done();
    }
    LastFind() = "found";
    if (CTarnwickView* view = ScriptApp().TopView())
        for (const CRect& rect : view->FoundRects())
            LastFind() += " " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                          std::to_string(rect.right) + " " + std::to_string(rect.bottom);
    return ScriptResult::Done();
}

ScriptResult PrintChecked(const ScriptCall& call) {
    std::string names;
    for (const CTarnwickApp::Command& command : CTarnwickApp::Commands())
        if (ScriptBackend().CommandChecked(command.id))
            names += (names.empty() ? "" : " ") + std::string(command.name);
    call.out << names << '\n';
    return ScriptResult::Done();
}

// The bars shown, top to bottom: "tool-bar:top location-bar:top ...".
ScriptResult PrintBars(const ScriptCall& call) {
    std::string shown;
    for (DockSide side : {DockSide::Top, DockSide::Bottom})
        for (const BarPlacement& bar : ScriptBackend().Bars())
            if (bar.side == side && bar.visible)
                shown += (shown.empty() ? "" : " ") + std::string(NameOfBar(bar.barId)) +
                         (side == DockSide::Top ? ":top" : ":bottom");
    call.out << shown << '\n';
    return ScriptResult::Done();
}

ScriptResult PrintAnimation(const ScriptCall& call) {
    CMainFrame* frame = ScriptApp().MainFrame();
    bool running = frame && frame->AnimationRunning();
    call.out << (running ? "running " : "stopped ") << ScriptBackend().AnimationFrame() << '\n';
    return ScriptResult::Done();
}

ScriptResult PrintScroll(const ScriptCall& call) {
    CHeadlessViewWindow* view = ScriptBackend().View();
    if (!view)
        return ScriptResult::Failed("there is no page window");
    call.out << view->ScrollPosition().x << ' ' << view->ScrollPosition().y << '\n';
    return ScriptResult::Done();
}

const ScriptCommandRegistration kFrameCommands(
    {
        {.name = "menu",
         .usage = "menu ID",
         .minArgs = 1,
         .maxArgs = 1,
         .run = Menu,
         .check = [](const ScriptLine& line) -> std::string {
             if (CommandNamed(line.args[0]))
                 return {};
             return "the main window has no command \"" + line.args[0] + "\"";
         },
         // Stop acts on what the previous command started.
         .waitsFor =
             [](const ScriptLine& line) {
                 const CTarnwickApp::Command* command = CommandNamed(line.args[0]);
                 return !command || command->id != CommandId::Stop;
             }},
        {.name = "focus",
         .usage = "focus location|page",
         .minArgs = 1,
         .maxArgs = 1,
         .run =
             [](const ScriptCall& call) {
                 if (call.Arg(0) == "location")
                     ScriptBackend().FocusLocation();
                 else
                     ScriptBackend().SetFocus(nullptr);
                 return ScriptResult::Done();
             },
         .check = [](const ScriptLine& line) -> std::string {
             if (line.args[0] == "location" || line.args[0] == "page")
                 return {};
             return "focus takes location or page, not \"" + line.args[0] + "\"";
         }},
        {.name = "dock",
         .usage = "dock tool-bar|location-bar top|bottom",
         .minArgs = 2,
         .maxArgs = 2,
         .run = Dock,
         .check = [](const ScriptLine& line) -> std::string {
             if (line.args[0] != "tool-bar" && line.args[0] != "location-bar")
                 return "dock takes tool-bar or location-bar, not \"" + line.args[0] + "\"";
             if (line.args[1] != "top" && line.args[1] != "bottom")
                 return "dock takes top or bottom, not \"" + line.args[1] + "\"";
             return {};
         }},
        {.name = "choose-file",
         .usage = "choose-file PATH",
         .minArgs = 1,
         .maxArgs = 1,
         .run =
             [](const ScriptCall& call) {
                 ScriptBackend().Answers().Push(CHeadlessBackend::OpenFileKind, {call.Arg(0)});
                 return ScriptResult::Done();
             }},
        {.name = "choose-url",
         .usage = "choose-url TEXT",
         .minArgs = 1,
         .maxArgs = 1,
         .run =
             [](const ScriptCall& call) {
                 ScriptBackend().Answers().Push(CHeadlessBackend::OpenUrlKind, {call.Arg(0)});
                 return ScriptResult::Done();
             }},
        {.name = "find", .usage = "find TEXT", .minArgs = 1, .maxArgs = 1, .run = Find},
        {.name = "tick",
         .usage = "tick",
         .run =
             [](const ScriptCall& call) {
                 if (!ScriptBackend().TickTimer())
                     call.err << "vestrial: line " << call.line.number
                              << ": the animation is not running" << std::endl;
                 return ScriptResult::Done();
             },
         // The animation runs only while something loads.
         .waitForSettle = false},
    },
    {
        {"checked", PrintChecked},
        {"bars", PrintBars},
        {"animation", PrintAnimation, false},
        {"find",
         [](const ScriptCall& call) {
             call.out << LastFind() << '\n';
             return ScriptResult::Done();
         }},
        {"clipboard",
         [](const ScriptCall& call) {
             call.out << ScriptBackend().Clipboard().value_or("") << '\n';
             return ScriptResult::Done();
         }},
        {"scroll", PrintScroll},
    });

} // namespace
