#include "platform/gdi/CDibSection.h"

#include "platform/Verify.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<CDibSection> CDibSection::Create(int32_t width, int32_t height,
                                                 std::span<const CRgbQuad, 256> colorTable) {
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension)
        return nullptr;
    return std::make_unique<CDibSection>(CreateKey{}, width, height, colorTable);
}

CDibSection::CDibSection(CreateKey, int32_t width, int32_t height,
                         std::span<const CRgbQuad, 256> colorTable)
    : m_width(width), m_height(height), m_stride(StrideFor(width)),
      m_bits(static_cast<size_t>(m_stride) * static_cast<size_t>(height), 0) {
    SetColorTable(colorTable);
}

uint8_t* CDibSection::Row(int32_t y) {
    VERIFY(y >= 0 && y < m_height);
    return m_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(m_stride);
}

const uint8_t* CDibSection::Row(int32_t y) const {
    VERIFY(y >= 0 && y < m_height);
    return m_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(m_stride);
}

uint8_t CDibSection::Pixel(int32_t x, int32_t y) const {
    VERIFY(x >= 0 && x < m_width);
    return Row(y)[x];
}

void CDibSection::Fill(uint8_t index) {
    std::ranges::fill(m_bits, index);
}

void CDibSection::SetColorTable(std::span<const CRgbQuad, 256> colorTable) {
    std::ranges::copy(colorTable, m_colorTable.begin());
    for (size_t i = 0; i < m_rgbWords.size(); ++i) {
        const CRgbQuad& e = m_colorTable[i];
        // Little-endian byte order red, green, blue: a 4-byte store writes
        // one RGB pixel and one byte that the next pixel overwrites.
        m_rgbWords[i] = uint32_t{e.red} | (uint32_t{e.green} << 8) | (uint32_t{e.blue} << 16);
    }
    m_inverse.reset();
}

const CInverseColorTable& CDibSection::InverseTable() const {
    if (!m_inverse)
        m_inverse = CInverseColorTable::For(m_colorTable);
    return *m_inverse;
}

ColorRef CDibSection::ColorOf(int32_t x, int32_t y) const {
    const CRgbQuad& e = m_colorTable[Pixel(x, y)];
    return MakeColorRef(e.red, e.green, e.blue);
}

void CDibSection::ConvertRowToRgb(int32_t y, int32_t left, int32_t count,
                                  std::span<uint8_t> out) const {
    VERIFY(left >= 0 && count > 0 && left + count <= m_width);
    const auto width = static_cast<size_t>(count);
    VERIFY(out.size() >= width * 3);
    const uint8_t* source = Row(y) + left;
    uint8_t* target = out.data();
    // All pixels but the last take an overlapping 4-byte store.
    for (size_t x = 0; x + 1 < width; ++x) {
        std::memcpy(target, &m_rgbWords[source[x]], 4);
        target += 3;
    }
    const CRgbQuad& last = m_colorTable[source[width - 1]];
    target[0] = last.red;
    target[1] = last.green;
    target[2] = last.blue;
}

void CDibSection::ConvertToRgb(std::span<uint8_t> out) const {
    const size_t rowBytes = static_cast<size_t>(m_width) * 3;
    VERIFY(out.size() >= rowBytes * static_cast<size_t>(m_height));
    for (int32_t y = 0; y < m_height; ++y)
        ConvertRowToRgb(y, 0, m_width, out.subspan(static_cast<size_t>(y) * rowBytes, rowBytes));
}
