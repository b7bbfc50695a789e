#include "platform/gdi/CPalette.h"

#include "platform/Verify.h"

#include <algorithm>

CPalette::CPalette(std::span<const CPaletteEntry, kSize> entries) {
    std::ranges::copy(entries, m_entries.begin());
}

const CPaletteEntry& CPalette::Entry(int index) const {
    VERIFY(index >= 0 && index < kSize);
    return m_entries[static_cast<size_t>(index)];
}

std::array<CRgbQuad, CPalette::kSize> CPalette::ToColorTable() const {
    std::array<CRgbQuad, kSize> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = {m_entries[i].blue, m_entries[i].green, m_entries[i].red, 0};
    return table;
}
