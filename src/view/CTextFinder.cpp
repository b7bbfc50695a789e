#include "view/CTextFinder.h"

#include "layout/CDisplayItem.h"
#include "layout/CLayoutEngine.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFontCache.h"

#include <algorithm>

namespace {

// The lower-case letter of a Windows-1252 capital; other bytes stand.
constexpr unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: // S with caron
    case 0x8C: // OE
    case 0x8E: // Z with caron
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Y with diaeresis
        return 0xFF;
    default:
        return c;
    }
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return folded;
}

// A text item's characters and where it stands, copied out of the layout
// so that measuring and drawing happen without its lock.
struct ShownRun {
    CTextRange range;
    uint32_t style = 0;
    CRect rect;
};

std::vector<ShownRun> ShownRuns(CLayoutEngine& layout, const std::optional<CRect>& area) {
    std::vector<ShownRun> runs;
    auto collect = [&runs](const CDisplayItem& item) {
        if (item.type != DisplayItemType::Text && item.type != DisplayItemType::LinkText)
            return;
        const auto& text = static_cast<const CTextItem&>(item);
        if (text.characterCount > 0)
            runs.push_back({{text.textStart, text.characterCount}, text.textStyle, text.GetRect()});
    };
    if (area)
        layout.ForEachItemIn(*area, collect);
    else
        layout.ForEachItem(collect);
    std::sort(runs.begin(), runs.end(),
              [](const ShownRun& a, const ShownRun& b) { return a.range.start < b.range.start; });
    return runs;
}

// Whether some run shows the character at offset (runs sorted by start).
bool IsShown(const std::vector<ShownRun>& runs, uint32_t offset) {
    auto after =
        std::upper_bound(runs.begin(), runs.end(), offset, [](uint32_t value, const ShownRun& run) {
            return value < run.range.start;
        });
    return after != runs.begin() && offset < std::prev(after)->range.End();
}

struct RunPart {
    CRect rect;
    std::string characters;
};

// The part of run that range covers, measured in run's font.
std::optional<RunPart> PartOf(const ShownRun& run, const CTextRange& range, CFontCache& fonts,
                              const CTextStore& store) {
    uint32_t from = std::max(range.start, run.range.start);
    uint32_t to = std::min(range.End(), run.range.End());
    if (from >= to)
        return std::nullopt;
    std::string characters = store.Copy(run.range.start, run.range.count);
    size_t first = from - run.range.start;
    size_t last = std::min<size_t>(to - run.range.start, characters.size());
    if (first >= last)
        return std::nullopt;
    fonts.Select(run.style);
    std::string_view text = characters;
    int32_t left = run.rect.left + fonts.GetRunWidth(text.substr(0, first));
    int32_t right = run.rect.left + fonts.GetRunWidth(text.substr(0, last));
    return RunPart{{left, run.rect.top, right, run.rect.bottom},
                   characters.substr(first, last - first)};
}

} // namespace

size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from) {
    if (needle.empty() || from > haystack.size())
        return std::string_view::npos;
    return std::string_view(Folded(haystack)).find(Folded(needle), from);
}

std::optional<CTextRange> CTextFinder::Find(CLayoutEngine& layout, std::string_view needle,
                                            uint32_t from) {
    std::vector<ShownRun> runs = ShownRuns(layout, std::nullopt);
    if (runs.empty() || needle.empty())
        return std::nullopt;
    uint32_t end = 0;
    for (const ShownRun& run : runs)
        end = std::max(end, run.range.End());
    const std::string text = Folded(layout.TextStore().Copy(0, end));
    const std::string wanted = Folded(needle);
    auto shownFrom = [&](size_t start, size_t limit) -> std::optional<CTextRange> {
        for (size_t at = text.find(wanted, start); at != std::string::npos && at < limit;
             at = text.find(wanted, at + 1)) {
            auto first = static_cast<uint32_t>(at);
            auto last = static_cast<uint32_t>(at + wanted.size() - 1);
            if (IsShown(runs, first) && IsShown(runs, last))
                return CTextRange{first, static_cast<uint32_t>(wanted.size())};
        }
        return std::nullopt;
    };
    if (auto found = shownFrom(std::min<size_t>(from, text.size()), text.size()))
        return found;
    return shownFrom(0, std::min<size_t>(from, text.size()));
}

std::vector<CRect> CTextFinder::RangeRects(CLayoutEngine& layout, CFontCache& fonts,
                                           const CTextRange& range) {
    std::vector<CRect> rects;
    CTextStore store = layout.TextStore();
    for (const ShownRun& run : ShownRuns(layout, std::nullopt))
        if (std::optional<RunPart> part = PartOf(run, range, fonts, store))
            rects.push_back(part->rect);
    return rects;
}

void CTextFinder::PaintHighlight(CDeviceContext& dc, CFontCache& fonts, CLayoutEngine& layout,
                                 const CRect& area, const CTextRange& range) {
    CTextStore store = layout.TextStore();
    const ColorRef marker = dc.GetNearestColor(MakeColorRef(255, 255, 0));
    for (const ShownRun& run : ShownRuns(layout, area)) {
        std::optional<RunPart> part = PartOf(run, range, fonts, store);
        if (!part)
            continue;
        dc.FillRect(part->rect, CBrush::Solid(marker));
        ColorRef before = dc.SetTextColor(MakeColorRef(0, 0, 0));
        dc.TextOut(part->rect.left, part->rect.top, part->characters);
        dc.SetTextColor(before);
    }
}
