#pragma once

#include "platform/ui/CFormControl.h"

#include <string>
#include <vector>

class CFltkViewWindow;
class Fl_Browser;
class Fl_Button;
class Fl_Choice;
class Fl_Input_;
class Fl_Widget;

// A form control as an FLTK widget, a child of the page area: an input,
// secret input or multi-line input, a check or round button, a push
// button, a choice or a browser. The page area places it at its document
// rectangle less the scroll position and clips it to the page. UI thread
// only.
class CFltkFormControl final : public CFormControl {
public:
    CFltkFormControl(CFltkViewWindow& window, const CFormControlSpec& spec);
    // The widget leaves the page at once and is deleted once the event being
    // handled (perhaps its own click) is over.
    ~CFltkFormControl() override;
    CFltkFormControl(const CFltkFormControl&) = delete;
    CFltkFormControl& operator=(const CFltkFormControl&) = delete;

    [[nodiscard]] Fl_Widget& Widget() const { return *m_widget; }
    [[nodiscard]] CRect Rect() const { return m_rect; }

    void Move(const CRect& rect) override;
    [[nodiscard]] std::string GetText() const override;
    void SetText(std::string_view text) override;
    [[nodiscard]] bool GetCheck() const override;
    void SetCheck(bool checked) override;
    [[nodiscard]] int32_t GetCurrentIndex() const override;
    void SetCurrentIndex(int32_t index) override;
    [[nodiscard]] bool IsSelected(int32_t index) const override;
    void SetSelected(int32_t index, bool selected) override;

private:
    void MakeWidget(const CFormControlSpec& spec);

    CFltkViewWindow& m_window;
    FormControlKind m_kind;
    CRect m_rect;
    std::string m_caption;                  // FLTK keeps the label's pointer
    std::vector<std::string> m_optionTexts; // and the menu items' pointers
    Fl_Widget* m_widget = nullptr;          // owned by the page area's group
    Fl_Input_* m_input = nullptr;           // m_widget as an input, or null
    Fl_Button* m_button = nullptr;          // likewise
    Fl_Choice* m_choice = nullptr;          // likewise
    Fl_Browser* m_browser = nullptr;        // likewise
};
