#include "images/CDitherConverter.h"

#include "images/CColorCube.h"
#include "platform/Verify.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t kMaxError = 255;

// Errors -255..255 -> limited error, at offset kMaxError. Built at compile
// time: the per-pixel loops look it up three times a pixel.
constexpr std::array<int16_t, 2 * kMaxError + 1> LimitTable = [] {
    std::array<int16_t, 2 * kMaxError + 1> table{};
    for (int32_t e = -kMaxError; e <= kMaxError; ++e) {
        const int32_t magnitude = e < 0 ? -e : e;
        int32_t limited = 32;
        if (magnitude <= 15)
            limited = magnitude;
        else if (magnitude <= 47)
            limited = 16 + (magnitude - 16) / 2;
        table[static_cast<size_t>(e + kMaxError)] =
            static_cast<int16_t>(e < 0 ? -limited : limited);
    }
    return table;
}();

} // namespace

int32_t CDitherConverter::LimitError(int32_t error) {
    return LimitTable[static_cast<size_t>(std::clamp(error, -kMaxError, kMaxError) + kMaxError)];
}

CDitherConverter::CDitherConverter(std::span<const CRgbQuad, 256> colorTable, int32_t width,
                                   int32_t stride, int32_t transparentIndex)
    : m_width(width), m_stride(stride), m_transparentIndex(transparentIndex),
      m_errors((static_cast<size_t>(width) + 2) * kChannels, 0) {
    VERIFY(width > 0 && stride >= width);
    std::ranges::copy(colorTable, m_colorTable.begin());
}

CDitherConverter::CDitherConverter(int32_t width)
    : m_width(width), m_stride(width), m_transparentIndex(-1), m_rgba(true),
      m_errors((static_cast<size_t>(width) + 2) * kChannels, 0) {
    VERIFY(width > 0);
}

void CDitherConverter::DitherRgbaRow(std::span<const uint8_t> source,
                                     std::span<uint8_t> destination) {
    const auto width = static_cast<size_t>(m_width);
    VERIFY(m_rgba && source.size() >= 4 * width && destination.size() >= width);
    const uint8_t* rgba = source.data();
    Walk(
        [rgba](int32_t pixel, std::array<int32_t, kChannels>& colour) {
            const uint8_t* p = rgba + 4 * static_cast<size_t>(pixel);
            colour = {p[0], p[1], p[2]};
            return p[3] >= kHalfOpaque;
        },
        destination.data());
}

void CDitherConverter::DitherRows(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                  int32_t rows) {
    if (rows <= 0)
        return;
    const size_t needed = static_cast<size_t>(rows - 1) * static_cast<size_t>(m_stride) +
                          static_cast<size_t>(m_width);
    VERIFY(!m_rgba && source.size() >= needed && destination.size() >= needed);
    for (int32_t row = 0; row < rows; ++row) {
        const size_t offset = static_cast<size_t>(row) * static_cast<size_t>(m_stride);
        DitherRow(source.data() + offset, destination.data() + offset);
    }
}

void CDitherConverter::DitherRow(const uint8_t* source, uint8_t* destination) {
    Walk(
        [this, source](int32_t pixel, std::array<int32_t, kChannels>& colour) {
            const uint8_t index = source[pixel];
            if (index == m_transparentIndex)
                return false;
            const CRgbQuad& c = m_colorTable[index];
            colour = {c.red, c.green, c.blue};
            return true;
        },
        destination);
}

// One row, as a walk with three running sums per channel, so each error
// position is written once per row: position p gets the errors of the pixel
// behind it (x1), its own (x5) and the one ahead (x3), in scan direction.
template <class ColourOf> void CDitherConverter::Walk(ColourOf colourOf, uint8_t* destination) {
    const int32_t dir = m_rightToLeft ? -1 : 1;
    int32_t pixel = m_rightToLeft ? m_width - 1 : 0;
    // Position i of the error array is pixel i - 1; the walk starts one
    // position behind the first pixel.
    int32_t position = m_rightToLeft ? m_width + 1 : 0;
    m_rightToLeft = !m_rightToLeft;

    const auto& level = CColorCube::LevelTable();
    const auto& reduced = CColorCube::ReducedTable();
    const auto& cube = CColorCube::BlueMajor();
    std::array<int32_t, kChannels> carried{}, belowPrevious{}, belowNext{};
    for (int32_t n = 0; n < m_width; ++n, pixel += dir, position += dir) {
        const int32_t* ahead = &m_errors[static_cast<size_t>((position + dir) * kChannels)];
        std::array<int32_t, kChannels> error{};
        std::array<int32_t, kChannels> colour{};
        if (!colourOf(pixel, colour)) {
            destination[pixel] = kTransparentMarker;
        } else {
            std::array<uint8_t, kChannels> value{};
            for (int ch = 0; ch < kChannels; ++ch) {
                const int32_t e = LimitError((ahead[ch] + carried[ch] + 8) >> 4);
                value[ch] = static_cast<uint8_t>(std::clamp(colour[ch] + e, 0, 255));
                error[ch] = value[ch] - reduced[value[ch]];
            }
            destination[pixel] = cube[static_cast<size_t>(
                CColorCube::BlueMajorIndex(level[value[0]], level[value[1]], level[value[2]]))];
        }
        int32_t* here = &m_errors[static_cast<size_t>(position * kChannels)];
        for (int ch = 0; ch < kChannels; ++ch) {
            here[ch] = belowPrevious[ch] + 3 * error[ch];
            belowPrevious[ch] = belowNext[ch] + 5 * error[ch];
            belowNext[ch] = error[ch];
            carried[ch] = 7 * error[ch];
        }
    }
    int32_t* last = &m_errors[static_cast<size_t>(position * kChannels)];
    for (int ch = 0; ch < kChannels; ++ch)
        last[ch] = belowPrevious[ch];
}
