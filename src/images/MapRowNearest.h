#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <span>

// Reduces one row of a picture's colour indices to shared-palette indices,
// each pixel to the cube colour of its own colour, without error diffusion.
// Pixels equal to transparentIndex (-1 for none) become the transparent
// marker. source and destination hold at least width bytes.
void MapRowNearest(std::span<const CRgbQuad, 256> colorTable, std::span<const uint8_t> source,
                   std::span<uint8_t> destination, int32_t width, int32_t transparentIndex);

// The same for a row of red, green, blue and alpha bytes (4 x width): a
// pixel below half opacity becomes the marker.
void MapRgbaRowNearest(std::span<const uint8_t> source, std::span<uint8_t> destination,
                       int32_t width);
