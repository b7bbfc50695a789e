#pragma once

#include "platform/gdi/CPalette.h"

#include <array>
#include <cstdint>

// The one fixed palette of the process. Every picture is reduced to its
// indices while it is decoded, so drawing a picture into a page is a byte
// copy. Indices 0-9 and 246-255 are the twenty fixed system colours; the
// rest are greys and the colour cube (CColorCube).
class CSharedPalette {
public:
    [[nodiscard]] static const std::array<CPaletteEntry, CPalette::kSize>& Entries();
    // The palette object, made from the table on first use and kept until
    // exit.
    [[nodiscard]] static const CPalette& Get();
    // The colour table for sections painted with the shared palette.
    [[nodiscard]] static const std::array<CRgbQuad, CPalette::kSize>& ColorTable();
};

[[nodiscard]] inline const CPalette& GetSharedPalette() {
    return CSharedPalette::Get();
}
