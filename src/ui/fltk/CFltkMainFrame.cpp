#include "ui/fltk/CFltkMainFrame.h"

#include "platform/Windows1252.h"
#include "platform/ui/CommandIds.h"
#include "platform/ui/MainMenu.h"
#include "ui/fltk/CFltkBars.h"
#include "ui/fltk/CFltkViewWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/x.H>

#include <X11/XKBlib.h>
#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr int DefaultWidth = 960;
constexpr int DefaultHeight = 700;
constexpr int MenuHeight = 25;
constexpr int HelpMenuWidth = 60;

bool IndicatorOn(const char* name, int fallbackMask) {
    Atom atom = XInternAtom(fl_display, name, True);
    Bool on = False;
    if (atom != None && XkbGetNamedIndicator(fl_display, atom, nullptr, &on, nullptr, nullptr))
        return on != False;
    return (Fl::event_state() & fallbackMask) != 0;
}

} // namespace

// The top-level window: its size changes re-place the bars; the close box
// asks the frame's logic instead of closing at once.
class CFltkFrameWindow final : public Fl_Double_Window {
public:
    CFltkFrameWindow(int width, int height, CFltkMainFrame& frame)
        : Fl_Double_Window(width, height), m_frame(frame) {}
    void resize(int x, int y, int width, int height) override {
        Fl_Double_Window::resize(x, y, width, height);
        m_frame.Arrange();
    }

private:
    CFltkMainFrame& m_frame;
};

CFltkMainFrame::CFltkMainFrame()
    : m_window(std::make_unique<CFltkFrameWindow>(DefaultWidth, DefaultHeight, *this)),
      m_bars{{.barId = BarId::ToolBar},
             {.barId = BarId::LocationBar},
             {.barId = BarId::StatusBar, .side = DockSide::Bottom}} {
    // Every widget below is owned by m_window, which deletes its children.
    BuildMenus(DefaultWidth);
    m_toolBar = new CFltkToolBar(
        DefaultWidth, [this](unsigned id) { Command(id); },
        [this](std::string_view prompt) { SetStatusText(prompt); });
    m_locationBar = new CFltkLocationBar(DefaultWidth, [this](unsigned id) { Command(id); });
    m_view = new CFltkViewWindow(0, 0, DefaultWidth, 100);
    m_view->SetStatusSink([this](std::string_view text) { SetStatusText(text); });
    m_findBar = new CFltkFindBar(
        DefaultWidth,
        [this](const std::string& text) {
            return m_findHandler && m_findHandler(Utf8ToWindows1252(text));
        },
        [this] { HideFindBar(); });
    m_findBar->hide();
    m_statusBar = new CFltkStatusBar(DefaultWidth);
    m_window->end();
    // The frame places its children itself (Arrange); nothing is scaled.
    m_window->resizable(nullptr);
    m_window->size_range(400, 300);
    m_window->callback(
        [](Fl_Widget*, void* self) { static_cast<CFltkMainFrame*>(self)->OnCloseBox(); }, this);
    Arrange();
}

CFltkMainFrame::~CFltkMainFrame() {
    StopTimer();
}

// A menu bar that tells the frame when one of its menus is about to open,
// by a click or by its key.
class CFltkMenuBar final : public Fl_Menu_Bar {
public:
    CFltkMenuBar(int x, int y, int width, int height, std::function<void()> opening)
        : Fl_Menu_Bar(x, y, width, height), m_opening(std::move(opening)) {}
    int handle(int event) override {
        if ((event == FL_PUSH || event == FL_SHORTCUT) && m_opening)
            m_opening();
        return Fl_Menu_Bar::handle(event);
    }

private:
    std::function<void()> m_opening;
};

void CFltkMainFrame::BuildMenus(int width) {
    m_menuBar =
        new CFltkMenuBar(0, 0, width - HelpMenuWidth, MenuHeight, [this] { MenuOpening(); });
    m_helpBar = new Fl_Menu_Bar(width - HelpMenuWidth, 0, HelpMenuWidth, MenuHeight);
    for (Fl_Menu_Bar* bar : {m_menuBar, m_helpBar}) {
        bar->box(FL_FLAT_BOX);
        bar->user_data(this);
    }
    FillMenus();
}

void CFltkMainFrame::MenuOpening() {
    if (m_menuOpenHandler)
        m_menuOpenHandler();
}

namespace {

// A text shown as it is: "&" would mark the letter that chooses it.
std::string LiteralLabel(const std::string& text) {
    std::string label;
    for (char c : Windows1252ToUtf8(text)) {
        if (c == '&')
            label += '&';
        label += c;
    }
    return label;
}

} // namespace

void CFltkMainFrame::FillMenus() {
    std::map<unsigned, int> modes;
    for (const auto& [id, place] : m_menuItems)
        modes[id] = place.first->mode(place.second);
    m_menuItems.clear();
    m_alwaysGreyed.clear();
    m_menuBar->clear();
    m_helpBar->clear();
    auto add = [this](Fl_Menu_Bar* bar, const std::string& menuTitle, std::string_view text,
                      unsigned id, int flags, const std::string* literal) {
        std::string path = menuTitle + "/" + std::string(MenuLabel(text));
        Accelerator key;
        int shortcut = ParseAccelerator(text, key) ? (key.control ? FL_CTRL : 0) + key.key : 0;
        int index = bar->add(literal ? (menuTitle + "/item").c_str() : path.c_str(), shortcut,
                             OnMenu, reinterpret_cast<void*>(static_cast<uintptr_t>(id)), flags);
        // A title may hold "/", which add would read as a submenu.
        if (literal)
            bar->replace(index, literal->c_str());
        m_menuItems[id] = {bar, index};
        if (flags & FL_MENU_INACTIVE)
            m_alwaysGreyed.insert(id);
        return index;
    };
    for (const Menu& menu : MainMenu()) {
        Fl_Menu_Bar* bar = menu.rightAligned ? m_helpBar : m_menuBar;
        const std::string title(menu.title);
        int last = -1;
        for (const MenuItem& item : menu.items) {
            if (item.id == 0) {
                if (last >= 0)
                    bar->mode(last, bar->mode(last) | FL_MENU_DIVIDER);
                continue;
            }
            auto replaced = m_replaced.find(item.id);
            if (replaced != m_replaced.end()) {
                for (const DynamicMenuItem& dynamic : replaced->second) {
                    const std::string label = LiteralLabel(dynamic.text);
                    last = add(bar, title, dynamic.text, dynamic.id,
                               dynamic.greyed ? FL_MENU_INACTIVE : 0, &label);
                }
                continue;
            }
            bool toggles = item.id == CommandId::ToolBar || item.id == CommandId::StatusBar ||
                           item.id == CommandId::LocationBar;
            int flags = (toggles ? FL_MENU_TOGGLE : 0) | (item.alwaysGreyed ? FL_MENU_INACTIVE : 0);
            last = add(bar, title, item.text, item.id, flags, nullptr);
            auto mode = modes.find(item.id);
            if (mode != modes.end())
                bar->mode(last,
                          (mode->second & ~FL_MENU_DIVIDER) | (bar->mode(last) & FL_MENU_DIVIDER));
        }
    }
}

void CFltkMainFrame::ReplaceMenuItems(unsigned first, size_t removeCount,
                                      const std::vector<DynamicMenuItem>& items) {
    (void)removeCount; // the items put in last time are known here
    auto known = m_replaced.find(first);
    if (known != m_replaced.end() && known->second == items)
        return;
    m_replaced[first] = items;
    FillMenus();
}

void CFltkMainFrame::OnMenu(Fl_Widget* menu, void* id) {
    auto* self = static_cast<CFltkMainFrame*>(menu->user_data());
    self->Command(static_cast<unsigned>(reinterpret_cast<uintptr_t>(id)));
}

void CFltkMainFrame::Command(unsigned id) {
    if (m_commandHandler)
        m_commandHandler(id);
}

void CFltkMainFrame::Arrange() {
    int width = m_window->w();
    m_menuBar->resize(0, 0, width - HelpMenuWidth, MenuHeight);
    m_helpBar->resize(width - HelpMenuWidth, 0, HelpMenuWidth, MenuHeight);
    int top = MenuHeight;
    int bottom = m_window->h();
    auto widgetOf = [this](unsigned barId) -> Fl_Widget* {
        switch (barId) {
        case BarId::ToolBar:
            return m_toolBar;
        case BarId::LocationBar:
            return m_locationBar;
        default:
            return m_statusBar;
        }
    };
    // The status bar stands lowest; bottom-docked bars stack above it in
    // their order, the first nearest the page.
    if (std::any_of(m_bars.begin(), m_bars.end(), [](const BarPlacement& bar) {
            return bar.barId == BarId::StatusBar && bar.visible;
        })) {
        bottom -= m_statusBar->h();
        m_statusBar->resize(0, bottom, width, m_statusBar->h());
        m_statusBar->show();
    } else {
        m_statusBar->hide();
    }
    for (const BarPlacement& bar : m_bars) {
        if (bar.barId == BarId::StatusBar)
            continue;
        Fl_Widget* widget = widgetOf(bar.barId);
        if (!bar.visible) {
            widget->hide();
            continue;
        }
        widget->show();
        if (bar.side == DockSide::Top) {
            widget->resize(0, top, width, widget->h());
            top += widget->h();
        }
    }
    for (auto bar = m_bars.rbegin(); bar != m_bars.rend(); ++bar)
        if (bar->visible && bar->side == DockSide::Bottom && bar->barId != BarId::StatusBar) {
            Fl_Widget* widget = widgetOf(bar->barId);
            bottom -= widget->h();
            widget->resize(0, bottom, width, widget->h());
        }
    if (m_findBar->visible()) {
        bottom -= m_findBar->h();
        m_findBar->resize(0, bottom, width, m_findBar->h());
    }
    m_view->resize(0, top, width, std::max(1, bottom - top));
    m_window->redraw();
}

void CFltkMainFrame::SetBarLayout(const std::vector<BarPlacement>& layout) {
    m_bars = layout;
    if (!m_locationBar->visible() && AddressHasFocus())
        m_view->take_focus();
    Arrange();
    // A hidden location bar takes its field, and the focus, with it.
    if (AddressHasFocus() && !m_locationBar->visible())
        m_view->take_focus();
}

void CFltkMainFrame::OnCloseBox() {
    // Escape closes the find bar when it is open, as it does in its field.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape && m_findBar->visible()) {
        HideFindBar();
        return;
    }
    if (m_closeHandler)
        m_closeHandler();
    else
        Close();
}

void CFltkMainFrame::Close() {
    StopTimer();
    m_window->hide();
}

void CFltkMainFrame::EnableCommand(unsigned id, bool enabled) {
    m_toolBar->Enable(id, enabled);
    auto found = m_menuItems.find(id);
    if (found == m_menuItems.end())
        return;
    auto [bar, index] = found->second;
    int mode = bar->mode(index);
    if (mode & FL_MENU_INACTIVE && !enabled)
        return;
    // A placeholder stays greyed whatever its command says.
    if (m_alwaysGreyed.contains(id))
        return;
    int wanted = enabled ? mode & ~FL_MENU_INACTIVE : mode | FL_MENU_INACTIVE;
    if (wanted != mode)
        bar->mode(index, wanted);
}

void CFltkMainFrame::CheckCommand(unsigned id, bool checked) {
    auto found = m_menuItems.find(id);
    if (found == m_menuItems.end())
        return;
    auto [bar, index] = found->second;
    int mode = bar->mode(index);
    if (!(mode & FL_MENU_TOGGLE))
        return;
    int wanted = checked ? mode | FL_MENU_VALUE : mode & ~FL_MENU_VALUE;
    if (wanted != mode)
        bar->mode(index, wanted);
}

std::string CFltkMainFrame::AddressText() const {
    return Utf8ToWindows1252(m_locationBar->Address().value());
}

bool CFltkMainFrame::AddressHasFocus() const {
    return Fl::focus() == &m_locationBar->Address() && m_locationBar->visible();
}

bool CFltkMainFrame::ClipboardHasText() const {
    return Fl::clipboard_contains(Fl::clipboard_plain_text) != 0;
}

void CFltkMainFrame::EditAddress(EditAction action) {
    Fl_Input& field = m_locationBar->Address();
    switch (action) {
    case EditAction::Cut:
        field.copy(1);
        field.cut();
        break;
    case EditAction::Copy:
        field.copy(1);
        break;
    case EditAction::Paste:
        Fl::paste(field, 1);
        break;
    case EditAction::Undo:
        field.undo();
        break;
    }
}

void CFltkMainFrame::ShowAnimationFrame(int index) {
    m_locationBar->Animation().ShowFrame(index);
}

void CFltkMainFrame::OnTimer(void* data) {
    auto* self = static_cast<CFltkMainFrame*>(data);
    // Again first: the tick may stop the timer, which must then stay stopped.
    Fl::repeat_timeout(self->m_interval, OnTimer, self);
    TimerCallback tick = self->m_tick;
    if (tick)
        tick();
}

void CFltkMainFrame::StartTimer(unsigned interval, TimerCallback tick) {
    StopTimer();
    m_tick = std::move(tick);
    m_interval = interval / 1000.0;
    Fl::add_timeout(m_interval, OnTimer, this);
}

void CFltkMainFrame::StopTimer() {
    Fl::remove_timeout(OnTimer, this);
    m_tick = nullptr;
}

void CFltkMainFrame::ShowFindBar() {
    if (!m_findBar->visible()) {
        m_findBar->show();
        Arrange();
    }
    m_findBar->Open();
}

void CFltkMainFrame::HideFindBar() {
    m_findBar->hide();
    Arrange();
    m_view->take_focus();
}

void CFltkMainFrame::UpdateIndicators() {
    if (!m_window->shown())
        return;
    m_statusBar->SetIndicators(IndicatorOn("Caps Lock", FL_CAPS_LOCK),
                               IndicatorOn("Num Lock", FL_NUM_LOCK),
                               IndicatorOn("Scroll Lock", FL_SCROLL_LOCK));
}

CViewWindow& CFltkMainFrame::ViewWindow() {
    return *m_view;
}

void CFltkMainFrame::SetTitle(std::string_view title) {
    // FLTK keeps the pointer, so the text must outlive the call; it and the
    // window system read UTF-8.
    m_title = Windows1252ToUtf8(title);
    m_window->label(m_title.c_str());
}

void CFltkMainFrame::SetStatusText(std::string_view text) {
    m_statusBar->SetMessage(Windows1252ToUtf8(text));
}

void CFltkMainFrame::SetLocation(std::string_view url) {
    m_locationBar->Address().value(Windows1252ToUtf8(url).c_str());
}

void CFltkMainFrame::Show() {
    m_window->show();
    m_view->take_focus();
}
