#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text is held one byte per character in the Windows Latin-1 code page
// (Windows-1252): ISO 8859-1 with printable signs (curly quotes, dashes,
// the euro, ...) where ISO 8859-1 has control codes at 0x80-0x9F.

// The character a byte stands for. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for themselves.
[[nodiscard]] char32_t Windows1252ToUnicode(uint8_t byte);

// The byte of a character the code page has, or -1 when it has none.
[[nodiscard]] int32_t UnicodeToWindows1252(char32_t character);

// Text as UTF-8, for the toolkit and the window system, which take no other.
[[nodiscard]] std::string Windows1252ToUtf8(std::string_view text);

// Text from the toolkit (UTF-8) as the engine holds it: a character the code
// page lacks becomes "?", and a byte that is not part of a well-formed
// sequence stands for itself.
[[nodiscard]] std::string Utf8ToWindows1252(std::string_view utf8);
