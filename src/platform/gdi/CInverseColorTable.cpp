#include "platform/gdi/CInverseColorTable.h"

#include "platform/CMutex.h"

#include <algorithm>
#include <map>

namespace {

int Distance(const CRgbQuad& e, int red, int green, int blue) {
    const int dr = e.red - red;
    const int dg = e.green - green;
    const int db = e.blue - blue;
    return dr * dr + dg * dg + db * db;
}

using TableKey = std::array<uint32_t, 256>;

TableKey KeyOf(std::span<const CRgbQuad, 256> colorTable) {
    TableKey key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = MakeColorRef(colorTable[i].red, colorTable[i].green, colorTable[i].blue);
    return key;
}

} // namespace

uint8_t CInverseColorTable::Nearest(std::span<const CRgbQuad, 256> colorTable, uint8_t red,
                                    uint8_t green, uint8_t blue) {
    int best = 0;
    int bestDistance = Distance(colorTable[0], red, green, blue);
    for (int i = 1; i < 256 && bestDistance != 0; ++i) {
        const int d = Distance(colorTable[static_cast<size_t>(i)], red, green, blue);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return static_cast<uint8_t>(best);
}

CInverseColorTable::CInverseColorTable(std::span<const CRgbQuad, 256> colorTable)
    : m_cells(kCells) {
    // Each cell stands for the centre of its 8 x 8 x 8 block of colours.
    for (int cell = 0; cell < kCells; ++cell) {
        const auto red = static_cast<uint8_t>(((cell & 31) << 3) | 4);
        const auto green = static_cast<uint8_t>((((cell >> 5) & 31) << 3) | 4);
        const auto blue = static_cast<uint8_t>((((cell >> 10) & 31) << 3) | 4);
        m_cells[static_cast<size_t>(cell)] = Nearest(colorTable, red, green, blue);
    }
}

std::shared_ptr<const CInverseColorTable>
CInverseColorTable::For(std::span<const CRgbQuad, 256> colorTable) {
    // A process uses a handful of colour tables (the shared palette above
    // all), so the cache is never trimmed.
    struct Cache {
        CMutex mutex;
        std::map<TableKey, std::shared_ptr<const CInverseColorTable>> tables GUARDED_BY(mutex);
    };
    static Cache cache;
    const TableKey key = KeyOf(colorTable);
    CMutexGuard lock(cache.mutex);
    auto& slot = cache.tables[key];
    if (!slot)
        slot = std::make_shared<const CInverseColorTable>(colorTable);
    return slot;
}
