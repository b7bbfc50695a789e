#pragma once

#include <array>
#include <cstdint>

// The byte in a picture's display buffer that marks a pixel as not drawn.
// Palette entry 1 is a system colour that no cube colour maps to, so the
// value is free.
inline constexpr uint8_t kTransparentMarker = 1;

// Pictures with an alpha channel show a pixel when its alpha is at least
// this (half of 255, rounded up) and leave it undrawn below.
inline constexpr uint8_t kHalfOpaque = 128;

// The 6 x 6 x 6 colour cube that pictures are reduced to, and the tables
// that map cube colours to shared-palette indices. The per-pixel loops use
// these tables rather than arithmetic.
class CColorCube {
public:
    static constexpr int kLevelCount = 6;
    static constexpr int kColorCount = kLevelCount * kLevelCount * kLevelCount;
    static constexpr std::array<uint8_t, kLevelCount> kLevelValues = {0, 51, 102, 153, 204, 255};

    // The level of a channel value: 0-25 -> 0, 26-76 -> 1, ..., 230-255 -> 5.
    [[nodiscard]] static constexpr int Level(int value) { return (value + 25) / 51; }

    // Channel value -> level, and channel value -> reduced value (51 x level).
    [[nodiscard]] static const std::array<uint8_t, 256>& LevelTable();
    [[nodiscard]] static const std::array<uint8_t, 256>& ReducedTable();

    // Cube colour -> palette index, indexed r + 6g + 36b (levels), the order
    // of the GIF converters.
    [[nodiscard]] static const std::array<uint8_t, kColorCount>& BlueMajor();
    // The same indexed 36r + 6g + b, the order of the JPEG library's map.
    [[nodiscard]] static const std::array<uint8_t, kColorCount>& RedMajor();

    [[nodiscard]] static constexpr int BlueMajorIndex(int r, int g, int b) {
        return r + kLevelCount * g + kLevelCount * kLevelCount * b;
    }
    [[nodiscard]] static constexpr int RedMajorIndex(int r, int g, int b) {
        return kLevelCount * kLevelCount * r + kLevelCount * g + b;
    }
};
