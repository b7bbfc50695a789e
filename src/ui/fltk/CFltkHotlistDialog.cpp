#include "ui/fltk/CFltkHotlistDialog.h"

#include "platform/Windows1252.h"
#include "ui/fltk/FltkModal.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>

#include <optional>
#include <string>

namespace {

constexpr int Width = 480;
constexpr int Height = 330;
constexpr int Margin = 10;
constexpr int ButtonWidth = 110;
constexpr int ButtonHeight = 26;
constexpr int Gap = 6;

// The item dialog: what was typed when OK was pressed, or nothing.
std::optional<HotlistItemFields> RunItemDialog(const HotlistItemFields& fields, const char* caption,
                                               Fl_Window& owner) {
    constexpr int ItemWidth = 440;
    constexpr int ItemHeight = 130;
    constexpr int LabelWidth = 50;
    Fl_Double_Window window(ItemWidth, ItemHeight, caption);
    bool confirmed = false;
    struct State {
        Fl_Window* window;
        bool* confirmed;
    } state{&window, &confirmed};
    // The widgets are owned by window, which deletes them.
    auto* title = new Fl_Input(Margin + LabelWidth, Margin, ItemWidth - 2 * Margin - LabelWidth,
                               ButtonHeight, "Title");
    auto* url = new Fl_Input(Margin + LabelWidth, Margin + ButtonHeight + Gap,
                             ItemWidth - 2 * Margin - LabelWidth, ButtonHeight, "URL");
    const int buttonTop = ItemHeight - Margin - ButtonHeight;
    auto* ok =
        new Fl_Return_Button(ItemWidth - 2 * (80 + Margin), buttonTop, 80, ButtonHeight, "OK");
    auto* cancel = new Fl_Button(ItemWidth - 80 - Margin, buttonTop, 80, ButtonHeight, "Cancel");
    ok->callback(
        [](Fl_Widget*, void* data) {
            auto* s = static_cast<State*>(data);
            *s->confirmed = true;
            s->window->hide();
        },
        &state);
    auto close = [](Fl_Widget*, void* data) { static_cast<State*>(data)->window->hide(); };
    cancel->callback(close, &state);
    window.callback(close, &state);
    window.end();
    title->value(Windows1252ToUtf8(fields.title).c_str());
    url->value(Windows1252ToUtf8(fields.url).c_str());
    title->take_focus();
    RunModal(window, &owner);
    if (!confirmed)
        return std::nullopt;
    return HotlistItemFields{.title = Utf8ToWindows1252(title->value()),
                             .url = Utf8ToWindows1252(url->value())};
}

class CHotlistWindow {
public:
    explicit CHotlistWindow(CHotlistDialogModel& model)
        : m_model(model), m_window(Width, Height, CHotlistDialogModel::Caption) {
        const int listWidth = Width - 3 * Margin - ButtonWidth;
        const int right = Width - Margin - ButtonWidth;
        // Every widget below is owned by m_window, which deletes them.
        m_list = new Fl_Hold_Browser(Margin, Margin, listWidth, Height - 3 * Margin - ButtonHeight);
        m_list->callback(Call<&CHotlistWindow::OnList>, this);
        m_url = new Fl_Box(Margin, Height - Margin - ButtonHeight, listWidth, ButtonHeight);
        m_url->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
        int top = Margin;
        auto button = [&](const char* label, void (*callback)(Fl_Widget*, void*),
                          bool ret = false) {
            Fl_Button* made =
                ret ? new Fl_Return_Button(right, top, ButtonWidth, ButtonHeight, label)
                    : new Fl_Button(right, top, ButtonWidth, ButtonHeight, label);
            made->callback(callback, this);
            top += ButtonHeight + Gap;
            return made;
        };
        button("OK", Call<&CHotlistWindow::OnOk>, true);
        button("Cancel", Call<&CHotlistWindow::OnCancel>);
        top += Gap;
        m_new = button("New Item...", Call<&CHotlistWindow::OnNew>);
        m_edit = button("Edit Item...", Call<&CHotlistWindow::OnEdit>);
        m_delete = button("Delete Item", Call<&CHotlistWindow::OnDelete>);
        m_up = button("Move Up", Call<&CHotlistWindow::OnUp>);
        m_down = button("Move Down", Call<&CHotlistWindow::OnDown>);
        m_open = button("Open URL", Call<&CHotlistWindow::OnOpenUrl>);
        m_window.callback(Call<&CHotlistWindow::OnCancel>, this);
        m_window.end();
        FillList();
    }

    HotlistDialogResult Run() {
        RunModal(m_window, Fl::first_window());
        return m_result;
    }

private:
    template <void (CHotlistWindow::*Handler)()> static void Call(Fl_Widget*, void* self) {
        (static_cast<CHotlistWindow*>(self)->*Handler)();
    }

    void FillList() {
        m_list->clear();
        for (size_t i = 0; i < m_model.Count(); ++i)
            // "@" starts a format in a browser line; "@." ends the formats.
            m_list->add(("@." + Windows1252ToUtf8(m_model.Title(i))).c_str());
        if (std::optional<size_t> selection = m_model.Selection())
            m_list->select(static_cast<int>(*selection) + 1);
        UpdateButtons();
    }

    void UpdateButtons() {
        const HotlistButtons buttons = m_model.Buttons();
        auto set = [](Fl_Widget* widget, bool on) {
            on ? widget->activate() : widget->deactivate();
        };
        set(m_up, buttons.moveUp);
        set(m_down, buttons.moveDown);
        set(m_edit, buttons.editItem);
        set(m_delete, buttons.deleteItem);
        set(m_open, buttons.openUrl);
        m_urlText = Windows1252ToUtf8(buttons.url);
        m_url->copy_label(m_urlText.c_str());
        m_url->redraw();
    }

    void OnList() {
        const int line = m_list->value();
        m_model.Select(line > 0 ? std::optional<size_t>(line - 1) : std::nullopt);
        UpdateButtons();
        if (Fl::event_clicks() && line > 0) {
            Fl::event_clicks(0);
            OnOpenUrl();
        }
    }

    void OnNew() {
        if (auto fields = RunItemDialog(m_model.NewItemFields(),
                                        CHotlistDialogModel::NewItemCaption, m_window)) {
            m_model.ApplyNewItem(*fields);
            FillList();
        }
    }

    void OnEdit() {
        if (auto fields = RunItemDialog(m_model.EditItemFields(),
                                        CHotlistDialogModel::EditItemCaption, m_window)) {
            m_model.ApplyEditItem(*fields);
            FillList();
        }
    }

    void OnDelete() {
        m_model.DeleteItem();
        FillList();
    }
    void OnUp() {
        m_model.MoveUp();
        FillList();
    }
    void OnDown() {
        m_model.MoveDown();
        FillList();
    }
    void OnOpenUrl() {
        if (m_model.ChooseOpenUrl())
            Close(HotlistDialogResult::OpenUrl);
    }
    void OnOk() { Close(HotlistDialogResult::Ok); }
    void OnCancel() { Close(HotlistDialogResult::Cancel); }
    void Close(HotlistDialogResult result) {
        m_result = result;
        m_window.hide();
    }

    CHotlistDialogModel& m_model;
    Fl_Double_Window m_window;
    Fl_Hold_Browser* m_list;
    Fl_Box* m_url;
    Fl_Button* m_new;
    Fl_Button* m_edit;
    Fl_Button* m_delete;
    Fl_Button* m_up;
    Fl_Button* m_down;
    Fl_Button* m_open;
    std::string m_urlText;
    HotlistDialogResult m_result = HotlistDialogResult::Cancel;
};

} // namespace

HotlistDialogResult RunEditHotlistDialog(CHotlistDialogModel& model) {
    CHotlistWindow window(model);
    return window.Run();
}
