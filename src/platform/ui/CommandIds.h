#pragma once

// The commands of the main window, by the ids its menus, tool bar and
// accelerators send. The string table holds each one's status-bar prompt
// and, after a line feed, its tool tip, under the same number.
namespace CommandId {

// File
inline constexpr unsigned OpenFile = 57601;
inline constexpr unsigned OpenUrl = 4001;
inline constexpr unsigned Print = 57607;
inline constexpr unsigned PrintPreview = 57608;
inline constexpr unsigned PrintSetup = 57606;
inline constexpr unsigned Exit = 57665;

// Edit: the address field's, while it has the focus; and find in page.
inline constexpr unsigned Cut = 57635;
inline constexpr unsigned Copy = 57634;
inline constexpr unsigned Paste = 57637;
inline constexpr unsigned Undo = 57643;
inline constexpr unsigned Find = 57636;

// View: the bars, shown and hidden (the bars' own ids).
inline constexpr unsigned ToolBar = 59392;
inline constexpr unsigned StatusBar = 59393;
inline constexpr unsigned LocationBar = 4000;

// Go
inline constexpr unsigned Back = 4006;
inline constexpr unsigned Forward = 4007;
inline constexpr unsigned Home = 4008;
inline constexpr unsigned Reload = 4009;
inline constexpr unsigned Stop = 4012;

// Hotlist: the bookmark entries take the ids from HotlistFirst on.
inline constexpr unsigned AddToHotlist = 4003;
inline constexpr unsigned EditHotlist = 4004;
inline constexpr unsigned HotlistFirst = 3000;
inline constexpr unsigned HotlistLast = 3019;

// Options and Help
inline constexpr unsigned Preferences = 4014;
inline constexpr unsigned About = 57664;

// The location bar's invisible default button: Enter in the address field.
inline constexpr unsigned OpenLocation = 4013;

} // namespace CommandId

// The bars of the main window. The tool bar and the status bar answer to
// their View commands' ids; the location bar has an id of its own.
namespace BarId {

inline constexpr unsigned ToolBar = 59392;
inline constexpr unsigned StatusBar = 59393;
inline constexpr unsigned LocationBar = 10001;

} // namespace BarId
