#pragma once

#include "platform/gdi/CInverseColorTable.h"
#include "platform/gdi/GdiTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// An 8-bit, palette-indexed bitmap stored top row first, each row padded to a
// multiple of 4 bytes, with its own 256-entry colour table. Pages are painted
// into one of these and converted to RGB only when shown or saved.
class CDibSection {
    // Only Create makes sections, so every section has checked dimensions.
    struct CreateKey {
        explicit CreateKey() = default;
    };

public:
    // Larger sections are refused: no screen or page needs them, and the
    // byte count stays far below what an int32 stride times height can hold.
    static constexpr int32_t kMaxDimension = 16384;

    // Null when a dimension is not in 1..kMaxDimension.
    [[nodiscard]] static std::unique_ptr<CDibSection>
    Create(int32_t width, int32_t height, std::span<const CRgbQuad, 256> colorTable);

    CDibSection(CreateKey, int32_t width, int32_t height,
                std::span<const CRgbQuad, 256> colorTable);
    CDibSection(const CDibSection&) = delete;
    CDibSection& operator=(const CDibSection&) = delete;

    [[nodiscard]] static int32_t StrideFor(int32_t width) { return (width + 3) & ~3; }

    [[nodiscard]] int32_t Width() const { return m_width; }
    [[nodiscard]] int32_t Height() const { return m_height; }
    [[nodiscard]] int32_t Stride() const { return m_stride; }
    [[nodiscard]] CRect Bounds() const { return {0, 0, m_width, m_height}; }
    [[nodiscard]] uint8_t* Bits() { return m_bits.data(); }
    [[nodiscard]] const uint8_t* Bits() const { return m_bits.data(); }
    [[nodiscard]] uint8_t* Row(int32_t y);
    [[nodiscard]] const uint8_t* Row(int32_t y) const;
    [[nodiscard]] uint8_t Pixel(int32_t x, int32_t y) const;
    void Fill(uint8_t index);

    [[nodiscard]] std::span<const CRgbQuad, 256> ColorTable() const { return m_colorTable; }
    void SetColorTable(std::span<const CRgbQuad, 256> colorTable);
    [[nodiscard]] const CInverseColorTable& InverseTable() const;
    [[nodiscard]] ColorRef ColorOf(int32_t x, int32_t y) const;

    // The picture as 3 bytes per pixel (red, green, blue), rows packed
    // without padding: what the screen and the PNG writer take. out must hold
    // Width() * Height() * 3 bytes.
    void ConvertToRgb(std::span<uint8_t> out) const;
    // Pixels left .. left + count - 1 of row y; out must hold count * 3 bytes.
    void ConvertRowToRgb(int32_t y, int32_t left, int32_t count, std::span<uint8_t> out) const;

private:
    int32_t m_width;
    int32_t m_height;
    int32_t m_stride;
    std::vector<uint8_t> m_bits;
    std::array<CRgbQuad, 256> m_colorTable{};
    // The colour table as packed RGB words, for the conversion loop.
    std::array<uint32_t, 256> m_rgbWords{};
    // Built on first use; a section is used by one thread at a time.
    mutable std::shared_ptr<const CInverseColorTable> m_inverse;
};
