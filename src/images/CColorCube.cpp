#include "images/CColorCube.h"

#include "images/CSharedPalette.h"
#include "platform/Verify.h"

namespace {

// The palette index of an exact colour; every cube colour the palette keeps
// is there exactly once.
uint8_t IndexOf(uint8_t r, uint8_t g, uint8_t b) {
    const auto& entries = CSharedPalette::Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].red == r && entries[i].green == g && entries[i].blue == b)
            return static_cast<uint8_t>(i);
    }
    VERIFY_NOT_REACHED();
    return 0;
}

uint8_t CubeColorIndex(int r, int g, int b) {
    const auto value = [](int level) {
        return CColorCube::kLevelValues[static_cast<size_t>(level)];
    };
    // The four left out of the palette go to the pure colour beside them.
    if ((r == 1 && g == 5 && b == 0) || (r == 0 && g == 5 && b == 1))
        return IndexOf(0, 255, 0);
    if ((r == 1 && g == 0 && b == 5) || (r == 0 && g == 1 && b == 5))
        return IndexOf(0, 0, 255);
    return IndexOf(value(r), value(g), value(b));
}

template <typename IndexFn> std::array<uint8_t, CColorCube::kColorCount> BuildCube(IndexFn index) {
    std::array<uint8_t, CColorCube::kColorCount> table{};
    for (int r = 0; r < CColorCube::kLevelCount; ++r) {
        for (int g = 0; g < CColorCube::kLevelCount; ++g) {
            for (int b = 0; b < CColorCube::kLevelCount; ++b)
                table[static_cast<size_t>(index(r, g, b))] = CubeColorIndex(r, g, b);
        }
    }
    return table;
}

} // namespace

const std::array<uint8_t, 256>& CColorCube::LevelTable() {
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[static_cast<size_t>(v)] = static_cast<uint8_t>(Level(v));
        return t;
    }();
    return table;
}

const std::array<uint8_t, 256>& CColorCube::ReducedTable() {
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[static_cast<size_t>(v)] = kLevelValues[static_cast<size_t>(Level(v))];
        return t;
    }();
    return table;
}

const std::array<uint8_t, CColorCube::kColorCount>& CColorCube::BlueMajor() {
    static const auto table = BuildCube(BlueMajorIndex);
    return table;
}

const std::array<uint8_t, CColorCube::kColorCount>& CColorCube::RedMajor() {
    static const auto table = BuildCube(RedMajorIndex);
    return table;
}
