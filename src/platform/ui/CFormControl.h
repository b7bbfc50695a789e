#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The child controls a page's forms show, as the toolkit-independent view
// asks for them. The view owns each control and decides what a click means;
// the window makes the toolkit's widget, keeps it where the page puts it as
// the page scrolls, and reports what the user does to it through
// CViewWindowClient::OnFormControlEvent.
enum class FormControlKind {
    Edit,          // one line of text
    PasswordEdit,  // one line, shown as one mark per character
    MultiLineEdit, // lines of text with a vertical scroll bar
    CheckBox,      // toggles itself when clicked
    RadioButton,   // does not check itself: the view decides
    PushButton,    //
    DefaultPushButton,
    DropDownList,    // a closed list showing its current option
    ListBox,         // a list with at most one selected option
    MultiSelectList, // a list whose options are selected one by one
};

struct CFormControlSpec {
    FormControlKind kind = FormControlKind::Edit;
    // The number the control's events carry.
    uint32_t commandId = 0;
    // The field's name, for scripts and for reading the page's controls;
    // the control does not show it.
    std::string name{};
    // An edit's text or a button's caption (Windows Latin-1; lines of a
    // multi-line edit end with CR LF).
    std::string text{};
    // The option texts of lists, in order.
    std::vector<std::string> options{};
    // Where the control stands, in document coordinates: the window places
    // it there less its scroll position.
    CRect rect{};
};

enum class FormControlEvent {
    Clicked,      // a button, check box or radio button was pressed
    EnterPressed, // Enter in a one-line edit
};

// One control of a form. Operations that do not apply to a control's kind
// do nothing (and answer empty, false or -1). UI thread only.
class CFormControl {
public:
    virtual ~CFormControl() = default;

    // rect in document coordinates.
    virtual void Move(const CRect& rect) = 0;

    // Edits: the whole text, line ends as CR LF.
    [[nodiscard]] virtual std::string GetText() const = 0;
    virtual void SetText(std::string_view text) = 0;

    // Check boxes and radio buttons.
    [[nodiscard]] virtual bool GetCheck() const = 0;
    virtual void SetCheck(bool checked) = 0;

    // Drop-down lists and single-selection lists: the current option, or -1.
    [[nodiscard]] virtual int32_t GetCurrentIndex() const = 0;
    virtual void SetCurrentIndex(int32_t index) = 0;
    // Multiple-selection lists: whether an option is selected. A list with
    // at most one selection ignores SetSelected, as a single-selection list
    // box ignores the marking of several options.
    [[nodiscard]] virtual bool IsSelected(int32_t index) const = 0;
    virtual void SetSelected(int32_t index, bool selected) = 0;
};
