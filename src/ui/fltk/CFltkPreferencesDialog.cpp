#include "ui/fltk/CFltkPreferencesDialog.h"

#include "platform/Windows1252.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Multi_Browser.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Tabs.H>

#include <string>
#include <vector>

namespace {

constexpr int Width = 560;
constexpr int Height = 400;
constexpr int Margin = 10;
constexpr int TabHeight = 25;
constexpr int LabelWidth = 235;
constexpr int RowHeight = 24;
constexpr int RowGap = 8;
constexpr int ListHeight = 150;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;
constexpr int SpinnerWidth = 70;
constexpr int PageButtonWidth = 180;

// The toolkit speaks UTF-8; the engine's text is one byte per character.
std::string Shown(const std::string& text) {
    return Windows1252ToUtf8(text);
}

std::string Typed(const char* utf8) {
    return Utf8ToWindows1252(utf8 ? utf8 : "");
}

struct BoundWidget {
    const SheetControl* control;
    Fl_Widget* widget;
};

class CSheetWindow {
public:
    explicit CSheetWindow(CPreferenceSheet& sheet);
    bool Run();

private:
    static void OnTab(Fl_Widget*, void* data) { static_cast<CSheetWindow*>(data)->TabChosen(); }
    static void OnOk(Fl_Widget*, void* data) { static_cast<CSheetWindow*>(data)->Ok(); }
    static void OnCancel(Fl_Widget*, void* data) {
        static_cast<CSheetWindow*>(data)->m_window.hide();
    }
    static void OnButton(Fl_Widget* widget, void* data) {
        static_cast<CSheetWindow*>(data)->Pressed(widget);
    }

    void BuildPage(size_t page, int x, int y, int w, int h);
    Fl_Widget* BuildControl(const SheetControl& control, int x, int y, int w, int& height);
    // The widgets' texts into the sheet, before it checks or acts on them.
    void Gather();
    void ShowActivePage();
    void FillList(Fl_Multi_Browser& list, unsigned id);
    void TabChosen();
    void Ok();
    void Pressed(Fl_Widget* button);

    CPreferenceSheet& m_sheet;
    Fl_Double_Window m_window;
    Fl_Tabs* m_tabs = nullptr;
    std::vector<Fl_Group*> m_pages;
    std::vector<BoundWidget> m_bound;
    bool m_confirmed = false;
};

CSheetWindow::CSheetWindow(CPreferenceSheet& sheet)
    : m_sheet(sheet), m_window(Width, Height, nullptr) {
    m_window.copy_label(std::string(sheet.Title()).c_str());
    const int buttonTop = Height - ButtonHeight - Margin;
    // The widgets below are owned by their groups, which delete them.
    m_tabs = new Fl_Tabs(Margin, Margin, Width - 2 * Margin, buttonTop - 2 * Margin);
    for (size_t page = 0; page < sheet.PageCount(); ++page)
        BuildPage(page, Margin, Margin + TabHeight, Width - 2 * Margin,
                  buttonTop - 2 * Margin - TabHeight);
    m_tabs->end();
    m_tabs->callback(OnTab, this);
    m_tabs->when(FL_WHEN_CHANGED);
    auto* ok = new Fl_Return_Button(Width - 2 * (ButtonWidth + Margin), buttonTop, ButtonWidth,
                                    ButtonHeight, "OK");
    auto* cancel =
        new Fl_Button(Width - ButtonWidth - Margin, buttonTop, ButtonWidth, ButtonHeight, "Cancel");
    ok->callback(OnOk, this);
    cancel->callback(OnCancel, this);
    m_window.callback(OnCancel, this);
    m_window.end();
    ShowActivePage();
}

void CSheetWindow::BuildPage(size_t page, int x, int y, int w, int h) {
    auto* group = new Fl_Group(x, y, w, h);
    group->copy_label(std::string(m_sheet.PageCaption(page)).c_str());
    const int left = x + Margin + LabelWidth;
    int top = y + Margin;
    bool afterSpinner = false;
    for (const SheetControl& control : m_sheet.Controls(page)) {
        int height = RowHeight;
        // The unit stands beside its size, on the same row.
        const bool beside = afterSpinner && control.kind == SheetControlKind::Static;
        const int rowTop = beside ? top - RowHeight - RowGap : top;
        const int rowLeft = beside ? left + SpinnerWidth + Margin : left;
        Fl_Widget* widget =
            BuildControl(control, rowLeft, rowTop, x + w - Margin - rowLeft, height);
        afterSpinner = dynamic_cast<Fl_Spinner*>(widget) != nullptr;
        if (!control.enabled)
            widget->deactivate();
        m_bound.push_back({&control, widget});
        if (!beside)
            top += height + RowGap;
    }
    group->end();
    m_pages.push_back(group);
}

Fl_Widget* CSheetWindow::BuildControl(const SheetControl& control, int x, int y, int w,
                                      int& height) {
    const std::string label = Shown(std::string(control.label));
    Fl_Widget* widget = nullptr;
    switch (control.kind) {
    case SheetControlKind::Edit:
        widget = new Fl_Input(x, y, w, height);
        static_cast<Fl_Input*>(widget)->value(Shown(m_sheet.Text(control.id)).c_str());
        break;
    case SheetControlKind::ReadOnlyEdit:
        widget = new Fl_Output(x, y, w, height);
        static_cast<Fl_Output*>(widget)->value(Shown(m_sheet.Text(control.id)).c_str());
        break;
    case SheetControlKind::Check:
        widget = new Fl_Check_Button(x - LabelWidth, y, w + LabelWidth, height);
        widget->copy_label(label.c_str());
        static_cast<Fl_Check_Button*>(widget)->value(m_sheet.Text(control.id) == "1");
        return widget;
    case SheetControlKind::List: {
        height = ListHeight;
        auto* list = new Fl_Multi_Browser(x, y, w, height);
        FillList(*list, control.id);
        widget = list;
        break;
    }
    case SheetControlKind::Button:
        widget = new Fl_Button(x, y, PageButtonWidth, height);
        widget->copy_label(label.c_str());
        widget->callback(OnButton, this);
        return widget;
    case SheetControlKind::Static:
        // A size in megabytes with its up-down arrows; nothing is behind it.
        if (control.label.ends_with(':')) {
            auto* spinner = new Fl_Spinner(x, y, SpinnerWidth, height);
            spinner->value(0);
            widget = spinner;
            break;
        }
        widget = new Fl_Box(x, y, w, height);
        widget->copy_label(label.c_str());
        widget->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        return widget;
    }
    widget->copy_label(label.c_str());
    widget->align(FL_ALIGN_LEFT);
    return widget;
}

void CSheetWindow::FillList(Fl_Multi_Browser& list, unsigned id) {
    list.clear();
    for (const std::string& line : m_sheet.ListLines(id))
        // "@" starts a formatting code in a browser line; "@." ends them.
        list.add(("@." + Shown(line)).c_str());
}

void CSheetWindow::Gather() {
    for (const BoundWidget& bound : m_bound) {
        if (bound.control->kind == SheetControlKind::Edit)
            m_sheet.SetText(bound.control->id,
                            Typed(static_cast<Fl_Input*>(bound.widget)->value()));
        else if (bound.control->kind == SheetControlKind::Check)
            m_sheet.SetText(bound.control->id,
                            static_cast<Fl_Check_Button*>(bound.widget)->value() ? "1" : "0");
    }
}

void CSheetWindow::ShowActivePage() {
    size_t active = m_sheet.ActivePage();
    if (active < m_pages.size())
        m_tabs->value(m_pages[active]);
}

void CSheetWindow::TabChosen() {
    Fl_Widget* chosen = m_tabs->value();
    // The page left stays in front while it is checked, and if it fails.
    ShowActivePage();
    Gather();
    for (size_t page = 0; page < m_pages.size(); ++page)
        if (m_pages[page] == chosen)
            (void)m_sheet.SelectPage(page);
    ShowActivePage();
}

void CSheetWindow::Ok() {
    Gather();
    if (m_sheet.Confirm()) {
        m_confirmed = true;
        m_window.hide();
        return;
    }
    ShowActivePage();
}

void CSheetWindow::Pressed(Fl_Widget* button) {
    Gather();
    const BoundWidget* pressed = nullptr;
    Fl_Multi_Browser* list = nullptr;
    unsigned listId = 0;
    for (const BoundWidget& bound : m_bound) {
        if (bound.widget == button)
            pressed = &bound;
        // The list of the button's page.
        if (bound.control->kind == SheetControlKind::List &&
            bound.widget->parent() == button->parent()) {
            list = static_cast<Fl_Multi_Browser*>(bound.widget);
            listId = bound.control->id;
        }
    }
    if (!pressed)
        return;
    std::vector<size_t> selected;
    if (list)
        for (int line = 1; line <= list->size(); ++line)
            if (list->selected(line))
                selected.push_back(static_cast<size_t>(line - 1));
    m_sheet.Press(pressed->control->id, selected);
    if (list)
        FillList(*list, listId);
}

bool CSheetWindow::Run() {
    if (Fl_Window* owner = Fl::first_window())
        m_window.position(owner->x() + (owner->w() - Width) / 2,
                          owner->y() + (owner->h() - Height) / 3);
    m_window.set_modal();
    m_window.show();
    while (m_window.shown())
        Fl::wait();
    return m_confirmed;
}

} // namespace

bool RunPreferencesDialog(CPreferenceSheet& sheet) {
    CSheetWindow window(sheet);
    return window.Run();
}

namespace {

struct UnregisterState {
    Fl_Double_Window* window;
    UnregisterAnswer answer = UnregisterAnswer::Cancel;
};

struct AnswerButton {
    const char* label;
    UnregisterAnswer answer;
};
constexpr AnswerButton kAnswerButtons[] = {
    {"Yes", UnregisterAnswer::Yes},
    {"Yes to All", UnregisterAnswer::YesToAll},
    {"No", UnregisterAnswer::No},
    {"Cancel", UnregisterAnswer::Cancel},
};

void OnAnswer(Fl_Widget* widget, void* data) {
    auto* state = static_cast<UnregisterState*>(data);
    for (const AnswerButton& button : kAnswerButtons)
        if (widget->label() && std::string(widget->label()) == button.label)
            state->answer = button.answer;
    state->window->hide();
}

// Closing the window is Cancel.
void OnClose(Fl_Widget*, void* data) {
    auto* state = static_cast<UnregisterState*>(data);
    state->answer = UnregisterAnswer::Cancel;
    state->window->hide();
}

} // namespace

UnregisterAnswer RunUnregisterDialog(std::string_view displayName) {
    constexpr int DialogWidth = 380;
    constexpr int DialogHeight = 150;
    Fl_Double_Window window(DialogWidth, DialogHeight, "Dialog");
    UnregisterState state{&window};
    const int textWidth = DialogWidth - 2 * Margin;
    // The widgets below are owned by window, which deletes them.
    auto* asked =
        new Fl_Box(Margin, Margin, textWidth, RowHeight, "You have requested to unregister :");
    asked->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    auto* name = new Fl_Box(Margin, Margin + RowHeight, textWidth, RowHeight);
    name->copy_label(Shown(std::string(displayName)).c_str());
    name->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    name->labelfont(FL_BOLD);
    auto* proceed = new Fl_Box(Margin, Margin + 2 * RowHeight, textWidth, RowHeight,
                               "Would you like to proceed ?");
    proceed->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    const int buttonTop = DialogHeight - ButtonHeight - Margin;
    int left = Margin;
    for (const AnswerButton& answer : kAnswerButtons) {
        Fl_Button* button = answer.answer == UnregisterAnswer::Yes
                                ? new Fl_Return_Button(left, buttonTop, ButtonWidth, ButtonHeight)
                                : new Fl_Button(left, buttonTop, ButtonWidth, ButtonHeight);
        button->label(answer.label);
        button->callback(OnAnswer, &state);
        left += ButtonWidth + Margin;
    }
    window.callback(OnClose, &state);
    window.end();
    if (Fl_Window* owner = Fl::first_window())
        window.position(owner->x() + (owner->w() - DialogWidth) / 2,
                        owner->y() + (owner->h() - DialogHeight) / 3);
    window.set_modal();
    window.show();
    while (window.shown())
        Fl::wait();
    return state.answer;
}
