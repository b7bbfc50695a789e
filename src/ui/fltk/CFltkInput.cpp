#include "ui/fltk/CFltkInput.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cerrno>
#include <cstdint>
#include <unistd.h>
#include <utility>

namespace {

// FLTK reads and dispatches events inside its own wait, so the loop learns of
// input through this flag set by the dispatch hook. UI thread only.
bool g_inputSeen = false;

int RecordingDispatch(int event, Fl_Window* window) {
    g_inputSeen = true;
    return Fl::handle_(event, window);
}

// The loop looks at what rang the doorbell itself (events, messages) after
// every wait, so FLTK only has to wake up. It drains the bell all the same:
// inside a modal dialog's own loop nobody else would, and FLTK would find the
// descriptor readable again and again and spin.
void OnWake(int fd, void*) {
    uint64_t value;
    while (read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

} // namespace

CFltkInput::CFltkInput(int wakeFd) : m_wakeFd(wakeFd) {
    Fl::add_fd(m_wakeFd, FL_READ, OnWake);
    Fl::event_dispatch(RecordingDispatch);
}

CFltkInput::~CFltkInput() {
    Fl::event_dispatch(nullptr);
    Fl::remove_fd(m_wakeFd);
}

bool CFltkInput::InputPending() {
    // A closed last window is input too: it ends the program.
    return g_inputSeen || !Fl::first_window() || Fl::ready();
}

void CFltkInput::Wait(int, int timeoutMs) {
    Fl::wait(timeoutMs / 1000.0);
}

CInputSource::Dispatched CFltkInput::DispatchOne() {
    if (!Fl::first_window())
        return Dispatched::Quit;
    bool seen = std::exchange(g_inputSeen, false);
    if (Fl::ready()) {
        Fl::check();
        seen = std::exchange(g_inputSeen, false) || seen;
    }
    if (!Fl::first_window())
        return Dispatched::Quit;
    return seen ? Dispatched::Idle : Dispatched::Nothing;
}
