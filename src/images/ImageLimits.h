#pragma once

#include <cstddef>

// The largest display buffer an image may ask for (8192 x 8192 pixels). Image
// sizes come from the network; a picture claiming more is refused rather
// than left to exhaust memory.
inline constexpr size_t kMaxImageBytes = size_t{1} << 26;

// The JPEG library's own working memory for one picture (progressive files
// keep every coefficient until the last scan).
inline constexpr long kMaxJpegLibraryMemory = 256L << 20;

// The colours an interlaced PNG keeps while its passes arrive (4 bytes a
// pixel): as much as the JPEG library may use.
inline constexpr size_t kMaxInterlacedPngBytes = size_t{1} << 28;
