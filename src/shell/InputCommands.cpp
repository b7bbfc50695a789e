// Script commands that give the window input as a user does.
#include "platform/ui/CViewWindow.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <array>
#include <charconv>

namespace {

// Keys by their X names; the page uses the first eight, a form control the
// others.
constexpr std::array<std::string_view, 13> kKeyNames = {
    "Page_Up", "Page_Down", "Home", "End",    "Up",        "Down",  "Left",
    "Right",   "Return",    "Tab",  "Escape", "BackSpace", "Delete"};

bool ReadNumber(const std::string& text, int32_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string CheckPoint(const ScriptLine& line) {
    int32_t ignored;
    for (const std::string& word : line.args)
        if (!ReadNumber(word, ignored))
            return line.name + " takes X and Y in page pixels, not \"" + word + "\"";
    return {};
}

// Turns the page point of the call into a point of the window, which must
// show it.
ScriptResult InWindow(const ScriptCall& call, CPoint& window) {
    CHeadlessViewWindow* view = ScriptBackend().View();
    if (!view)
        return ScriptResult::Failed("there is no page window");
    CPoint page;
    (void)ReadNumber(call.Arg(0), page.x);
    (void)ReadNumber(call.Arg(1), page.y);
    CPoint scroll = view->ScrollPosition();
    CPoint size = view->ClientSize();
    window = {page.x - scroll.x, page.y - scroll.y};
    if (window.x < 0 || window.y < 0 || window.x >= size.x || window.y >= size.y)
        return ScriptResult::BadArgument(
            "the page point (" + call.Arg(0) + ", " + call.Arg(1) +
            ") is not in the window, which shows x " + std::to_string(scroll.x) + " to " +
            std::to_string(scroll.x + size.x - 1) + " and y " + std::to_string(scroll.y) + " to " +
            std::to_string(scroll.y + size.y - 1));
    return ScriptResult::Done();
}

ScriptResult Click(const ScriptCall& call) {
    CPoint window;
    if (ScriptResult inside = InWindow(call, window); inside.kind != ScriptResult::Kind::Done)
        return inside;
    // A click gives the page the focus; a control under it takes it back.
    ScriptBackend().SetFocus(nullptr);
    ScriptBackend().View()->Click(window);
    return ScriptResult::Done();
}

ScriptResult Move(const ScriptCall& call) {
    CPoint window;
    if (ScriptResult inside = InWindow(call, window); inside.kind != ScriptResult::Kind::Done)
        return inside;
    ScriptBackend().View()->MoveMouse(window);
    return ScriptResult::Done();
}

const ScriptCommandRegistration kInputCommands({
    {.name = "click",
     .usage = "click X Y",
     .minArgs = 2,
     .maxArgs = 2,
     .run = Click,
     .check = CheckPoint},
    {.name = "move",
     .usage = "move X Y",
     .minArgs = 2,
     .maxArgs = 2,
     .run = Move,
     .check = CheckPoint},
    {.name = "key",
     .usage = "key NAME",
     .minArgs = 1,
     .maxArgs = 1,
     .run =
         [](const ScriptCall& call) {
             ScriptBackend().PressKey(call.Arg(0));
             return ScriptResult::Done();
         },
     .check = [](const ScriptLine& line) -> std::string {
         for (std::string_view name : kKeyNames)
             if (line.args[0] == name)
                 return {};
         std::string known;
         for (std::string_view name : kKeyNames)
             known += (known.empty() ? "" : ", ") + std::string(name);
         return "no key is called \"" + line.args[0] + "\" (keys: " + known + ")";
     }},
    {.name = "type",
     .usage = "type TEXT",
     .minArgs = 1,
     .maxArgs = 1,
     .run =
         [](const ScriptCall& call) {
             ScriptBackend().TypeText(call.Arg(0));
             return ScriptResult::Done();
         }},
});

} // namespace
