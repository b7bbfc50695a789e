#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDeviceContext;
class CFontCache;
class CLayoutEngine;
class CTextStore;

// Characters [start, start + count) of a page's text store.
struct CTextRange {
    uint32_t start = 0;
    uint32_t count = 0;
    [[nodiscard]] uint32_t End() const { return start + count; }
    bool operator==(const CTextRange&) const = default;
};

// Where needle first occurs in haystack at or after from, letters compared
// without regard to case (the Windows-1252 letters, accented ones
// included); npos when it does not. An empty needle is never found.
[[nodiscard]] size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from);

// Find in page: searches the text a layout shows, and draws a match
// highlighted. UI thread only; every call takes the layout's lock itself.
class CTextFinder {
public:
    // The first match of needle that starts at or after from, continuing
    // from the page's top when the page's end is reached. Only text that
    // some text item shows counts (the title does not, nor text of form
    // controls).
    [[nodiscard]] static std::optional<CTextRange> Find(CLayoutEngine& layout,
                                                        std::string_view needle, uint32_t from);
    // The rectangles (document coordinates) of the range's characters, one
    // per text item that shows some of them, in line order.
    [[nodiscard]] static std::vector<CRect> RangeRects(CLayoutEngine& layout, CFontCache& fonts,
                                                       const CTextRange& range);
    // Draws the range's characters that lie in area as marked text: black on
    // yellow.
    static void PaintHighlight(CDeviceContext& dc, CFontCache& fonts, CLayoutEngine& layout,
                               const CRect& area, const CTextRange& range);
};
