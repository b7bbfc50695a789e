#include "images/CColorCube.h"
#include "images/CSharedPalette.h"
#include "images/MapRowNearest.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

using Rgb = std::tuple<int, int, int>;

Rgb ColorAt(int index) {
    const CPaletteEntry& e = GetSharedPalette().Entry(index);
    return {e.red, e.green, e.blue};
}

int CubeEntry(int r, int g, int b) {
    return CColorCube::BlueMajor()[static_cast<size_t>(CColorCube::BlueMajorIndex(
        CColorCube::Level(r), CColorCube::Level(g), CColorCube::Level(b)))];
}

// ---- The table ----

TEST(SharedPalette, FixedEntriesAreExactlyAsTabled) {
    const std::vector<std::pair<int, Rgb>> cases = {
        {0, {0, 0, 0}},         {1, {128, 0, 0}},       {7, {192, 192, 192}},
        {8, {192, 220, 192}},   {9, {166, 202, 240}},   {10, {4, 4, 4}},
        {17, {41, 41, 41}},     {18, {85, 85, 85}},     {22, {129, 129, 129}},
        {23, {129, 0, 0}},      {28, {0, 129, 129}},    {233, {193, 193, 193}},
        {234, {95, 95, 95}},    {245, {248, 248, 248}}, {246, {255, 251, 240}},
        {247, {160, 160, 164}}, {248, {128, 128, 128}}, {249, {255, 0, 0}},
        {250, {0, 255, 0}},     {251, {255, 255, 0}},   {252, {0, 0, 255}},
        {253, {255, 0, 255}},   {254, {0, 255, 255}},   {255, {255, 255, 255}},
    };
    for (const auto& [index, rgb] : cases)
        EXPECT_EQ(ColorAt(index), rgb) << "index " << index;
}

TEST(SharedPalette, SystemColoursCollapseAndTheRestDoNot) {
    EXPECT_EQ(GetSharedPalette().Version(), 0x300);
    for (int i = 0; i < 256; ++i) {
        const bool system = i < 10 || i >= 246;
        EXPECT_EQ(GetSharedPalette().Entry(i).flags, system ? 0 : kPaletteNoCollapse) << i;
    }
}

TEST(SharedPalette, MiddleHoldsEachKeptCubeColourOnce) {
    const std::set<Rgb> leftOut = {{51, 0, 255}, {51, 255, 0}, {0, 51, 255}, {0, 255, 51}};
    std::set<Rgb> fixed;
    for (int i = 0; i < 29; ++i)
        fixed.insert(ColorAt(i));
    for (int i = 233; i < 256; ++i)
        fixed.insert(ColorAt(i));
    std::set<Rgb> middle;
    for (int i = 29; i <= 232; ++i) {
        const auto [r, g, b] = ColorAt(i);
        EXPECT_EQ(r % 51 + g % 51 + b % 51, 0) << "not a cube colour at " << i;
        EXPECT_FALSE(leftOut.contains(ColorAt(i))) << i;
        EXPECT_FALSE(fixed.contains(ColorAt(i))) << i;
        EXPECT_TRUE(middle.insert(ColorAt(i)).second) << "twice: " << i;
    }
    EXPECT_EQ(middle.size(), 204u);
}

// ---- Levels and the cube tables ----

TEST(ColorCube, ChannelValuesReduceToTheNearestLevel) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 0},     {25, 0},    {26, 51},   {76, 51},   {77, 102},  {127, 102},
        {128, 153}, {178, 153}, {179, 204}, {229, 204}, {230, 255}, {255, 255},
    };
    for (const auto& [value, reduced] : cases) {
        EXPECT_EQ(CColorCube::ReducedTable()[static_cast<size_t>(value)], reduced) << value;
        EXPECT_EQ(CColorCube::LevelTable()[static_cast<size_t>(value)], reduced / 51) << value;
    }
}

TEST(ColorCube, PureColoursMapToTheirSystemEntries) {
    const std::vector<std::pair<Rgb, int>> cases = {
        {{255, 0, 0}, 249},   {{0, 255, 0}, 250},   {{255, 255, 0}, 251},   {{0, 0, 255}, 252},
        {{255, 0, 255}, 253}, {{0, 255, 255}, 254}, {{255, 255, 255}, 255}, {{0, 0, 0}, 0},
        {{51, 255, 0}, 250},  {{0, 255, 51}, 250},  {{51, 0, 255}, 252},    {{0, 51, 255}, 252},
    };
    for (const auto& [rgb, index] : cases) {
        const auto [r, g, b] = rgb;
        EXPECT_EQ(CubeEntry(r, g, b), index) << r << "," << g << "," << b;
    }
}

TEST(ColorCube, EveryOtherCubeColourMapsToItsOwnColour) {
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                const Rgb rgb{r * 51, g * 51, b * 51};
                const int index = CColorCube::BlueMajor()[static_cast<size_t>(
                    CColorCube::BlueMajorIndex(r, g, b))];
                if (rgb != Rgb{51, 255, 0} && rgb != Rgb{0, 255, 51} && rgb != Rgb{51, 0, 255} &&
                    rgb != Rgb{0, 51, 255}) {
                    EXPECT_EQ(ColorAt(index), rgb);
                }
                EXPECT_NE(index, kTransparentMarker);
                EXPECT_EQ(
                    CColorCube::RedMajor()[static_cast<size_t>(CColorCube::RedMajorIndex(r, g, b))],
                    index);
            }
        }
    }
}

// ---- MapRowNearest ----

std::array<CRgbQuad, 256> ImageColors() {
    std::array<CRgbQuad, 256> table{};
    table[0] = {0, 0, 255, 0};     // red
    table[1] = {0, 255, 51, 0};    // (51,255,0)
    table[2] = {25, 26, 230, 0};   // (230,26,25) -> (255,51,0)
    table[3] = {255, 255, 255, 0}; // white
    table[4] = {100, 100, 100, 0}; // grey -> (102,102,102)
    return table;
}

TEST(MapRowNearest, EachPixelTakesTheCubeEntryOfItsColour) {
    const std::vector<uint8_t> source = {0, 1, 2, 3, 4, 0};
    std::vector<uint8_t> row(6, 0xEE);
    MapRowNearest(ImageColors(), source, row, 6, -1);
    const std::vector<uint8_t> expected = {
        249,
        250,
        static_cast<uint8_t>(CubeEntry(255, 51, 0)),
        255,
        static_cast<uint8_t>(CubeEntry(102, 102, 102)),
        249,
    };
    EXPECT_EQ(row, expected);
}

TEST(MapRowNearest, TransparentIndexBecomesTheMarkerAndOnlyIt) {
    const std::vector<uint8_t> source = {3, 4, 3, 0};
    std::vector<uint8_t> row(4, 0xEE);
    MapRowNearest(ImageColors(), source, row, 4, 3);
    EXPECT_EQ(row,
              (std::vector<uint8_t>{1, static_cast<uint8_t>(CubeEntry(102, 102, 102)), 1, 249}));
}

TEST(MapRowNearest, WritesNoMoreThanTheWidth) {
    const std::vector<uint8_t> source = {0, 0, 0, 0};
    std::vector<uint8_t> row(4, 0xEE);
    MapRowNearest(ImageColors(), source, row, 3, -1);
    EXPECT_EQ(row, (std::vector<uint8_t>{249, 249, 249, 0xEE}));
}

TEST(MapRgbaRowNearest, HalfOpacityAndMoreIsDrawn) {
    // Red at alpha 127, 128, 255 and 0; (51,255,0) at full alpha; then a
    // pixel past the width.
    const std::vector<uint8_t> source = {255, 0, 0, 127, 255, 0,   0, 128, 255, 0, 0, 255,
                                         255, 0, 0, 0,   51,  255, 0, 255, 9,   9, 9, 255};
    std::vector<uint8_t> row(6, 0xEE);
    MapRgbaRowNearest(source, row, 5);
    EXPECT_EQ(row[0], kTransparentMarker);
    EXPECT_EQ(row[1], 249);
    EXPECT_EQ(row[2], 249);
    EXPECT_EQ(row[3], kTransparentMarker);
    EXPECT_EQ(row[4], 250) << "the entry of (0,255,0)";
    EXPECT_EQ(row[5], 0xEE);
}

} // namespace
