#include "ui/fltk/CFltkMainFrame.h"

#include "platform/Windows1252.h"
#include "ui/fltk/CFltkViewWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>

namespace {

constexpr int DefaultWidth = 800;
constexpr int DefaultHeight = 600;
constexpr int StatusHeight = 22;
constexpr int LocationHeight = 26;
constexpr int LabelWidth = 70;

} // namespace

CFltkMainFrame::CFltkMainFrame()
    : m_window(std::make_unique<Fl_Double_Window>(DefaultWidth, DefaultHeight)) {
    m_location = new Fl_Input(LabelWidth, 2, DefaultWidth - LabelWidth - 2, LocationHeight - 4,
                              "Location:"); // owned by m_window
    m_location->when(FL_WHEN_ENTER_KEY_ALWAYS);
    m_location->callback(OnLocationEnter, this);
    m_view = new CFltkViewWindow(0, LocationHeight, DefaultWidth,
                                 DefaultHeight - StatusHeight - LocationHeight); // owned
    m_view->SetStatusSink([this](std::string_view text) { SetStatusText(text); });
    m_status = new Fl_Box(0, DefaultHeight - StatusHeight, DefaultWidth, StatusHeight); // owned
    m_status->box(FL_THIN_DOWN_BOX);
    m_status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    // FLTK scales every edge that lies inside the resizable box: an invisible
    // box just inside the fixed edges keeps the label, the field's left end
    // and the bars' heights where they are.
    auto* sizing = new Fl_Box(LabelWidth + 1, LocationHeight + 1, DefaultWidth - LabelWidth - 4,
                              DefaultHeight - StatusHeight - LocationHeight - 2); // owned
    sizing->hide();
    m_window->resizable(sizing);
    m_window->end();
}

CFltkMainFrame::~CFltkMainFrame() = default;

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
