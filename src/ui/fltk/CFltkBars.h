#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Fl_Button;
class Fl_Input;
class Fl_RGB_Image;

// The bars of the FLTK main window. Each is a group whose children it owns
// (FLTK deletes them with the group); the frame places the bars. UI thread
// only.

using CommandSink = std::function<void(unsigned id)>;
using TextSink = std::function<void(std::string_view text)>;

// A picture among the embedded resources ("bitmaps/<id>.png"), or null.
[[nodiscard]] std::unique_ptr<Fl_RGB_Image> LoadBitmap(unsigned id);

// The tool bar: the strip's pictures on 70 x 38 buttons, gaps for the
// separators. A button under the pointer shows its prompt in the status bar.
class CFltkToolBar final : public Fl_Group {
public:
    static int BarHeight();

    CFltkToolBar(int width, CommandSink command, TextSink prompt);
    ~CFltkToolBar() override;
    void Enable(unsigned id, bool enabled);

private:
    CommandSink m_command;
    std::map<unsigned, Fl_Button*> m_buttons; // owned by this group
    std::vector<std::unique_ptr<Fl_RGB_Image>> m_images;
};

// The busy animation: one of the 31 frames, the square at (7, 2) of side 45
// of each picture, stretched to the box.
class CFltkAnimation final : public Fl_Box {
public:
    CFltkAnimation(int x, int y, int side);
    ~CFltkAnimation() override;
    void ShowFrame(int index);
    [[nodiscard]] int Frame() const { return m_index; }
    void draw() override;
    void resize(int x, int y, int width, int height) override;

private:
    void ScaleFrames();

    std::vector<std::unique_ptr<Fl_RGB_Image>> m_sources; // the shown squares
    std::vector<std::unique_ptr<Fl_RGB_Image>> m_scaled;
    int m_index = 0;
};

// The location bar: "Location:", the address field (Enter chooses the Open
// command) and the animation at the right end.
class CFltkLocationBar final : public Fl_Group {
public:
    static constexpr int BarHeight = 32;

    CFltkLocationBar(int width, CommandSink command);
    void resize(int x, int y, int width, int height) override;
    Fl_Input& Address() { return *m_address; }
    CFltkAnimation& Animation() { return *m_animation; }

private:
    void Arrange();
    static void OnEnter(Fl_Widget* widget, void* self);

    CommandSink m_command;
    Fl_Input* m_address;         // owned by this group
    CFltkAnimation* m_animation; // owned by this group
};

// The status bar: the message pane, then CAP, NUM and SCRL, each shown while
// its key is locked.
class CFltkStatusBar final : public Fl_Group {
public:
    static constexpr int BarHeight = 22;

    explicit CFltkStatusBar(int width);
    void SetMessage(std::string_view text);
    void SetIndicators(bool caps, bool num, bool scroll);
    void resize(int x, int y, int width, int height) override;
    // What the panes show now ("CAP", or empty), for tests.
    [[nodiscard]] std::string IndicatorText() const;

private:
    void Arrange();

    Fl_Box* m_message;                 // owned by this group
    std::vector<Fl_Box*> m_indicators; // owned by this group
    std::string m_text;
};

// Find in page: "Find:", the text field (Enter finds the next match), Find
// Next, the outcome and Close. Escape in the field closes the bar.
class CFltkFindBar final : public Fl_Group {
public:
    static constexpr int BarHeight = 30;
    using FindSink = std::function<bool(const std::string& text)>;

    CFltkFindBar(int width, FindSink find, std::function<void()> close);
    void Open();
    void resize(int x, int y, int width, int height) override;
    int handle(int event) override;

private:
    void Arrange();
    void FindNext();

    FindSink m_find;
    std::function<void()> m_close;
    Fl_Input* m_text;         // owned by this group
    Fl_Button* m_next;        // owned by this group
    Fl_Box* m_outcome;        // owned by this group
    Fl_Button* m_closeButton; // owned by this group
};
