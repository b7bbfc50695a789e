// Script commands for pages of frames: which frame later commands act on,
// and where the frames are.
#include "app/CTarnwickApp.h"
#include "content/CMimeObject.h"
#include "document/CTarnwickDoc.h"
#include "html/CJsonLine.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessViewWindow.h"
#include "ui/headless/CScriptCommands.h"
#include "view/CTarnwickView.h"

#include <ostream>

namespace {

// "frame top" goes back to the top-level view.
constexpr std::string_view TopWord = "top";

ScriptResult ChooseFrame(const ScriptCall& call) {
    const std::string& name = call.Arg(0);
    if (name == TopWord) {
        SetScriptFrame({});
        return ScriptResult::Done();
    }
    CTarnwickView* top = ScriptApp().TopView();
    if (!top || name.empty() || !top->FindViewByFrameName(name))
        return ScriptResult::Failed("the page shown has no frame called \"" + name + "\"");
    SetScriptFrame(name);
    return ScriptResult::Done();
}

// One line per frame, depth first: its name, where its page area stands in
// the window, and the address of the page it shows.
void PrintFramesOf(const ScriptCall& call, CTarnwickView& view, int depth) {
    for (CTarnwickView* frame : view.ChildViews()) {
        CPoint at;
        CPoint size = frame->Window().ClientSize();
        if (auto* window = dynamic_cast<CHeadlessViewWindow*>(&frame->Window()))
            at = window->Origin();
        CMimeObject* content = frame->Document().ContentObject();
        call.out << CJsonLine("depth", depth)
                        .String("name", frame->FrameName())
                        .Numbers("rect", std::initializer_list<int32_t>{at.x, at.y, at.x + size.x,
                                                                        at.y + size.y})
                        .String("url", content ? content->Url() : "")
                        .Finish()
                 << '\n';
        PrintFramesOf(call, *frame, depth + 1);
    }
}

const ScriptCommandRegistration kFrameCommands(
    {
        {.name = "frame",
         .usage = "frame NAME|top",
         .minArgs = 1,
         .maxArgs = 1,
         .run = ChooseFrame},
    },
    {
        {"frames",
         [](const ScriptCall& call) {
             if (CTarnwickView* top = ScriptApp().TopView())
                 PrintFramesOf(call, *top, 1);
             return ScriptResult::Done();
         }},
    });

} // namespace
