#pragma once

// The commands of the main window, by the ids its menus and tool bar send.
namespace CommandId {

inline constexpr unsigned Back = 4006;
inline constexpr unsigned Forward = 4007;
inline constexpr unsigned Home = 4008;
inline constexpr unsigned Reload = 4009;
inline constexpr unsigned Stop = 4012;

} // namespace CommandId
