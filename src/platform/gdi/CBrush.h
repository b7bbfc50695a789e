#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>

enum class BrushStyle : uint8_t { Solid, Hollow };

// A brush: what fills the inside of rectangles and ellipses.
struct CBrush {
    BrushStyle style = BrushStyle::Solid;
    ColorRef color = MakeColorRef(255, 255, 255);

    [[nodiscard]] static constexpr CBrush Solid(ColorRef color) {
        return {BrushStyle::Solid, color};
    }
    // The stock brushes.
    [[nodiscard]] static constexpr CBrush Hollow() { return {BrushStyle::Hollow, 0}; }
    [[nodiscard]] static constexpr CBrush LightGray() { return Solid(MakeColorRef(192, 192, 192)); }
    [[nodiscard]] static constexpr CBrush Black() { return Solid(MakeColorRef(0, 0, 0)); }
    [[nodiscard]] static constexpr CBrush White() { return Solid(MakeColorRef(255, 255, 255)); }

    friend bool operator==(const CBrush&, const CBrush&) = default;
};
