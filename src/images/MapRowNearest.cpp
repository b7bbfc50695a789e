#include "images/MapRowNearest.h"

#include "images/CColorCube.h"
#include "platform/Verify.h"

void MapRowNearest(std::span<const CRgbQuad, 256> colorTable, std::span<const uint8_t> source,
                   std::span<uint8_t> destination, int32_t width, int32_t transparentIndex) {
    VERIFY(width >= 0);
    const auto count = static_cast<size_t>(width);
    VERIFY(source.size() >= count && destination.size() >= count);
    const auto& level = CColorCube::LevelTable();
    const auto& cube = CColorCube::BlueMajor();
    for (size_t x = 0; x < count; ++x) {
        const uint8_t index = source[x];
        if (index == transparentIndex) {
            destination[x] = kTransparentMarker;
            continue;
        }
        const CRgbQuad& c = colorTable[index];
        destination[x] = cube[static_cast<size_t>(
            CColorCube::BlueMajorIndex(level[c.red], level[c.green], level[c.blue]))];
    }
}

void MapRgbaRowNearest(std::span<const uint8_t> source, std::span<uint8_t> destination,
                       int32_t width) {
    VERIFY(width >= 0);
    const auto count = static_cast<size_t>(width);
    VERIFY(source.size() >= 4 * count && destination.size() >= count);
    const auto& level = CColorCube::LevelTable();
    const auto& cube = CColorCube::BlueMajor();
    for (size_t x = 0; x < count; ++x) {
        const uint8_t* p = &source[4 * x];
        destination[x] = p[3] < kHalfOpaque ? kTransparentMarker
                                            : cube[static_cast<size_t>(CColorCube::BlueMajorIndex(
                                                  level[p[0]], level[p[1]], level[p[2]]))];
    }
}
