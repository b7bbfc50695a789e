#pragma once

#include <cstdint>

// What a page shows for a character when its text is held as Windows-1252
// bytes: the code page's own byte where it has the character; else a close
// stand-in where one is obvious (a letter without its accent, ASCII for a
// typographic hyphen, prime, space or fullwidth sign, the code page's bullet
// for the other bullets); nothing for the signs that take no room (zero-width
// and direction marks, combining accents, the byte-order mark); "?" for the
// rest.
inline constexpr int32_t kShowsNothing = -1;
[[nodiscard]] int32_t PageByteFor(char32_t character);
