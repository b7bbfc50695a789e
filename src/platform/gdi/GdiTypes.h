#pragma once

#include <algorithm>
#include <cstdint>

// The small value types of the drawing layer. Coordinates are 32-bit signed
// pixels; a rectangle's right and bottom edges are exclusive, as everywhere in
// the engine's display items.

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    [[nodiscard]] int32_t Width() const { return right - left; }
    [[nodiscard]] int32_t Height() const { return bottom - top; }
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    [[nodiscard]] bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    [[nodiscard]] CRect Offset(int32_t dx, int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    [[nodiscard]] CRect Intersect(const CRect& other) const {
        CRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
        return r.IsEmpty() ? CRect{} : r;
    }
    [[nodiscard]] CRect Union(const CRect& other) const {
        if (IsEmpty())
            return other;
        if (other.IsEmpty())
            return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// A device colour: red in the low byte, blue in the third, the platform's
// order. Pages hold 0xRRGGBB, so every colour from a page goes through
// ColorRefFromRrggbb on its way to a pen or a brush.
using ColorRef = uint32_t;

[[nodiscard]] constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16);
}
[[nodiscard]] constexpr uint8_t RedOf(ColorRef c) {
    return static_cast<uint8_t>(c);
}
[[nodiscard]] constexpr uint8_t GreenOf(ColorRef c) {
    return static_cast<uint8_t>(c >> 8);
}
[[nodiscard]] constexpr uint8_t BlueOf(ColorRef c) {
    return static_cast<uint8_t>(c >> 16);
}
[[nodiscard]] constexpr ColorRef ColorRefFromRrggbb(uint32_t rrggbb) {
    return MakeColorRef(static_cast<uint8_t>(rrggbb >> 16), static_cast<uint8_t>(rrggbb >> 8),
                        static_cast<uint8_t>(rrggbb));
}

// One entry of a bitmap's colour table, in the byte order of the bitmap file
// formats (blue first), which is also the order image colour tables use.
struct CRgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    friend bool operator==(const CRgbQuad&, const CRgbQuad&) = default;
};

// The dialog base units of the user-interface font (average character width
// and height at 96 pixels per inch): form controls and scroll steps are sized
// in them.
struct CDialogBaseUnits {
    int32_t horizontal = 8;
    int32_t vertical = 16;
};
[[nodiscard]] constexpr CDialogBaseUnits GetDialogBaseUnits() {
    return {};
}
