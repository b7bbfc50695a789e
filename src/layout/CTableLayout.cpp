#include "layout/CTableLayout.h"

#include "layout/CLayoutEngine.h"
#include "layout/CLayoutFlow.h"

#include <algorithm>

namespace {

// Bounds for what a page may write into border and padding.
constexpr int32_t kMaxBorder = 1024;

} // namespace

std::vector<int32_t> CTableLayout::ColumnWidths(const CTableMeasure& measure, int32_t border,
                                                int32_t available, int32_t& tableWidth) {
    const size_t count = measure.minimum.size();
    if (measure.totalMaximum <= available) {
        tableWidth = measure.totalMaximum;
        return measure.maximum;
    }
    if (measure.totalMinimum >= available) {
        tableWidth = measure.totalMinimum;
        return measure.minimum;
    }
    tableWidth = available;
    std::vector<int32_t> widths(count);
    const int64_t spare = available - measure.totalMinimum;
    const int64_t range = measure.totalMaximum - measure.totalMinimum;
    int64_t used = border;
    for (size_t i = 0; i < count; ++i) {
        widths[i] = measure.minimum[i] +
                    static_cast<int32_t>(spare * (measure.maximum[i] - measure.minimum[i]) / range);
        used += widths[i] + border;
    }
    // What the divisions rounded away goes to the last column that still
    // wants more.
    for (size_t i = count; i-- > 0;) {
        if (measure.maximum[i] > widths[i]) {
            widths[i] += static_cast<int32_t>(available - used);
            break;
        }
    }
    return widths;
}

void CTableLayout::Start(const CTableElement& table, const CTableMeasure& given) {
    CTableMeasure measure = given;
    m_border = std::clamp(table.border, 0, kMaxBorder);
    m_cellPadding = std::clamp(table.cellPadding, 0, kMaxBorder);
    const int32_t available = m_flow.WidthForTable();
    int64_t wanted = table.width;
    if (wanted < 0)
        wanted = int64_t{available} * std::min<int64_t>(-wanted, 1000) / 100;
    const auto count = static_cast<int32_t>(measure.maximum.size());
    if (count > 0 && wanted > measure.totalMaximum) {
        const auto extra = static_cast<int32_t>((wanted - measure.totalMaximum) / count);
        for (int32_t& maximum : measure.maximum)
            maximum += extra;
        measure.totalMaximum = static_cast<int32_t>(wanted);
    }
    std::vector<int32_t> widths = ColumnWidths(measure, m_border, available, m_tableWidth);
    m_columns.resize(widths.size());
    for (size_t i = 0; i < widths.size(); ++i)
        m_columns[i].width = widths[i];

    // A table always stands below at least one blank line, and beside no
    // float that leaves it too little room.
    while (m_flow.blankLines < 1)
        m_flow.FinishLine(FinishMode::Blank);
    while (m_flow.available < m_tableWidth && m_flow.HasFloats())
        m_flow.FinishLine(FinishMode::Blank);
    m_tableLeft = m_flow.lineLeft;
    if (m_flow.centreCount > 0 && m_flow.available > m_tableWidth)
        m_tableLeft += (m_flow.available - m_tableWidth) / 2;
    m_tableTop = m_flow.y;
    if (m_border > 0)
        m_flow.y += m_border;
    m_flow.extentX = std::max(m_flow.extentX, m_tableLeft + m_tableWidth - m_flow.leftEdge);
    m_frameLine.top = m_flow.originY + m_tableTop;
}

CLayoutFlow* CTableLayout::OpenCellFlow() const {
    return m_openCell >= 0 ? m_columns[static_cast<size_t>(m_openCell)].cell : nullptr;
}

void CTableLayout::Row() {
    if (!m_firstRow)
        FinishRow();
    m_firstRow = false;
    m_cellX = m_tableLeft + m_border;
    m_columnIndex = 0;
    m_openCell = -1;
}

void CTableLayout::Cell(const CTableCellElement& element) {
    if (m_firstRow)
        Row();
    // The measuring stopped at the last column: a row's further cells go on
    // in the cell that reached it.
    if (m_columnIndex >= kMaxTableColumns)
        return;
    if (CLayoutFlow* open = OpenCellFlow()) {
        open->FinishLine(FinishMode::Break);
        m_cellX += m_border + m_columns[static_cast<size_t>(m_openCell)].cellWidth;
        m_openCell = -1;
    }
    // Cells spanning down from earlier rows keep their columns.
    while (m_columnIndex < m_columns.size() && m_columns[m_columnIndex].cell) {
        const auto span = static_cast<size_t>(m_columns[m_columnIndex].columnSpan);
        for (size_t j = m_columnIndex; j < std::min(m_columns.size(), m_columnIndex + span); ++j)
            m_cellX += m_columns[j].width + m_border;
        m_columnIndex += span;
    }
    if (m_columnIndex >= kMaxTableColumns)
        return;
    if (m_columnIndex >= m_columns.size())
        m_columns.resize(m_columnIndex + 1); // a cell the measuring did not see: no width
    const size_t span = std::clamp<size_t>(element.columnSpan, 1, m_columns.size() - m_columnIndex);
    int32_t cellWidth = m_border * static_cast<int32_t>(span - 1);
    for (size_t j = m_columnIndex; j < m_columnIndex + span; ++j)
        cellWidth += m_columns[j].width;

    CLayoutEngine& engine = m_flow.engine;
    CLayoutFlow& cell = engine.NewFlow(m_flow.nestedLevel + 1);
    cell.alignment = cell.savedAlignment = element.alignment;
    cell.Start({m_flow.originX + m_cellX, m_flow.originY + m_flow.y}, cellWidth, m_cellPadding,
               m_cellPadding, m_cellPadding, m_cellPadding);
    CColumnRecord& column = m_columns[m_columnIndex];
    column.cell = &cell;
    column.verticalAlignment = element.verticalAlignment;
    column.remainingRowSpan =
        static_cast<int32_t>(std::clamp<uint32_t>(element.rowSpan, 1, 65536) - 1);
    column.columnSpan = static_cast<int32_t>(span);
    column.accumulatedHeight = 0;
    column.cellWidth = cellWidth;
    column.cellTop = m_flow.originY + m_flow.y;
    {
        CSemLockGuard guard(engine.m_lock);
        m_flow.AddNested(&cell);
    }
    m_openCell = static_cast<int32_t>(m_columnIndex);
    m_columnIndex += span;
}

void CTableLayout::FinishRow() {
    CLayoutEngine& engine = m_flow.engine;
    if (CLayoutFlow* open = OpenCellFlow())
        open->FinishLine(FinishMode::Break);
    bool anyEnds = false;
    int32_t rowHeight = 0;
    for (const CColumnRecord& column : m_columns) {
        if (!column.cell || column.remainingRowSpan > 0)
            continue;
        column.cell->EncloseFloats();
        const int32_t height = column.cell->Size().y - column.accumulatedHeight;
        rowHeight = anyEnds ? std::max(rowHeight, height) : height;
        anyEnds = true;
    }
    if (!anyEnds)
        rowHeight = engine.LineHeightOf(engine.m_currentStyle);
    // A cell spanning into this row may already be shorter than the rows
    // above it made it.
    rowHeight = std::max(rowHeight, 0);
    {
        CSemLockGuard guard(engine.m_lock);
        for (CColumnRecord& column : m_columns) {
            if (!column.cell)
                continue;
            if (column.remainingRowSpan > 0) {
                column.accumulatedHeight += rowHeight + m_border;
                continue;
            }
            CLayoutFlow& cell = *column.cell;
            const int32_t spare = rowHeight - (cell.Size().y - column.accumulatedHeight);
            int32_t dy = 0;
            if (column.verticalAlignment == Align::Bottom)
                dy = spare;
            else if (column.verticalAlignment == Align::Middle ||
                     column.verticalAlignment == Align::Center)
                dy = spare / 2;
            if (dy)
                cell.MoveBy(0, dy);
            if (m_border >= 1 && cell.HasLines()) {
                CRect area{cell.originX, column.cellTop, cell.originX + column.cellWidth,
                           column.cellTop + column.accumulatedHeight + rowHeight};
                CRect frame{area.left - 1, area.top - 1, area.right + 1, area.bottom + 1};
                m_frameLine.items.push_back(engine.NewItem<CFrameItem>(frame, m_border, 1));
            }
            column.cell = nullptr;
        }
    }
    m_flow.y += rowHeight + m_border;
    for (CColumnRecord& column : m_columns)
        if (column.remainingRowSpan > 0)
            --column.remainingRowSpan;
    m_openCell = -1;
}

void CTableLayout::End() {
    CLayoutEngine& engine = m_flow.engine;
    if (!m_firstRow)
        FinishRow();
    m_flow.blankLines = 0;
    m_frameLine.bottom = m_flow.originY + m_flow.y;
    {
        CSemLockGuard guard(engine.m_lock);
        if (m_border > 0) {
            const int32_t left = m_flow.originX + m_tableLeft;
            CRect frame{left, m_flow.originY + m_tableTop, left + m_tableWidth,
                        m_flow.originY + m_flow.y};
            m_frameLine.items.push_back(engine.NewItem<CFrameItem>(frame, m_border, 0));
        }
        m_flow.AppendLine(std::move(m_frameLine));
    }
    m_flow.UpdateExtent();
    m_flow.RecomputeLimits();
    engine.SignalProgress();
}
