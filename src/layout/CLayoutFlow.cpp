#include "layout/CLayoutFlow.h"

#include "layout/CLayoutContext.h"
#include "layout/CTableLayout.h"

#include <algorithm>

namespace {

struct LineSpan {
    int32_t above;
    int32_t below;
};

LineSpan SpanOf(const CLayoutBox& box) {
    switch (box.VerticalAlignment()) {
    case Align::Top:
        return {0, box.Height()};
    case Align::Middle:
    case Align::Center:
        return {(box.Height() + 1) / 2, box.Height() / 2};
    default: // bottom, baseline and anything a page may have written
        return {box.Ascent(), box.Height() - box.Ascent()};
    }
}

int32_t OffsetOf(const CLayoutBox& box, int32_t lineAscent) {
    switch (box.VerticalAlignment()) {
    case Align::Top:
        return 0;
    case Align::Middle:
    case Align::Center:
        return lineAscent - (box.Height() + 1) / 2;
    default:
        return lineAscent - box.Ascent();
    }
}

} // namespace

CLayoutFlow::CLayoutFlow(CLayoutContext& context, FlowId id, int32_t nestedLevel,
                         const CFlowGeometry& geometry, Align alignment)
    : m_context(context), m_id(id), m_nestedLevel(nestedLevel), m_geometry(geometry),
      m_origin(geometry.origin), m_y(geometry.topStart), m_alignment(alignment),
      m_savedAlignment(alignment) {
    RecomputeLimits();
}

CLayoutFlow::~CLayoutFlow() = default;

CLayoutFlow* CLayoutFlow::OpenCell() const {
    return m_table ? m_table->OpenCellFlow() : nullptr;
}

void CLayoutFlow::AddBox(std::unique_ptr<CLayoutBox> box) {
    const int32_t width = box->Width();
    m_currentLine.push_back(std::move(box));
    m_blankLines = kLineHasBoxes;
    GrowLastBox(width);
}

void CLayoutFlow::GrowLastBox(int32_t width) {
    m_lineWidth += width;
    if (m_lineWidth > m_available)
        FinishLine(FinishMode::Wrap);
}

void CLayoutFlow::FinishLine(FinishMode mode) {
    if (m_currentLine.empty()) {
        if (mode == FinishMode::Blank) {
            // A blank line is as high as the text before it.
            m_y += std::max(1, m_context.CurrentLineHeight());
            UpdateExtent();
            m_firstLine = true;
            RecomputeLimits();
            ++m_blankLines;
        }
        m_context.SignalProgress();
        return;
    }
    for (;;) {
        BreakSearch search = FindBreak();
        std::vector<std::unique_ptr<CLayoutBox>> moved;
        if (!search.stopped) {
            if (mode == FinishMode::Wrap) {
                m_lineWidth = search.walked;
                m_blankLines = kLineHasBoxes;
                return;
            }
        } else {
            moved = SplitLine(search);
        }
        EmitLine();
        if (moved.empty()) {
            m_lineWidth = 0;
            m_blankLines = 0;
            if (mode == FinishMode::Blank) {
                m_firstLine = true;
                RecomputeLimits();
            }
            return;
        }
        m_currentLine = std::move(moved);
        m_lineWidth = 0;
        for (const auto& box : m_currentLine)
            m_lineWidth += box->Width();
    }
}

CLayoutFlow::BreakSearch CLayoutFlow::FindBreak() const {
    BreakSearch search;
    bool haveCandidate = false;
    int32_t walked = 0;
    for (size_t i = 0; i < m_currentLine.size(); ++i) {
        const CLayoutBox& box = *m_currentLine[i];
        if (box.Wraps()) {
            haveCandidate = true;
            search.candidate = i;
            search.candidateOffset = walked;
        }
        if (haveCandidate && walked + box.Width() > m_available) {
            search.stopped = true;
            break;
        }
        walked += box.Width();
    }
    search.walked = walked;
    return search;
}

std::vector<std::unique_ptr<CLayoutBox>> CLayoutFlow::SplitLine(const BreakSearch& search) {
    m_available = std::max(m_available, m_context.MinimumLineWidth());
    const int32_t before = std::min(search.candidateOffset, m_available);
    std::vector<std::unique_ptr<CLayoutBox>> moved;
    auto moveFrom = [&](size_t index, std::unique_ptr<CLayoutBox> remainder) {
        if (remainder && !remainder->IsEmpty())
            moved.push_back(std::move(remainder));
        for (size_t i = index + 1; i < m_currentLine.size(); ++i)
            moved.push_back(std::move(m_currentLine[i]));
        m_currentLine.resize(index + 1);
    };
    CLayoutBox& candidate = *m_currentLine[search.candidate];
    if (auto remainder = candidate.Split(m_available - before, SplitMode::AtSpace)) {
        moveFrom(search.candidate, std::move(remainder));
        return moved;
    }
    // The candidate holds no space that fits: break after the last earlier
    // box that ends a word instead.
    for (size_t j = search.candidate; j-- > 0;) {
        if (!m_currentLine[j]->Wraps())
            continue;
        if (auto remainder = m_currentLine[j]->Split(std::nullopt, SplitMode::AtSpace)) {
            moveFrom(j, std::move(remainder));
            return moved;
        }
    }
    if (auto remainder = candidate.Split(m_available - before, SplitMode::Anywhere))
        moveFrom(search.candidate, std::move(remainder));
    return moved;
}

void CLayoutFlow::EmitLine() {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t boxesWidth = 0;
    for (const auto& box : m_currentLine) {
        LineSpan span = SpanOf(*box);
        ascent = std::max(ascent, span.above);
        descent = std::max(descent, span.below);
        boxesWidth += box->Width();
    }
    int32_t start = 0;
    if (m_alignment == Align::Right)
        start = m_available - boxesWidth;
    else if (m_alignment == Align::Center)
        start = (m_available - boxesWidth) / 2;
    int32_t x = m_lineLeft + start;
    // One record reused line after line: its array keeps its room.
    CLineRecord& line = m_line;
    line.items.clear();
    line.top = m_origin.y + m_y;
    line.bottom = line.top + ascent + descent;
    for (auto& box : m_currentLine) {
        int32_t top = line.top + OffsetOf(*box, ascent);
        CRect rect{m_origin.x + x, top, m_origin.x + x + box->Width(), top + box->Height()};
        if (CDisplayItem* item = box->MakeItem(rect))
            line.items.push_back(item);
        x += box->Width();
    }
    PublishLine(line);
    m_currentLine.clear();
    m_extentX = std::max(m_extentX, x - m_geometry.leftEdge);
    const int32_t height = ascent + descent;
    m_y += height ? height : kEmptyLineAdvance;
    UpdateExtent();
    m_firstLine = false;
    RecomputeLimits();
    m_context.SignalProgress();
}

void CLayoutFlow::PublishLine(const CLineRecord& line) {
    m_context.Page().PublishLine(m_id, line);
    m_hasLines = true;
}

void CLayoutFlow::UpdateExtent() {
    m_extentY = std::max(m_extentY, m_y);
    if (m_nestedLevel == 0)
        m_context.Page().SetExtent(Size());
}

void CLayoutFlow::EncloseFloats() {
    for (const auto* placed : {&m_placedLeft, &m_placedRight})
        for (const CLayoutFlow* flow : *placed)
            m_extentY = std::max(m_extentY, FloatBox(*flow).bottom);
}

CRect CLayoutFlow::FloatBox(const CLayoutFlow& flow) const {
    int32_t left = flow.m_origin.x - m_origin.x;
    int32_t top = flow.m_origin.y - m_origin.y;
    return {left, top, left + flow.m_geometry.width, top + flow.Size().y};
}

void CLayoutFlow::DropEndedFloats(std::vector<CLayoutFlow*>& placed) {
    std::erase_if(placed, [&](CLayoutFlow* flow) { return FloatBox(*flow).bottom <= m_y; });
}

bool CLayoutFlow::HasFloats() const {
    return HasFloatsAt(FloatSide::Left) || HasFloatsAt(FloatSide::Right);
}

bool CLayoutFlow::HasFloatsAt(FloatSide side) const {
    return side == FloatSide::Left ? !m_placedLeft.empty() || !m_pendingLeft.empty()
                                   : !m_placedRight.empty() || !m_pendingRight.empty();
}

void CLayoutFlow::RecomputeLimits() {
    do {
        DropEndedFloats(m_placedLeft);
        DropEndedFloats(m_placedRight);
        m_lineLeft = m_geometry.leftEdge;
        m_lineRight = m_geometry.width - m_geometry.rightEdge;
        for (CLayoutFlow* flow : m_placedLeft)
            m_lineLeft = std::max(m_lineLeft, FloatBox(*flow).right);
        for (CLayoutFlow* flow : m_placedRight)
            m_lineRight = std::min(m_lineRight, FloatBox(*flow).left);
        m_lineLeft += m_indent;
        if (m_firstLine)
            m_lineLeft += m_firstLineOffset;
        m_available = m_lineRight - m_lineLeft;
    } while (PlacePending());
}

bool CLayoutFlow::PlacePending() {
    const bool nonePlaced = m_placedLeft.empty() && m_placedRight.empty();
    for (FloatSide side : {FloatSide::Left, FloatSide::Right}) {
        auto& pending = side == FloatSide::Left ? m_pendingLeft : m_pendingRight;
        if (pending.empty())
            continue;
        CLayoutFlow& flow = *pending.front();
        if (flow.m_geometry.width < m_available - m_context.MinimumLineWidth()) {
            PlaceFloat(flow, side);
            return true;
        }
        if (nonePlaced) {
            // Too wide to have text beside it: it stands alone and the text
            // goes on below it.
            PlaceFloat(flow, side);
            m_y = std::max(m_y, FloatBox(flow).bottom);
            UpdateExtent();
            return true;
        }
    }
    return false;
}

void CLayoutFlow::PlaceFloat(CLayoutFlow& flow, FloatSide side) {
    auto& pending = side == FloatSide::Left ? m_pendingLeft : m_pendingRight;
    pending.erase(pending.begin());
    int32_t sideLeft = m_geometry.leftEdge;
    int32_t sideRight = m_geometry.width - m_geometry.rightEdge;
    for (CLayoutFlow* placed : m_placedLeft)
        sideLeft = std::max(sideLeft, FloatBox(*placed).right);
    for (CLayoutFlow* placed : m_placedRight)
        sideRight = std::min(sideRight, FloatBox(*placed).left);
    const int32_t x = side == FloatSide::Left ? sideLeft : sideRight - flow.m_geometry.width;
    const CPoint offset{m_origin.x + x - flow.m_origin.x, m_origin.y + m_y - flow.m_origin.y};
    flow.OffsetOrigins(offset);
    m_context.Page().Nest(m_id, flow.m_id, offset);
    m_nested.push_back(&flow);
    (side == FloatSide::Left ? m_placedLeft : m_placedRight).push_back(&flow);
}

void CLayoutFlow::Clear(ClearSide side) {
    auto hasFloats = [&] {
        const bool left = side == ClearSide::Left || side == ClearSide::Both;
        const bool right = side == ClearSide::Right || side == ClearSide::Both;
        return (left && HasFloatsAt(FloatSide::Left)) || (right && HasFloatsAt(FloatSide::Right));
    };
    while (hasFloats())
        FinishLine(FinishMode::Blank);
}

void CLayoutFlow::BlockStart(const CBlockStartElement& block) {
    while (m_blankLines < static_cast<int64_t>(block.blankLinesBefore))
        FinishLine(FinishMode::Blank);
    if (block.align != Align::None) {
        m_savedAlignment = m_alignment;
        m_alignment = block.align;
    }
    m_blankLinesAfter =
        static_cast<int32_t>(std::min<uint32_t>(block.blankLinesAfter, kMaxBlankLinesAfter));
    m_indent = ElementGeometry::BlockIndent(block, m_context.IndentUnit());
    m_firstLineOffset = ElementGeometry::FirstLineOffset(block, m_context.IndentUnit());
    m_firstLine = true;
    RecomputeLimits();
}

void CLayoutFlow::BlockEnd() {
    FinishLine(FinishMode::Break);
    while (m_blankLines < m_blankLinesAfter)
        FinishLine(FinishMode::Blank);
    m_indent = 0;
    m_firstLineOffset = 0;
    m_blankLinesAfter = 1;
    m_firstLine = true;
    m_alignment = m_savedAlignment;
    RecomputeLimits();
}

void CLayoutFlow::LineBreak() {
    if (m_currentLine.empty()) {
        m_y += m_context.CurrentLineHeight();
        ++m_blankLines;
        UpdateExtent();
        RecomputeLimits();
    }
    FinishLine(FinishMode::Break);
}

void CLayoutFlow::Rule(int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    // Indents may leave a narrow flow no room at all: the rule is then empty.
    const int64_t avail = std::max(0, m_lineRight - m_lineLeft);
    const auto offset = static_cast<int32_t>((100 - percent) * avail / 200);
    CLineRecord line;
    line.top = m_origin.y + m_y;
    line.bottom = line.top + kRuleHeight;
    const int32_t left = m_origin.x + m_lineLeft + offset;
    CRect rect{left, line.top, left + static_cast<int32_t>(avail) - 2 * offset, line.bottom};
    line.items.push_back(m_context.NewItem<CRuleItem>(rect));
    PublishLine(line);
    m_extentX = std::max(m_extentX, rect.right - m_origin.x - m_geometry.leftEdge);
    m_y += kRuleHeight;
    m_blankLines = 0;
    UpdateExtent();
    RecomputeLimits();
    m_context.SignalProgress();
}

bool CLayoutFlow::Image(const CImageElement& image, bool isObject) {
    const bool inLink = !isObject && m_context.CurrentLink();
    const std::optional<CImageSize> size = m_context.ImageSize(image, inLink);
    if (!size)
        return false;
    const CImagePlacement placement = ElementGeometry::PlacementOf(image);
    std::unique_ptr<CLayoutBox> box;
    if (isObject)
        box = std::make_unique<CObjectBox>(m_context, static_cast<const CEmbedElement&>(image),
                                           *size, placement.verticalAlignment);
    else
        box = std::make_unique<CImageBox>(m_context, image, *size, placement.verticalAlignment,
                                          inLink ? m_context.CurrentLink() : nullptr);
    if (!placement.floating) {
        if (image.inlineFlag && !m_currentLine.empty())
            AddBox(std::make_unique<CBreakBox>(m_context));
        AddBox(std::move(box));
        if (image.inlineFlag)
            AddBox(std::make_unique<CBreakBox>(m_context));
        return true;
    }
    const bool left = placement.side == FloatSide::Left;
    const int32_t hspace = placement.horizontalSpace;
    const int32_t vspace = placement.verticalSpace;
    CLayoutFlow& flow = m_context.NewFlow(
        m_nestedLevel + 1, {.origin = {m_origin.x + m_lineLeft, m_origin.y + m_y},
                            .width = ElementGeometry::ImageRunWidth(placement, size->width),
                            .leftEdge = left ? 0 : hspace,
                            .rightEdge = left ? hspace : 0,
                            .topStart = vspace,
                            .bottomPadding = vspace});
    flow.AddBox(std::move(box));
    flow.FinishLine(FinishMode::Break);
    (left ? m_pendingLeft : m_pendingRight).push_back(&flow);
    RecomputeLimits();
    return true;
}

int32_t CLayoutFlow::WidthForTable() const {
    return (m_geometry.width - m_geometry.rightEdge) - (m_geometry.leftEdge + m_indent);
}

CTablePlace CLayoutFlow::BeginTable(int32_t tableWidth, int32_t border) {
    while (m_blankLines < 1)
        FinishLine(FinishMode::Blank);
    while (m_available < tableWidth && HasFloats())
        FinishLine(FinishMode::Blank);
    CTablePlace place{m_lineLeft, m_y};
    if (m_centreCount > 0 && m_available > tableWidth)
        place.left += (m_available - tableWidth) / 2;
    if (border > 0)
        m_y += border;
    m_extentX = std::max(m_extentX, place.left + tableWidth - m_geometry.leftEdge);
    return place;
}

CLayoutFlow& CLayoutFlow::NewCell(int32_t x, int32_t width, int32_t padding, Align alignment) {
    CLayoutFlow& cell = m_context.NewFlow(m_nestedLevel + 1,
                                          {.origin = {m_origin.x + x, m_origin.y + m_y},
                                           .width = width,
                                           .leftEdge = padding,
                                           .rightEdge = padding,
                                           .topStart = padding,
                                           .bottomPadding = padding},
                                          alignment);
    m_context.Page().Nest(m_id, cell.m_id, {0, 0});
    m_nested.push_back(&cell);
    return cell;
}

void CLayoutFlow::ReleaseCell(CLayoutFlow& cell) {
    // The cells of the row just done are the last ones nested here.
    auto at = std::find(m_nested.rbegin(), m_nested.rend(), &cell);
    VERIFY(at != m_nested.rend());
    m_nested.erase(std::next(at).base());
    cell.ReleaseNested();
    m_context.ReleaseFlow(cell);
}

void CLayoutFlow::ReleaseNested() {
    for (const auto* flows : {&m_nested, &m_pendingLeft, &m_pendingRight}) {
        for (CLayoutFlow* flow : *flows) {
            flow->ReleaseNested();
            m_context.ReleaseFlow(*flow);
        }
    }
    m_nested.clear();
    m_pendingLeft.clear();
    m_pendingRight.clear();
    m_placedLeft.clear();
    m_placedRight.clear();
}

void CLayoutFlow::EndTable(CLineRecord frameLine) {
    m_blankLines = 0;
    PublishLine(frameLine);
    UpdateExtent();
    RecomputeLimits();
    m_context.SignalProgress();
}

void CLayoutFlow::OffsetOrigins(CPoint offset) {
    std::vector<CLayoutFlow*> stack{this};
    while (!stack.empty()) {
        CLayoutFlow* flow = stack.back();
        stack.pop_back();
        flow->m_origin = {flow->m_origin.x + offset.x, flow->m_origin.y + offset.y};
        stack.insert(stack.end(), flow->m_nested.begin(), flow->m_nested.end());
    }
}

void CLayoutFlow::MoveBy(CPoint offset) {
    OffsetOrigins(offset);
    m_context.Page().MoveFlow(m_id, offset);
}
