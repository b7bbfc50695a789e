#include "ui/fltk/CFltkDownloadDialog.h"

#include "platform/Windows1252.h"
#include "ui/fltk/FltkModal.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>

namespace {

constexpr int Margin = 10;
constexpr int DialogWidth = 460;
constexpr int WarningHeight = 80;
constexpr int RowHeight = 22;
// Between the widest label and the values.
constexpr int LabelGap = 10;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;

struct DownloadState {
    Fl_Window* window;
    bool yes = false;
};

void OnYes(Fl_Widget*, void* data) {
    auto* state = static_cast<DownloadState*>(data);
    state->yes = true;
    state->window->hide();
}

void OnNo(Fl_Widget*, void* data) {
    auto* state = static_cast<DownloadState*>(data);
    state->yes = false;
    state->window->hide();
}

} // namespace

bool RunDownloadControlDialog(const ControlDownloadQuestion& question) {
    const auto fields = question.Fields();
    const int rows = static_cast<int>(fields.size());
    const int dialogHeight =
        Margin + WarningHeight + Margin + (rows + 1) * RowHeight + Margin + ButtonHeight + Margin;
    Fl_Double_Window window(DialogWidth, dialogHeight, "Vestrial");
    DownloadState state{&window};
    const int textWidth = DialogWidth - 2 * Margin;
    // The widgets below are owned by window, which deletes them.
    auto* warning = new Fl_Box(Margin, Margin, textWidth, WarningHeight);
    warning->copy_label(std::string(ControlDownloadQuestion::Warning).c_str());
    warning->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    // The labels' column is as wide as the widest label in the font it is
    // drawn with.
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int labelWidth = 0;
    for (const auto& field : fields)
        labelWidth = std::max(
            labelWidth, static_cast<int>(fl_width(std::string(field.first).c_str())) + LabelGap);
    int top = Margin + WarningHeight + Margin;
    for (const auto& [label, value] : fields) {
        auto* name = new Fl_Box(Margin, top, labelWidth, RowHeight);
        name->copy_label(std::string(label).c_str());
        name->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        auto* shown = new Fl_Box(Margin + labelWidth, top, textWidth - labelWidth, RowHeight);
        // The toolkit speaks UTF-8; the page's text is one byte per character.
        shown->copy_label(Windows1252ToUtf8(*value).c_str());
        shown->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
        shown->labelfont(FL_BOLD);
        top += RowHeight;
    }
    auto* asked = new Fl_Box(Margin, top, textWidth, RowHeight);
    asked->copy_label(std::string(ControlDownloadQuestion::Question).c_str());
    asked->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    const int buttonTop = dialogHeight - ButtonHeight - Margin;
    const int left = (DialogWidth - 2 * ButtonWidth - Margin) / 2;
    auto* yes = new Fl_Return_Button(left, buttonTop, ButtonWidth, ButtonHeight, "Yes");
    yes->callback(OnYes, &state);
    auto* no =
        new Fl_Button(left + ButtonWidth + Margin, buttonTop, ButtonWidth, ButtonHeight, "No");
    no->callback(OnNo, &state);
    // Closing the window answers No.
    window.callback(OnNo, &state);
    window.end();
    RunModal(window, Fl::first_window());
    return state.yes;
}
