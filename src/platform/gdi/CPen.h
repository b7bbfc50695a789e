#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>

enum class PenStyle : uint8_t { Solid, Null };

// A pen: lines and outlines of a width, centred on the path they follow.
struct CPen {
    PenStyle style = PenStyle::Solid;
    int32_t width = 1;
    ColorRef color = 0;

    [[nodiscard]] static constexpr CPen Solid(int32_t width, ColorRef color) {
        return {PenStyle::Solid, width, color};
    }
    [[nodiscard]] static constexpr CPen Null() { return {PenStyle::Null, 0, 0}; }
    // The stock pens.
    [[nodiscard]] static constexpr CPen Black() { return Solid(1, MakeColorRef(0, 0, 0)); }
    [[nodiscard]] static constexpr CPen White() { return Solid(1, MakeColorRef(255, 255, 255)); }

    friend bool operator==(const CPen&, const CPen&) = default;
};
