#include "ui/fltk/CFltkMainFrame.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Output.H>

namespace {

constexpr int DefaultWidth = 800;
constexpr int DefaultHeight = 600;
constexpr int StatusHeight = 22;
constexpr int LocationHeight = 26;
constexpr int LabelWidth = 70;

} // namespace

CFltkMainFrame::CFltkMainFrame()
    : m_window(std::make_unique<Fl_Double_Window>(DefaultWidth, DefaultHeight)) {
    m_location = new Fl_Output(LabelWidth, 2, DefaultWidth - LabelWidth - 2, LocationHeight - 4,
                               "Location:"); // owned by m_window
    auto* page = new Fl_Box(0, LocationHeight, DefaultWidth,
                            DefaultHeight - StatusHeight - LocationHeight); // owned by m_window
    page->box(FL_FLAT_BOX);
    page->color(FL_WHITE);
    m_status = new Fl_Box(0, DefaultHeight - StatusHeight, DefaultWidth, StatusHeight); // owned
    m_status->box(FL_THIN_DOWN_BOX);
    m_status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    m_window->resizable(page);
    m_window->end();
}

CFltkMainFrame::~CFltkMainFrame() = default;

void CFltkMainFrame::SetTitle(std::string_view title) {
    // FLTK keeps the pointer, so the text must outlive the call.
    m_title = title;
    m_window->label(m_title.c_str());
}

void CFltkMainFrame::SetStatusText(std::string_view text) {
    m_statusText = text;
    m_status->label(m_statusText.c_str());
    m_status->redraw();
}

void CFltkMainFrame::SetLocation(std::string_view url) {
    m_location->value(std::string(url).c_str());
}

void CFltkMainFrame::Show() {
    m_window->show();
}
