#include "ui/fltk/CFltkLoginDialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>

namespace {

constexpr int Width = 400;
constexpr int Height = 160;
constexpr int LabelWidth = 90;
constexpr int FieldHeight = 24;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;
constexpr int Margin = 10;

struct DialogState {
    Fl_Double_Window* window;
    bool accepted = false;
};

void OnOk(Fl_Widget*, void* data) {
    auto* state = static_cast<DialogState*>(data);
    state->accepted = true;
    state->window->hide();
}

// Cancel, Escape and closing the window all land here.
void OnCancel(Fl_Widget*, void* data) {
    static_cast<DialogState*>(data)->window->hide();
}

} // namespace

std::optional<LoginAnswer> RunLoginDialog() {
    Fl_Double_Window window(Width, Height, "Authorization Required");
    DialogState state{&window};
    // The widgets below are owned by window, which deletes them.
    auto* prompt = new Fl_Box(Margin, Margin, Width - 2 * Margin, 34,
                              "The site from which you have requested this URL requires a user "
                              "name and password.");
    prompt->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    auto* user = new Fl_Input(Margin + LabelWidth, 52, Width - LabelWidth - 2 * Margin, FieldHeight,
                              "User Name:");
    auto* password = new Fl_Secret_Input(Margin + LabelWidth, 52 + FieldHeight + 8,
                                         Width - LabelWidth - 2 * Margin, FieldHeight, "Password:");
    const int buttonTop = Height - ButtonHeight - Margin;
    auto* ok = new Fl_Return_Button(Width - 2 * (ButtonWidth + Margin), buttonTop, ButtonWidth,
                                    ButtonHeight, "OK");
    auto* cancel =
        new Fl_Button(Width - ButtonWidth - Margin, buttonTop, ButtonWidth, ButtonHeight, "Cancel");
    ok->callback(OnOk, &state);
    cancel->callback(OnCancel, &state);
    window.callback(OnCancel, &state);
    window.end();
    // Over the main window, as a dialog box stands over its owner.
    if (Fl_Window* owner = Fl::first_window())
        window.position(owner->x() + (owner->w() - Width) / 2,
                        owner->y() + (owner->h() - Height) / 3);
    window.set_modal();
    window.show();
    user->take_focus();
    while (window.shown())
        Fl::wait();
    if (!state.accepted)
        return std::nullopt;
    return LoginAnswer{user->value(), password->value()};
}
