#pragma once

#include "platform/gdi/GdiTypes.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Reduces a picture to the colour cube with serpentine Floyd-Steinberg
// error diffusion, row after row as the rows arrive. Errors are limited
// (small ones pass, middling ones are halved, large ones capped at 32) so
// that flat areas do not break into noise. One converter per picture; the
// error rows and the scan direction carry over from call to call.
//
// A picture comes as colour indices into its table, or, for pictures with
// colours of their own, as red, green, blue and alpha bytes per pixel, where
// a pixel below half opacity (kHalfOpaque) is not drawn.
class CDitherConverter {
public:
    // stride is the bytes per row of both source and destination.
    CDitherConverter(std::span<const CRgbQuad, 256> colorTable, int32_t width, int32_t stride,
                     int32_t transparentIndex);
    // For rows of red, green, blue and alpha.
    explicit CDitherConverter(int32_t width);

    // Writes rows consecutive rows; source and destination each hold at
    // least (rows - 1) x stride + width bytes.
    void DitherRows(std::span<const uint8_t> source, std::span<uint8_t> destination, int32_t rows);
    // One row of width x 4 bytes into width bytes; for the second constructor.
    void DitherRgbaRow(std::span<const uint8_t> source, std::span<uint8_t> destination);

    [[nodiscard]] static int32_t LimitError(int32_t error);

private:
    static constexpr int kChannels = 3;

    void DitherRow(const uint8_t* source, uint8_t* destination);
    // The walk of one row; colourOf(pixel, colour) answers false for a pixel
    // that is not drawn.
    template <class ColourOf> void Walk(ColourOf colourOf, uint8_t* destination);

    std::array<CRgbQuad, 256> m_colorTable{};
    int32_t m_width;
    int32_t m_stride;
    int32_t m_transparentIndex;
    bool m_rgba = false;
    // (width + 2) triples of red, green, blue: one per pixel and a guard
    // position at each end.
    std::vector<int32_t> m_errors;
    bool m_rightToLeft = false;
};

// The operation under its usual name.
inline void DitherRows(CDitherConverter& converter, std::span<const uint8_t> source,
                       std::span<uint8_t> destination, int32_t rows) {
    converter.DitherRows(source, destination, rows);
}
