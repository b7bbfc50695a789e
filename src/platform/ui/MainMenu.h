#pragma once

#include <span>
#include <string_view>
#include <vector>

// Menu 128 and tool bar 128 of the main window, as data both backends build
// their window from.

// One item of a drop-down menu. The text is as the menu shows it: "&"
// before the letter that chooses it, and after a tab the accelerator,
// which is what the key is (the backends read it from here).
struct MenuItem {
    std::string_view text; // empty for a separator
    unsigned id = 0;       // 0 for a separator
    // Shown greyed whatever the command's state (a placeholder, a command
    // this program does not offer).
    bool alwaysGreyed = false;
};

struct Menu {
    std::string_view title;
    std::span<const MenuItem> items;
    // The menu stands at the right end of the menu bar.
    bool rightAligned = false;
};

// The menus in the menu bar's order.
[[nodiscard]] std::span<const Menu> MainMenu();

// One entry of the tool bar: a button with picture image of the strip, or a
// separator (id 0).
struct ToolBarEntry {
    unsigned id = 0;
    int image = -1;
};

[[nodiscard]] std::span<const ToolBarEntry> ToolBarEntries();

// The tool bar strip's pictures, side by side, and the animation frames.
namespace ToolBarImage {
inline constexpr unsigned StripResource = 128;
inline constexpr int Width = 64;
inline constexpr int Height = 32;
inline constexpr int ButtonWidth = 70;
inline constexpr int ButtonHeight = 38;
inline constexpr int Count = 8;
} // namespace ToolBarImage

namespace AnimationImage {
inline constexpr int FrameCount = 31;
inline constexpr unsigned FirstResource = 1001;
// The part of each frame's picture that is shown, stretched to the bar.
inline constexpr int SourceX = 7;
inline constexpr int SourceY = 2;
inline constexpr int SourceSize = 45;
} // namespace AnimationImage

// A key that chooses a command: the letter of "Ctrl+O" and the like.
struct Accelerator {
    char key = 0; // lower case
    bool control = false;
    unsigned id = 0;
};

// The accelerator a menu text shows after its tab, if any (its id is left
// as it was).
[[nodiscard]] bool ParseAccelerator(std::string_view menuText, Accelerator& accelerator);
// Every accelerator the menus show, with its command.
[[nodiscard]] std::vector<Accelerator> Accelerators();
// The text without its accelerator part.
[[nodiscard]] std::string_view MenuLabel(std::string_view menuText);

// A command's status-bar prompt and tool tip: the two lines of its text in
// the string table (empty when it has none).
[[nodiscard]] std::string_view CommandPrompt(unsigned id);
[[nodiscard]] std::string_view CommandToolTip(unsigned id);
