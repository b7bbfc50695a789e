#pragma once

#include <string_view>

// What takes typed text and keys in the window without a display: the page,
// unless something (a form control) has taken the focus.
class CHeadlessFocus {
public:
    virtual ~CHeadlessFocus() = default;
    // Text as a keyboard gives it (UTF-8).
    virtual void TypeText(std::string_view text) = 0;
    // Keys by their X names: "Return", "Tab", "Page_Down", ...
    virtual void PressKey(std::string_view name) = 0;
};

// Who keeps the focus: the backend, which sends typing and keys to it.
class CHeadlessFocusOwner {
public:
    virtual ~CHeadlessFocusOwner() = default;
    // null gives the focus back to the page.
    virtual void SetFocus(CHeadlessFocus* focus) = 0;
    // Gives the focus back to the page if focus has it (focus is going away).
    virtual void ReleaseFocus(CHeadlessFocus* focus) = 0;
};
