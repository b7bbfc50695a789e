#include "layout/CTableMeasurer.h"

#include "layout/CLayoutContext.h"
#include "layout/ElementGeometry.h"
#include "layout/LayoutConstants.h"

#include <algorithm>

namespace {

int32_t Bounded(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMaxMeasuredWidth));
}

} // namespace

CTableMeasurer::CTableMeasurer(CLayoutContext& context)
    : m_context(context), m_inLink(context.CurrentLink() != nullptr) {}

std::unique_ptr<CTableMeasure> CTableMeasurer::Measure(const CTableElement& table,
                                                       ElementPosition after) {
    Level level;
    level.table = &table;
    level.measure = std::make_unique<CTableMeasure>();
    m_stack.push_back(std::move(level));
    ElementPosition position = after;
    while (position && !m_stack.empty()) {
        const CHtmlElement* element = m_context.NextElement(position);
        if (!element)
            break;
        Visit(*element);
    }
    while (!m_stack.empty()) // a list that ended early: measure what there is
        FinishLevel();
    return std::move(m_result);
}

void CTableMeasurer::Visit(const CHtmlElement& element) {
    Level& level = m_stack.back();
    switch (element.kind) {
    case ElementKind::Table: {
        Level nested;
        nested.table = static_cast<const CTableElement*>(&element);
        nested.measure = std::make_unique<CTableMeasure>();
        m_stack.push_back(std::move(nested));
        return;
    }
    case ElementKind::TableRow:
        CloseCell(level);
        for (uint32_t& left : level.spanLeft)
            if (left > 0)
                --left;
        level.position = 0;
        return;
    case ElementKind::TableCell:
        CloseCell(level);
        PlaceCell(level, static_cast<const CTableCellElement&>(element));
        return;
    case ElementKind::TableEnd:
        FinishLevel();
        return;
    default:
        if (level.cell.open)
            Content(level.cell, element);
        return;
    }
}

void CTableMeasurer::EndRun(Cell& cell) {
    if (cell.runHasContent) {
        cell.minimum = std::max(cell.minimum, Bounded(cell.runMinimum + cell.indent));
        cell.maximum = std::max(cell.maximum, Bounded(cell.runMaximum + cell.indent));
    }
    cell.runMinimum = cell.runMaximum = 0;
    cell.runHasContent = false;
}

void CTableMeasurer::Content(Cell& cell, const CHtmlElement& element) {
    auto addWide = [&](int32_t width, bool breaksInside) {
        cell.runMaximum += width;
        if (breaksInside)
            cell.runMinimum = std::max<int64_t>(cell.runMinimum, width);
        else
            cell.runMinimum += width;
        cell.runHasContent = true;
    };
    switch (element.kind) {
    case ElementKind::BlockStart:
        EndRun(cell);
        cell.indent = ElementGeometry::BlockIndent(static_cast<const CBlockStartElement&>(element),
                                                   m_context.IndentUnit());
        return;
    case ElementKind::BlockEnd:
        EndRun(cell);
        cell.indent = 0;
        return;
    case ElementKind::LineEnd:
    case ElementKind::ClearBreak:
    case ElementKind::LineBreak:
        EndRun(cell);
        return;
    case ElementKind::Link:
        m_inLink = true;
        return;
    case ElementKind::LinkEnd:
        m_inLink = false;
        return;
    case ElementKind::Text: {
        const auto& text = static_cast<const CTextElement&>(element);
        const int32_t width = m_context.RunWidth(
            text.textStyle, m_context.TextRun(text.startOffset, text.characterCount).characters);
        cell.runMaximum += width;
        cell.runMinimum += (text.textStyle & TextStyle::Preformatted)
                               ? width
                               : std::min(width, m_context.MinimumLineWidth());
        cell.runHasContent = true;
        return;
    }
    case ElementKind::Image:
    case ElementKind::EmbeddedObject: {
        const auto& image = static_cast<const CImageElement&>(element);
        const bool isObject = element.kind == ElementKind::EmbeddedObject;
        if (!ElementGeometry::TakesPlaceInText(element))
            return;
        const std::optional<CImageSize> size = m_context.ImageSize(image, !isObject && m_inLink);
        const int32_t width = ElementGeometry::ImageRunWidth(ElementGeometry::PlacementOf(image),
                                                             size ? size->width : 0);
        addWide(width, isObject || image.inlineFlag);
        return;
    }
    case ElementKind::FormField:
        addWide(ElementGeometry::ControlSize(static_cast<const CFormFieldElement&>(element)).width,
                true);
        return;
    case ElementKind::ListItem:
        cell.runMaximum += ElementGeometry::MarkerWidth(m_context.IndentUnit());
        cell.runMinimum += ElementGeometry::MarkerWidth(m_context.IndentUnit());
        cell.runHasContent = true;
        return;
    default:
        return;
    }
}

void CTableMeasurer::PlaceCell(Level& level, const CTableCellElement& element) {
    size_t column = level.position;
    while (column < level.spanLeft.size() && level.spanLeft[column] > 0)
        ++column;
    column = std::min(column, kMaxTableColumns - 1);
    const size_t span = std::clamp<size_t>(element.columnSpan, 1, kMaxTableColumns - column);
    const size_t needed = column + span;
    if (level.measure->minimum.size() < needed) {
        level.measure->minimum.resize(needed);
        level.measure->maximum.resize(needed);
    }
    if (level.spanLeft.size() < needed)
        level.spanLeft.resize(needed);
    if (element.rowSpan > 1)
        for (size_t j = column; j < needed; ++j)
            level.spanLeft[j] = std::max(level.spanLeft[j], element.rowSpan);
    level.position = needed;
    level.cell = Cell{};
    level.cell.open = true;
    level.cell.firstColumn = column;
    level.cell.span = span;
    level.cell.width = element.width;
}

void CTableMeasurer::Demand(std::vector<int32_t>& columns, size_t first, size_t span,
                            int32_t value) {
    const auto count = static_cast<int32_t>(span);
    for (size_t j = 0; j < span; ++j) {
        int32_t share = value / count + (j == 0 ? value % count : 0);
        columns[first + j] = std::max(columns[first + j], share);
    }
}

void CTableMeasurer::CloseCell(Level& level) {
    Cell& cell = level.cell;
    if (!cell.open)
        return;
    EndRun(cell);
    int32_t minimum = cell.minimum;
    int32_t maximum = cell.maximum;
    if (cell.width > 0) {
        minimum = std::max(minimum,
                           static_cast<int32_t>(std::min<int64_t>(cell.width, kMaxMeasuredWidth)));
        maximum = minimum;
    }
    // A spanning cell may use the spacing between the columns it covers.
    const int64_t spacing =
        int64_t(cell.span - 1) * (std::clamp(level.table->border, 0, kMaxBorder) +
                                  2 * std::clamp(level.table->cellPadding, 0, kMaxBorder));
    minimum = Bounded(minimum - spacing);
    maximum = Bounded(maximum - spacing);
    Demand(level.measure->minimum, cell.firstColumn, cell.span, minimum);
    Demand(level.measure->maximum, cell.firstColumn, cell.span, maximum);
    cell.open = false;
}

void CTableMeasurer::FinishLevel() {
    Level& level = m_stack.back();
    CloseCell(level);
    CTableMeasure& measure = *level.measure;
    const int32_t border = std::clamp(level.table->border, 0, kMaxBorder);
    const int32_t padding = std::clamp(level.table->cellPadding, 0, kMaxBorder);
    int64_t totalMinimum = border;
    int64_t totalMaximum = border;
    for (size_t i = 0; i < measure.minimum.size(); ++i) {
        measure.minimum[i] += 2 * padding;
        measure.maximum[i] += 2 * padding;
        totalMinimum += measure.minimum[i] + border;
        totalMaximum += measure.maximum[i] + border;
    }
    measure.totalMinimum = Bounded(totalMinimum);
    measure.totalMaximum = Bounded(totalMaximum);
    Level finished = std::move(level);
    m_stack.pop_back();
    if (m_stack.empty()) {
        m_result = std::move(finished.measure);
        return;
    }
    // A nested table is a run of its own in the cell that holds it.
    Cell& outer = m_stack.back().cell;
    if (outer.open) {
        EndRun(outer);
        outer.runMinimum = measure.totalMinimum;
        outer.runMaximum = measure.totalMaximum;
        outer.runHasContent = true;
        EndRun(outer);
    }
    m_context.KeepMeasure(*finished.table, std::move(finished.measure));
}
