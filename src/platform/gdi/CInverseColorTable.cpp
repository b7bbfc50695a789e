#include "platform/gdi/CInverseColorTable.h"

#include "platform/CMutex.h"

#include <algorithm>
#include <array>
#include <limits>
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
    // Entry by entry over all cells instead of cell by cell over all entries:
    // a cell's distance to one entry is a sum of three per-axis squares, and
    // the innermost loop, branch-free, becomes vector code. Entries in
    // ascending order with a strict comparison keep the lowest index on a
    // tie, as Nearest does. This table is built as the first page is drawn.
    constexpr int side = 1 << kBits;
    std::vector<int32_t> best(kCells, std::numeric_limits<int32_t>::max());
    std::vector<int32_t> index(kCells, 0);
    std::array<int32_t, side> red{}, green{}, blue{};
    for (int32_t entry = 0; entry < 256; ++entry) {
        const CRgbQuad& colour = colorTable[static_cast<size_t>(entry)];
        for (int level = 0; level < side; ++level) {
            const int centre = (level << 3) | 4;
            red[level] = (centre - colour.red) * (centre - colour.red);
            green[level] = (centre - colour.green) * (centre - colour.green);
            blue[level] = (centre - colour.blue) * (centre - colour.blue);
        }
        for (int b = 0; b < side; ++b) {
            for (int g = 0; g < side; ++g) {
                const int32_t greenBlue = green[g] + blue[b];
                const size_t row = static_cast<size_t>((b << (2 * kBits)) | (g << kBits));
                int32_t* distances = &best[row];
                int32_t* indices = &index[row];
                for (int r = 0; r < side; ++r) {
                    const int32_t distance = red[r] + greenBlue;
                    const int32_t nearer = -static_cast<int32_t>(distance < distances[r]);
                    distances[r] ^= (distances[r] ^ distance) & nearer;
                    indices[r] ^= (indices[r] ^ entry) & nearer;
                }
            }
        }
    }
    for (size_t cell = 0; cell < m_cells.size(); ++cell)
        m_cells[cell] = static_cast<uint8_t>(index[cell]);
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
