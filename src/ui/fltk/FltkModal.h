#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

// Shows window modal over its owner (centred across, a third of the way
// down, as a dialog box stands over the window it belongs to) and runs the
// toolkit until it is hidden.
inline void RunModal(Fl_Window& window, Fl_Window* owner) {
    if (owner)
        window.position(owner->x() + (owner->w() - window.w()) / 2,
                        owner->y() + (owner->h() - window.h()) / 3);
    window.set_modal();
    window.show();
    while (window.shown())
        Fl::wait();
}
