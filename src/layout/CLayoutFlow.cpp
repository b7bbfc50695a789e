#include "layout/CLayoutFlow.h"

#include "layout/CLayoutEngine.h"
#include "layout/CTableLayout.h"

#include <algorithm>

namespace {

struct LineSpan {
    int32_t above;
    int32_t below;
};

LineSpan SpanOf(const CLayoutBox& box) {
    switch (box.verticalAlignment) {
    case Align::Top:
        return {0, box.height};
    case Align::Middle:
    case Align::Center:
        return {(box.height + 1) / 2, box.height / 2};
    default: // bottom, baseline and anything a page may have written
        return {box.ascent, box.height - box.ascent};
    }
}

int32_t OffsetOf(const CLayoutBox& box, int32_t lineAscent) {
    switch (box.verticalAlignment) {
    case Align::Top:
        return 0;
    case Align::Middle:
    case Align::Center:
        return lineAscent - (box.height + 1) / 2;
    default:
        return lineAscent - box.ascent;
    }
}

bool Meets(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

CLayoutFlow::CLayoutFlow(CLayoutEngine& engine, int32_t nested)
    : engine(engine), nestedLevel(nested) {}

CLayoutFlow::~CLayoutFlow() = default;

void CLayoutFlow::Start(CPoint origin, int32_t flowWidth, int32_t left, int32_t right, int32_t top,
                        int32_t bottom) {
    originX = origin.x;
    originY = origin.y;
    width = flowWidth;
    leftEdge = left;
    rightEdge = right;
    topStart = top;
    bottomPadding = bottom;
    y = top;
    RecomputeLimits();
}

void CLayoutFlow::AddBox(std::unique_ptr<CLayoutBox> box) {
    lineWidth += box->width;
    currentLine.push_back(std::move(box));
    blankLines = -1;
    if (lineWidth > available)
        FinishLine(FinishMode::Wrap);
}

void CLayoutFlow::FinishLine(FinishMode mode) {
    if (currentLine.empty()) {
        if (mode == FinishMode::Blank) {
            // A blank line is as high as the text before it.
            y += std::max(1, engine.LineHeightOf(engine.m_currentStyle));
            UpdateExtent();
            firstLine = true;
            RecomputeLimits();
            ++blankLines;
        }
        engine.SignalProgress();
        return;
    }
    for (;;) {
        BreakSearch search = FindBreak();
        std::vector<std::unique_ptr<CLayoutBox>> moved;
        if (!search.stopped) {
            if (mode == FinishMode::Wrap) {
                lineWidth = search.walked;
                blankLines = -1;
                return;
            }
        } else {
            moved = SplitLine(search);
        }
        EmitLine();
        if (moved.empty()) {
            lineWidth = 0;
            blankLines = 0;
            if (mode == FinishMode::Blank) {
                firstLine = true;
                RecomputeLimits();
            }
            return;
        }
        currentLine = std::move(moved);
        lineWidth = 0;
        for (const auto& box : currentLine)
            lineWidth += box->width;
    }
}

CLayoutFlow::BreakSearch CLayoutFlow::FindBreak() const {
    BreakSearch search;
    bool haveCandidate = false;
    int32_t walked = 0;
    for (size_t i = 0; i < currentLine.size(); ++i) {
        const CLayoutBox& box = *currentLine[i];
        if (box.wrap) {
            haveCandidate = true;
            search.candidate = i;
            search.candidateOffset = walked;
        }
        if (haveCandidate && walked + box.width > available) {
            search.stopped = true;
            break;
        }
        walked += box.width;
    }
    search.walked = walked;
    return search;
}

std::vector<std::unique_ptr<CLayoutBox>> CLayoutFlow::SplitLine(const BreakSearch& search) {
    available = std::max(available, engine.m_minimumLineWidth);
    const int32_t before = std::min(search.candidateOffset, available);
    std::vector<std::unique_ptr<CLayoutBox>> moved;
    auto moveFrom = [&](size_t index, std::unique_ptr<CLayoutBox> remainder) {
        if (remainder && !remainder->IsEmpty())
            moved.push_back(std::move(remainder));
        for (size_t i = index + 1; i < currentLine.size(); ++i)
            moved.push_back(std::move(currentLine[i]));
        currentLine.resize(index + 1);
    };
    CLayoutBox& candidate = *currentLine[search.candidate];
    if (auto remainder = candidate.Split(available - before, false)) {
        moveFrom(search.candidate, std::move(remainder));
        return moved;
    }
    // The candidate holds no space that fits: break after the last earlier
    // box that ends a word instead.
    for (size_t j = search.candidate; j-- > 0;) {
        if (!currentLine[j]->wrap)
            continue;
        if (auto remainder = currentLine[j]->Split(-1, false)) {
            moveFrom(j, std::move(remainder));
            return moved;
        }
    }
    if (auto remainder = candidate.Split(available - before, true))
        moveFrom(search.candidate, std::move(remainder));
    return moved;
}

void CLayoutFlow::EmitLine() {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t boxesWidth = 0;
    for (const auto& box : currentLine) {
        LineSpan span = SpanOf(*box);
        ascent = std::max(ascent, span.above);
        descent = std::max(descent, span.below);
        boxesWidth += box->width;
    }
    int32_t start = 0;
    if (alignment == Align::Right)
        start = available - boxesWidth;
    else if (alignment == Align::Center)
        start = (available - boxesWidth) / 2;
    int32_t x = lineLeft + start;
    CLineRecord line;
    line.top = originY + y;
    line.bottom = line.top + ascent + descent;
    {
        CSemLockGuard guard(engine.m_lock);
        for (auto& box : currentLine) {
            int32_t top = line.top + OffsetOf(*box, ascent);
            CRect rect{originX + x, top, originX + x + box->width, top + box->height};
            box->Emit(line, rect);
            x += box->width;
        }
        AppendLine(std::move(line));
    }
    currentLine.clear();
    extentX = std::max(extentX, x - leftEdge);
    const int32_t height = ascent + descent;
    y += height ? height : 8;
    UpdateExtent();
    firstLine = false;
    RecomputeLimits();
    engine.SignalProgress();
}

void CLayoutFlow::UpdateExtent() {
    extentY = std::max(extentY, y);
    if (nestedLevel == 0)
        engine.UpdateExtent(Size());
}

void CLayoutFlow::EncloseFloats() {
    for (const auto* placed : {&placedLeft, &placedRight})
        for (const CLayoutFlow* flow : *placed)
            extentY = std::max(extentY, FloatBox(*flow).bottom);
}

CRect CLayoutFlow::FloatBox(const CLayoutFlow& flow) const {
    int32_t left = flow.originX - originX;
    int32_t top = flow.originY - originY;
    return {left, top, left + flow.width, top + flow.Size().y};
}

void CLayoutFlow::DropEndedFloats(std::vector<CLayoutFlow*>& placed) {
    std::erase_if(placed, [&](CLayoutFlow* flow) { return FloatBox(*flow).bottom <= y; });
}

bool CLayoutFlow::HasFloats() const {
    return !placedLeft.empty() || !placedRight.empty() || !pendingLeft.empty() ||
           !pendingRight.empty();
}

void CLayoutFlow::RecomputeLimits() {
    do {
        DropEndedFloats(placedLeft);
        DropEndedFloats(placedRight);
        lineLeft = leftEdge;
        lineRight = width - rightEdge;
        for (CLayoutFlow* flow : placedLeft)
            lineLeft = std::max(lineLeft, FloatBox(*flow).right);
        for (CLayoutFlow* flow : placedRight)
            lineRight = std::min(lineRight, FloatBox(*flow).left);
        lineLeft += indent;
        if (firstLine)
            lineLeft += firstLineOffset;
        available = lineRight - lineLeft;
    } while (PlacePending());
}

bool CLayoutFlow::PlacePending() {
    const bool nonePlaced = placedLeft.empty() && placedRight.empty();
    for (bool left : {true, false}) {
        auto& pending = left ? pendingLeft : pendingRight;
        if (pending.empty())
            continue;
        CLayoutFlow& flow = *pending.front();
        if (flow.width < available - engine.m_minimumLineWidth) {
            PlaceFloat(flow, left);
            return true;
        }
        if (nonePlaced) {
            // Too wide to have text beside it: it stands alone and the text
            // goes on below it.
            PlaceFloat(flow, left);
            y = std::max(y, FloatBox(flow).bottom);
            UpdateExtent();
            return true;
        }
    }
    return false;
}

void CLayoutFlow::PlaceFloat(CLayoutFlow& flow, bool left) {
    auto& pending = left ? pendingLeft : pendingRight;
    pending.erase(pending.begin());
    int32_t sideLeft = leftEdge;
    int32_t sideRight = width - rightEdge;
    for (CLayoutFlow* placed : placedLeft)
        sideLeft = std::max(sideLeft, FloatBox(*placed).right);
    for (CLayoutFlow* placed : placedRight)
        sideRight = std::min(sideRight, FloatBox(*placed).left);
    const int32_t x = left ? sideLeft : sideRight - flow.width;
    {
        CSemLockGuard guard(engine.m_lock);
        flow.MoveBy(originX + x - flow.originX, originY + y - flow.originY);
        AddNested(&flow);
    }
    (left ? placedLeft : placedRight).push_back(&flow);
}

void CLayoutFlow::Clear(int32_t side) {
    auto hasFloats = [&] {
        bool leftSide = (side & 1) && (!placedLeft.empty() || !pendingLeft.empty());
        bool rightSide = (side & 2) && (!placedRight.empty() || !pendingRight.empty());
        return leftSide || rightSide;
    };
    while (hasFloats())
        FinishLine(FinishMode::Blank);
}

void CLayoutFlow::BlockStart(const CBlockStartElement& block) {
    while (blankLines < static_cast<int64_t>(block.blankLinesBefore))
        FinishLine(FinishMode::Blank);
    if (block.align != Align::None) {
        savedAlignment = alignment;
        alignment = block.align;
    }
    blankLinesAfter = static_cast<int32_t>(std::min<uint32_t>(block.blankLinesAfter, 100));
    // Nesting depth comes from the page: bounded so that no product overflows.
    indent = std::clamp(block.indentLevel, -1000, 1000) * engine.m_indentUnit;
    firstLineOffset = std::clamp(block.firstLineOffset, -1000, 1000) * engine.m_indentUnit;
    firstLine = true;
    RecomputeLimits();
}

void CLayoutFlow::BlockEnd() {
    FinishLine(FinishMode::Break);
    while (blankLines < blankLinesAfter)
        FinishLine(FinishMode::Blank);
    indent = 0;
    firstLineOffset = 0;
    blankLinesAfter = 1;
    firstLine = true;
    alignment = savedAlignment;
    RecomputeLimits();
}

void CLayoutFlow::LineBreak() {
    if (currentLine.empty()) {
        y += engine.LineHeightOf(engine.m_currentStyle);
        ++blankLines;
        UpdateExtent();
        RecomputeLimits();
    }
    FinishLine(FinishMode::Break);
}

void CLayoutFlow::Rule(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    // Indents may leave a narrow flow no room at all: the rule is then empty.
    const int64_t avail = std::max(0, lineRight - lineLeft);
    const auto offset = static_cast<int32_t>((100 - percent) * avail / 200);
    CLineRecord line;
    line.top = originY + y;
    line.bottom = line.top + 5;
    const int32_t left = originX + lineLeft + offset;
    CRect rect{left, line.top, left + static_cast<int32_t>(avail) - 2 * offset, line.bottom};
    {
        CSemLockGuard guard(engine.m_lock);
        line.items.push_back(engine.NewItem<CRuleItem>(rect));
        AppendLine(std::move(line));
    }
    extentX = std::max(extentX, rect.right - originX - leftEdge);
    y += 5;
    blankLines = 0;
    UpdateExtent();
    RecomputeLimits();
    engine.SignalProgress();
}

bool CLayoutFlow::Image(const CImageElement& image, bool isObject) {
    int32_t boxWidth = 0;
    int32_t boxHeight = 0;
    int32_t border = 0;
    const bool inLink = !isObject && engine.m_inLink;
    if (!engine.ImageSize(image, inLink, boxWidth, boxHeight, border))
        return false;
    const bool floating = image.align == Align::Left || image.align == Align::Right;
    const Align vertical = floating ? Align::Baseline : image.align;
    std::unique_ptr<CLayoutBox> box;
    if (isObject)
        box = std::make_unique<CObjectBox>(engine, static_cast<const CEmbedElement&>(image),
                                           boxWidth, boxHeight, vertical);
    else
        box = std::make_unique<CImageBox>(engine, image, boxWidth, boxHeight, border, vertical,
                                          inLink ? engine.m_currentLink : nullptr);
    if (!floating) {
        if (image.inlineFlag && !currentLine.empty())
            AddBox(std::make_unique<CBreakBox>(engine));
        AddBox(std::move(box));
        if (image.inlineFlag)
            AddBox(std::make_unique<CBreakBox>(engine));
        return true;
    }
    const bool left = image.align == Align::Left;
    const int32_t hspace = std::clamp(image.horizontalSpace, 0, 4096);
    const int32_t vspace = std::clamp(image.verticalSpace, 0, 4096);
    CLayoutFlow& flow = engine.NewFlow(nestedLevel + 1);
    flow.Start({originX + lineLeft, originY + y}, boxWidth + hspace, left ? 0 : hspace,
               left ? hspace : 0, vspace, vspace);
    flow.AddBox(std::move(box));
    flow.FinishLine(FinishMode::Break);
    (left ? pendingLeft : pendingRight).push_back(&flow);
    RecomputeLimits();
    return true;
}

int32_t CLayoutFlow::WidthForTable() const {
    return (width - rightEdge) - (leftEdge + indent);
}

void CLayoutFlow::MoveBy(int32_t dx, int32_t dy) {
    std::vector<CLayoutFlow*> stack{this};
    while (!stack.empty()) {
        CLayoutFlow* flow = stack.back();
        stack.pop_back();
        flow->originX += dx;
        flow->originY += dy;
        for (CLineRecord& line : flow->lines) {
            line.top += dy;
            line.bottom += dy;
            for (CDisplayItem* item : line.items) {
                item->rect = item->rect.Offset(dx, dy);
                engine.NoteNewArea(item->rect);
            }
        }
        for (int32_t& bottom : flow->m_maxBottom)
            bottom += dy;
        for (int32_t& top : flow->m_minTopFrom)
            top += dy;
        stack.insert(stack.end(), flow->nested.begin(), flow->nested.end());
    }
}

void CLayoutFlow::AppendLine(CLineRecord line) {
    const int32_t top = line.top;
    m_maxBottom.push_back(m_maxBottom.empty() ? line.bottom
                                              : std::max(m_maxBottom.back(), line.bottom));
    m_minTopFrom.push_back(top);
    for (size_t i = m_minTopFrom.size() - 1; i-- > 0 && m_minTopFrom[i] > top;)
        m_minTopFrom[i] = top;
    lines.push_back(std::move(line));
}

void CLayoutFlow::ForEachItemIn(const CRect& area,
                                const std::function<void(const CDisplayItem&)>& visit) const {
    std::vector<const CLayoutFlow*> stack{this};
    while (!stack.empty()) {
        const CLayoutFlow* flow = stack.back();
        stack.pop_back();
        // Every line before first ends above the area, every line from last
        // on starts below it.
        auto first =
            std::upper_bound(flow->m_maxBottom.begin(), flow->m_maxBottom.end(), area.top) -
            flow->m_maxBottom.begin();
        auto last =
            std::lower_bound(flow->m_minTopFrom.begin(), flow->m_minTopFrom.end(), area.bottom) -
            flow->m_minTopFrom.begin();
        for (auto i = first; i < last; ++i)
            for (const CDisplayItem* item : flow->lines[static_cast<size_t>(i)].items)
                if (Meets(item->rect, area))
                    visit(*item);
        stack.insert(stack.end(), flow->nested.rbegin(), flow->nested.rend());
    }
}

void CLayoutFlow::ForEachItem(const std::function<void(const CDisplayItem&)>& visit) const {
    std::vector<const CLayoutFlow*> stack{this};
    while (!stack.empty()) {
        const CLayoutFlow* flow = stack.back();
        stack.pop_back();
        for (const CLineRecord& line : flow->lines)
            for (const CDisplayItem* item : line.items)
                visit(*item);
        stack.insert(stack.end(), flow->nested.rbegin(), flow->nested.rend());
    }
}
