// Script commands for the page's embedded controls: what they are and where,
// and a way to have one fire an event, as a user's action inside it would.
#include "app/CTarnwickApp.h"
#include "controls/CDispatchDriver.h"
#include "controls/CTarnwickCntrItem.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CScriptCommands.h"
#include "view/CTarnwickView.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

std::string_view StateName(CControlItem::ItemState state) {
    switch (state) {
    case CControlItem::ItemState::Empty:
        return "empty";
    case CControlItem::ItemState::Loaded:
        return "loaded";
    case CControlItem::ItemState::Open:
        return "open";
    case CControlItem::ItemState::Active:
        return "active";
    case CControlItem::ItemState::UIActive:
        return "ui-active";
    }
    return "empty";
}

// The page's items in the order of their embeds: the order they are made in
// depends on which property file arrives first.
std::vector<CTarnwickCntrItem*> PageControls() {
    CTarnwickView* view = ScriptApp().TopView();
    if (!view)
        return {};
    std::vector<CTarnwickCntrItem*> items = view->Controls().Items();
    std::ranges::sort(items, {}, &CTarnwickCntrItem::EmbedId);
    return items;
}

// "N CLASS LEFT,TOP,RIGHT,BOTTOM STATE started|not-started|failed", the
// rectangle in page pixels.
ScriptResult PrintControls(const ScriptCall& call) {
    int number = 0;
    for (const CTarnwickCntrItem* item : PageControls()) {
        CRect rect = item->DocumentRect();
        call.out << ++number << ' ' << item->Description().classIdText << ' ' << rect.left << ','
                 << rect.top << ',' << rect.right << ',' << rect.bottom << ' '
                 << StateName(item->State()) << ' '
                 << (item->Failed()    ? "failed"
                     : item->Started() ? "started"
                                       : "not-started")
                 << '\n';
    }
    return ScriptResult::Done();
}

bool ReadItemNumber(const std::string& text, size_t& number) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && number > 0;
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// The control's own "FireEvent" method fires the event through its
// connection point, so the page sees it exactly as one the control fires by
// itself.
ScriptResult ControlEvent(const ScriptCall& call) {
    size_t number = 0;
    (void)ReadItemNumber(call.Arg(0), number);
    std::vector<CTarnwickCntrItem*> items = PageControls();
    if (number > items.size())
        return ScriptResult::BadArgument("the page has " + std::to_string(items.size()) +
                                         " control(s), not " + call.Arg(0));
    ComPtr<IDispatch> dispatch = items[number - 1]->Dispatch();
    if (!dispatch)
        return ScriptResult::Failed("control " + call.Arg(0) + " is not running");
    LPOLESTR names[] = {const_cast<LPOLESTR>("FireEvent")};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id)))
        return ScriptResult::Failed("control " + call.Arg(0) + " has no method FireEvent");
    std::string arguments = call.line.args.size() > 2 ? call.Arg(2) : std::string();
    HRESULT hr = InvokeHelper(dispatch.Get(), id, DISPATCH_METHOD,
                              {CVariant::String(call.Arg(1)), CVariant::String(arguments)},
                              VT_EMPTY, nullptr);
    if (FAILED(hr))
        return ScriptResult::Failed("control " + call.Arg(0) + " did not fire \"" + call.Arg(1) +
                                    "\" (" + Hex(hr) + ")");
    return ScriptResult::Done();
}

const ScriptCommandRegistration kControlCommands(
    {{.name = "control-event",
      .usage = "control-event N NAME [ARGS]",
      .minArgs = 2,
      .maxArgs = 3,
      .run = ControlEvent,
      .check = [](const ScriptLine& line) -> std::string {
          size_t number = 0;
          if (!ReadItemNumber(line.args[0], number))
              return "control-event takes the control's number (1 for the first), not \"" +
                     line.args[0] + "\"";
          return {};
      }}},
    {{"controls", PrintControls}});

} // namespace
