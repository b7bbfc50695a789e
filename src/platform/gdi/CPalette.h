#pragma once

#include "platform/gdi/GdiTypes.h"

#include <array>
#include <cstdint>
#include <span>

// One entry of a logical palette: red, green, blue and a flag byte.
struct CPaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    friend bool operator==(const CPaletteEntry&, const CPaletteEntry&) = default;
};

// Flag of an entry that must keep its own slot even when another entry has
// the same colour.
inline constexpr uint8_t kPaletteNoCollapse = 0x04;

// A logical palette of 256 entries. Sections that use it copy its colours into
// their colour table, so a palette can be shared by every bitmap of a process.
class CPalette {
public:
    static constexpr uint16_t kVersion = 0x300;
    static constexpr int kSize = 256;

    explicit CPalette(std::span<const CPaletteEntry, kSize> entries);

    [[nodiscard]] uint16_t Version() const { return kVersion; }
    [[nodiscard]] const CPaletteEntry& Entry(int index) const;
    [[nodiscard]] std::span<const CPaletteEntry, kSize> Entries() const { return m_entries; }
    [[nodiscard]] std::array<CRgbQuad, kSize> ToColorTable() const;

private:
    std::array<CPaletteEntry, kSize> m_entries;
};
