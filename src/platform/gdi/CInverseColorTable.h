#pragma once

#include "platform/gdi/GdiTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Maps any colour to the index of the nearest entry of one colour table,
// through a lookup of 5 bits per channel. Blending anti-aliased text needs a
// nearest index per glyph pixel, far too many for a search of 256 entries.
// Tables are built once per distinct colour table and shared between all
// sections that use it.
class CInverseColorTable {
public:
    static constexpr int kBits = 5;
    static constexpr int kCells = 1 << (3 * kBits);

    // The table for colorTable, built on first use of that colour table.
    [[nodiscard]] static std::shared_ptr<const CInverseColorTable>
    For(std::span<const CRgbQuad, 256> colorTable);

    explicit CInverseColorTable(std::span<const CRgbQuad, 256> colorTable);

    [[nodiscard]] uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue) const {
        return m_cells[(size_t{red} >> 3) | ((size_t{green} >> 3) << 5) |
                       ((size_t{blue} >> 3) << 10)];
    }

    // The exact nearest entry (smallest squared distance, lowest index on a
    // tie); what solid colours of pens, brushes and text use.
    [[nodiscard]] static uint8_t Nearest(std::span<const CRgbQuad, 256> colorTable, uint8_t red,
                                         uint8_t green, uint8_t blue);

private:
    std::vector<uint8_t> m_cells;
};
