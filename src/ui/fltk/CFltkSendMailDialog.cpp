#include "ui/fltk/CFltkSendMailDialog.h"

#include "platform/Windows1252.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>

#include <cstdlib>
#include <memory>

namespace {

constexpr int Width = 520;
constexpr int Height = 400;
constexpr int LabelWidth = 70;
constexpr int FieldHeight = 24;
constexpr int FieldGap = 8;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;
constexpr int Margin = 10;

struct DialogState {
    Fl_Double_Window* window;
    bool sent = false;
};

void OnSend(Fl_Widget*, void* data) {
    auto* state = static_cast<DialogState*>(data);
    state->sent = true;
    state->window->hide();
}

// Cancel, Escape and closing the window all land here.
void OnCancel(Fl_Widget*, void* data) {
    static_cast<DialogState*>(data)->window->hide();
}

// The toolkit speaks UTF-8; the engine's text is one byte per character.
std::string Shown(const std::string& text) {
    return Windows1252ToUtf8(text);
}

std::string Typed(const char* utf8) {
    return Utf8ToWindows1252(utf8 ? utf8 : "");
}

} // namespace

std::optional<MailFields> RunSendMailDialog(const MailFields& fields) {
    // An editor does not own its buffer: this one outlives the window.
    auto buffer = std::make_unique<Fl_Text_Buffer>();
    Fl_Double_Window window(Width, Height, "Send Mail");
    DialogState state{&window};
    const int fieldLeft = Margin + LabelWidth;
    const int fieldWidth = Width - fieldLeft - Margin;
    auto row = [](int index) { return Margin + index * (FieldHeight + FieldGap); };
    // The widgets below are owned by window, which deletes them.
    auto* to = new Fl_Input(fieldLeft, row(0), fieldWidth, FieldHeight, "To:");
    auto* subject = new Fl_Input(fieldLeft, row(1), fieldWidth, FieldHeight, "Subject:");
    auto* cc = new Fl_Input(fieldLeft, row(2), fieldWidth, FieldHeight, "cc:");
    const int bodyTop = row(3);
    const int buttonTop = Height - ButtonHeight - Margin;
    auto* body =
        new Fl_Text_Editor(Margin, bodyTop, Width - 2 * Margin, buttonTop - Margin - bodyTop);
    body->buffer(buffer.get());
    body->textfont(FL_COURIER);
    auto* send = new Fl_Return_Button(Width - 2 * (ButtonWidth + Margin), buttonTop, ButtonWidth,
                                      ButtonHeight, "Send");
    auto* cancel =
        new Fl_Button(Width - ButtonWidth - Margin, buttonTop, ButtonWidth, ButtonHeight, "Cancel");
    send->callback(OnSend, &state);
    cancel->callback(OnCancel, &state);
    window.callback(OnCancel, &state);
    window.end();
    window.resizable(body);

    to->value(Shown(fields.to).c_str());
    subject->value(Shown(fields.subject).c_str());
    cc->value(Shown(fields.cc).c_str());
    buffer->text(Shown(fields.body).c_str());

    // Over the main window, as a dialog box stands over its owner.
    if (Fl_Window* owner = Fl::first_window())
        window.position(owner->x() + (owner->w() - Width) / 2,
                        owner->y() + (owner->h() - Height) / 3);
    window.set_modal();
    window.show();
    to->take_focus();
    while (window.shown())
        Fl::wait();
    if (!state.sent)
        return std::nullopt;
    MailFields typed;
    typed.to = Typed(to->value());
    typed.subject = Typed(subject->value());
    typed.cc = Typed(cc->value());
    // The buffer hands out a copy of its text that the caller frees.
    char* text = buffer->text();
    typed.body = Typed(text);
    std::free(text);
    return typed;
}
