#include "ui/fltk/CFltkMainFrame.h"

#include "platform/Windows1252.h"
#include "platform/ui/CommandIds.h"
#include "ui/fltk/CFltkViewWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>

namespace {

constexpr int DefaultWidth = 800;
constexpr int DefaultHeight = 600;
constexpr int ToolHeight = 30;
constexpr int ButtonWidth = 70;
constexpr int StatusHeight = 22;
constexpr int LocationHeight = 26;
constexpr int LabelWidth = 70;
constexpr int PageTop = ToolHeight + LocationHeight;

struct ToolButton {
    unsigned id;
    const char* label;
    const char* tip;
    bool gapBefore; // the tool bar's separator
};
// Stop stands last, apart from the others, as on the full tool bar.
constexpr ToolButton kToolButtons[] = {
    {CommandId::Back, "Back", "Go back one page", false},
    {CommandId::Forward, "Forward", "Go forward one page", false},
    {CommandId::Home, "Home", "Go to the home page", false},
    {CommandId::Reload, "Reload", "Reload the current page", true},
    {CommandId::Stop, "Stop", "Stop loading", true},
};

} // namespace

CFltkMainFrame::CFltkMainFrame()
    : m_window(std::make_unique<Fl_Double_Window>(DefaultWidth, DefaultHeight)) {
    const int buttonsEnd = AddButtons();
    m_location = new Fl_Input(LabelWidth, ToolHeight + 2, DefaultWidth - LabelWidth - 2,
                              LocationHeight - 4, "Location:"); // owned by m_window
    m_location->when(FL_WHEN_ENTER_KEY_ALWAYS);
    m_location->callback(OnLocationEnter, this);
    m_view = new CFltkViewWindow(0, PageTop, DefaultWidth,
                                 DefaultHeight - StatusHeight - PageTop); // owned
    m_view->SetStatusSink([this](std::string_view text) { SetStatusText(text); });
    m_status = new Fl_Box(0, DefaultHeight - StatusHeight, DefaultWidth, StatusHeight); // owned
    m_status->box(FL_THIN_DOWN_BOX);
    m_status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    // FLTK scales every edge that lies inside the resizable box: an invisible
    // box just inside the fixed edges keeps the buttons, the label, the
    // field's left end and the bars' heights where they are.
    auto* sizing = new Fl_Box(buttonsEnd + 1, PageTop + 1, DefaultWidth - buttonsEnd - 4,
                              DefaultHeight - StatusHeight - PageTop - 2); // owned
    sizing->hide();
    m_window->resizable(sizing);
    m_window->end();
}

CFltkMainFrame::~CFltkMainFrame() = default;

int CFltkMainFrame::AddButtons() {
    int x = 4;
    for (const ToolButton& entry : kToolButtons) {
        if (entry.gapBefore)
            x += 8;
        auto* button = new Fl_Button(x, 2, ButtonWidth, ToolHeight - 4, entry.label); // owned
        button->tooltip(entry.tip);
        button->callback(OnButton, this);
        // The page keeps the keyboard: a click on a button must not take it.
        button->visible_focus(0);
        m_buttons[entry.id] = button;
        x += ButtonWidth + 2;
    }
    return x;
}

void CFltkMainFrame::OnButton(Fl_Widget* button, void* data) {
    auto* self = static_cast<CFltkMainFrame*>(data);
    for (const auto& [id, widget] : self->m_buttons)
        if (widget == button && self->m_commandHandler)
            return self->m_commandHandler(id);
}

void CFltkMainFrame::EnableCommand(unsigned id, bool enabled) {
    auto found = m_buttons.find(id);
    if (found == m_buttons.end() || (found->second->active() != 0) == enabled)
        return;
    if (enabled)
        found->second->activate();
    else
        found->second->deactivate();
}

CViewWindow& CFltkMainFrame::ViewWindow() {
    return *m_view;
}

void CFltkMainFrame::OnLocationEnter(Fl_Widget*, void* data) {
    auto* self = static_cast<CFltkMainFrame*>(data);
    if (self->m_addressHandler)
        self->m_addressHandler(self->m_location->value());
}

void CFltkMainFrame::SetTitle(std::string_view title) {
    // FLTK keeps the pointer, so the text must outlive the call; it and the
    // window system read UTF-8.
    m_title = Windows1252ToUtf8(title);
    m_window->label(m_title.c_str());
}

void CFltkMainFrame::SetStatusText(std::string_view text) {
    // "@" starts a symbol in an FLTK label and "@@" shows itself, so that
    // addresses (mail addresses among them) are shown as they are.
    m_statusText.clear();
    for (char c : Windows1252ToUtf8(text)) {
        m_statusText += c;
        if (c == '@')
            m_statusText += '@';
    }
    m_status->label(m_statusText.c_str());
    m_status->redraw();
}

void CFltkMainFrame::SetLocation(std::string_view url) {
    m_location->value(std::string(url).c_str());
}

void CFltkMainFrame::Show() {
    m_window->show();
    m_view->take_focus();
}
