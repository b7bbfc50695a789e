#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What a control of a property page is.
enum class SheetControlKind {
    Edit,
    ReadOnlyEdit, // shown, not editable
    Check,        // its text is "1" or "0"
    List,         // multiple selection, lines in the sheet's order
    Button,
    Static, // a label; disabled ones stand for settings that do nothing
};

// One control of a page as a window shows it. A control that holds a value
// has a name scripts set it by.
struct SheetControl {
    unsigned id = 0;
    SheetControlKind kind = SheetControlKind::Static;
    std::string_view label;
    std::string_view name;
    bool enabled = true;
};

// A property sheet as the backends see it: pages of controls over values
// the sheet keeps as text, the way a dialog's edit fields hold what was typed
// until it is checked. The sheet shows its own messages (through the
// backend), so a window only hands over what the user did. UI thread only.
class CPreferenceSheet {
public:
    virtual ~CPreferenceSheet() = default;

    [[nodiscard]] virtual std::string_view Title() const = 0;
    [[nodiscard]] virtual size_t PageCount() const = 0;
    [[nodiscard]] virtual std::string_view PageCaption(size_t page) const = 0;
    [[nodiscard]] virtual std::span<const SheetControl> Controls(size_t page) const = 0;
    [[nodiscard]] virtual size_t ActivePage() const = 0;
    // Leaving the active page checks its numbers: false, after the message,
    // when one is wrong; that page stays active.
    [[nodiscard]] virtual bool SelectPage(size_t page) = 0;
    // An edit's text or a check box's "1"/"0", by control id.
    [[nodiscard]] virtual std::string Text(unsigned id) const = 0;
    virtual void SetText(unsigned id, std::string_view text) = 0;
    [[nodiscard]] virtual std::vector<std::string> ListLines(unsigned id) const = 0;
    // A button, with the lines of its page's list that are selected.
    virtual void Press(unsigned id, const std::vector<size_t>& selected) = 0;
    // OK: false, after the message and with the failing page made active,
    // when a number is wrong; true when the values may be taken.
    [[nodiscard]] virtual bool Confirm() = 0;
};
