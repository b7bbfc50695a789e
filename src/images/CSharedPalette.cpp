#include "images/CSharedPalette.h"

#include "images/CColorCube.h"

#include <algorithm>

namespace {

constexpr uint8_t kNoCollapse = kPaletteNoCollapse;

// The fixed entries. 29-232 are filled from the cube by BuildEntries.
constexpr std::array<CPaletteEntry, 29> kLow = {{
    {0, 0, 0, 0},
    {128, 0, 0, 0},
    {0, 128, 0, 0},
    {128, 128, 0, 0},
    {0, 0, 128, 0},
    {128, 0, 128, 0},
    {0, 128, 128, 0},
    {192, 192, 192, 0},
    {192, 220, 192, 0},
    {166, 202, 240, 0},
    {4, 4, 4, kNoCollapse},
    {8, 8, 8, kNoCollapse},
    {12, 12, 12, kNoCollapse},
    {17, 17, 17, kNoCollapse},
    {22, 22, 22, kNoCollapse},
    {28, 28, 28, kNoCollapse},
    {34, 34, 34, kNoCollapse},
    {41, 41, 41, kNoCollapse},
    {85, 85, 85, kNoCollapse},
    {77, 77, 77, kNoCollapse},
    {66, 66, 66, kNoCollapse},
    {57, 57, 57, kNoCollapse},
    {129, 129, 129, kNoCollapse},
    {129, 0, 0, kNoCollapse},
    {0, 129, 0, kNoCollapse},
    {129, 129, 0, kNoCollapse},
    {0, 0, 129, kNoCollapse},
    {129, 0, 129, kNoCollapse},
    {0, 129, 129, kNoCollapse},
}};

constexpr std::array<CPaletteEntry, 23> kHigh = {{
    {193, 193, 193, kNoCollapse},
    {95, 95, 95, kNoCollapse},
    {119, 119, 119, kNoCollapse},
    {134, 134, 134, kNoCollapse},
    {150, 150, 150, kNoCollapse},
    {203, 203, 203, kNoCollapse},
    {178, 178, 178, kNoCollapse},
    {215, 215, 215, kNoCollapse},
    {221, 221, 221, kNoCollapse},
    {227, 227, 227, kNoCollapse},
    {234, 234, 234, kNoCollapse},
    {241, 241, 241, kNoCollapse},
    {248, 248, 248, kNoCollapse},
    {255, 251, 240, 0},
    {160, 160, 164, 0},
    {128, 128, 128, 0},
    {255, 0, 0, 0},
    {0, 255, 0, 0},
    {255, 255, 0, 0},
    {0, 0, 255, 0},
    {255, 0, 255, 0},
    {0, 255, 255, 0},
    {255, 255, 255, 0},
}};

constexpr int kCubeFirst = 29;
constexpr int kCubeLast = 232;
constexpr int kSystemHighFirst = 246;

constexpr bool SameColor(const CPaletteEntry& a, uint8_t r, uint8_t g, uint8_t b) {
    return a.red == r && a.green == g && a.blue == b;
}

// The cube colours that the palette leaves out because a neighbouring pure
// colour stands in for them.
constexpr bool IsSubstituted(uint8_t r, uint8_t g, uint8_t b) {
    return (r == 51 && g == 0 && b == 255) || (r == 51 && g == 255 && b == 0) ||
           (r == 0 && g == 51 && b == 255) || (r == 0 && g == 255 && b == 51);
}

constexpr bool IsSystemColor(uint8_t r, uint8_t g, uint8_t b) {
    for (int i = 0; i < 10; ++i) {
        if (SameColor(kLow[static_cast<size_t>(i)], r, g, b))
            return true;
    }
    for (size_t i = kSystemHighFirst - (kCubeLast + 1); i < kHigh.size(); ++i) {
        if (SameColor(kHigh[i], r, g, b))
            return true;
    }
    return false;
}

// Cube entries go in blue-major order, skipping what the fixed part holds.
constexpr std::array<CPaletteEntry, CPalette::kSize> BuildEntries() {
    std::array<CPaletteEntry, CPalette::kSize> entries{};
    std::ranges::copy(kLow, entries.begin());
    std::ranges::copy(kHigh, entries.begin() + kCubeLast + 1);
    size_t next = kCubeFirst;
    for (int cube = 0; cube < CColorCube::kColorCount; ++cube) {
        const uint8_t r = CColorCube::kLevelValues[static_cast<size_t>(cube % 6)];
        const uint8_t g = CColorCube::kLevelValues[static_cast<size_t>(cube / 6 % 6)];
        const uint8_t b = CColorCube::kLevelValues[static_cast<size_t>(cube / 36)];
        if (!IsSystemColor(r, g, b) && !IsSubstituted(r, g, b))
            entries[next++] = {r, g, b, kNoCollapse};
    }
    if (next != kCubeLast + 1)
        throw "the cube does not fill its slots"; // stops compilation: constant evaluation
    return entries;
}

constexpr std::array<CPaletteEntry, CPalette::kSize> kEntries = BuildEntries();

} // namespace

const std::array<CPaletteEntry, CPalette::kSize>& CSharedPalette::Entries() {
    return kEntries;
}

const CPalette& CSharedPalette::Get() {
    static const CPalette palette(kEntries);
    return palette;
}

const std::array<CRgbQuad, CPalette::kSize>& CSharedPalette::ColorTable() {
    static const std::array<CRgbQuad, CPalette::kSize> table = Get().ToColorTable();
    return table;
}
