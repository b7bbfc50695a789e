#pragma once

#include <cstdint>
#include <span>
#include <string>

// A control file carries its product version in an ELF note (owner
// "Vestrial", type ProductVersionNoteType, the text with its terminating NUL
// as the descriptor), which VST_PRODUCT_VERSION in VestrialControl.h puts
// there when the control is compiled. These read it back from the section
// headers without loading the library. Any failure gives an empty version.

inline constexpr uint32_t ProductVersionNoteType = 1;
// Longer texts are not taken for a version.
inline constexpr size_t MaxProductVersionLength = 255;

[[nodiscard]] std::string ReadProductVersion(const std::string& path);
[[nodiscard]] std::string ProductVersionFromBytes(std::span<const uint8_t> file);
