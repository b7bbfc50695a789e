#include "layout/CTableLayout.h"

#include "layout/CLayoutContext.h"
#include "layout/CLayoutFlow.h"
#include "layout/LayoutConstants.h"

#include <algorithm>

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

bool CTableLayout::EndPassedOver() {
    if (m_passedOver == 0)
        return false;
    --m_passedOver;
    return true;
}

void CTableLayout::Start(const CTableElement& table, const CTableMeasure& given) {
    CTableMeasure measure = given;
    m_border = std::clamp(table.border, 0, kMaxBorder);
    m_cellPadding = std::clamp(table.cellPadding, 0, kMaxBorder);
    const int32_t available = m_flow.WidthForTable();
    int64_t wanted = table.width;
    if (wanted < 0)
        wanted = int64_t{available} * std::min<int64_t>(-wanted, kMaxTablePercent) / 100;
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

    const CTablePlace place = m_flow.BeginTable(m_tableWidth, m_border);
    m_tableLeft = place.left;
    m_tableTop = place.top;
    m_frameLine.top = m_flow.Origin().y + m_tableTop;
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

// Cells spanning down from earlier rows keep their columns.
void CTableLayout::SkipSpanningCells() {
    while (m_columnIndex < m_columns.size() && m_columns[m_columnIndex].cell) {
        const auto span = static_cast<size_t>(m_columns[m_columnIndex].columnSpan);
        for (size_t j = m_columnIndex; j < std::min(m_columns.size(), m_columnIndex + span); ++j)
            m_cellX += m_columns[j].width + m_border;
        m_columnIndex += span;
    }
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
    SkipSpanningCells();
    if (m_columnIndex >= kMaxTableColumns)
        return;
    if (m_columnIndex >= m_columns.size())
        m_columns.resize(m_columnIndex + 1); // a cell the measuring did not see: no width
    const size_t span = std::clamp<size_t>(element.columnSpan, 1, m_columns.size() - m_columnIndex);
    int32_t cellWidth = m_border * static_cast<int32_t>(span - 1);
    for (size_t j = m_columnIndex; j < m_columnIndex + span; ++j)
        cellWidth += m_columns[j].width;

    const int32_t cellTop = m_flow.Origin().y + m_flow.Y();
    CLayoutFlow& cell = m_flow.NewCell(m_cellX, cellWidth, m_cellPadding, element.alignment);
    CColumnRecord& column = m_columns[m_columnIndex];
    column.cell = &cell;
    column.verticalAlignment = element.verticalAlignment;
    column.remainingRowSpan =
        static_cast<int32_t>(std::clamp<uint32_t>(element.rowSpan, 1, kMaxRowSpan) - 1);
    column.columnSpan = static_cast<int32_t>(span);
    column.accumulatedHeight = 0;
    column.cellWidth = cellWidth;
    column.cellTop = cellTop;
    m_openCell = static_cast<int32_t>(m_columnIndex);
    m_columnIndex += span;
}

void CTableLayout::FinishRow() {
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
        rowHeight = m_context.CurrentLineHeight();
    // A cell spanning into this row may already be shorter than the rows
    // above it made it.
    rowHeight = std::max(rowHeight, 0);
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
            cell.MoveBy({0, dy});
        if (m_border >= 1 && cell.HasLines()) {
            const int32_t left = cell.Origin().x;
            const int32_t bottom = column.cellTop + column.accumulatedHeight + rowHeight;
            CRect frame{left - 1, column.cellTop - 1, left + column.cellWidth + 1, bottom + 1};
            m_frameLine.items.push_back(
                m_context.NewItem<CFrameItem>(frame, m_border, FrameStyle::Cell));
        }
        column.cell = nullptr;
        m_flow.ReleaseCell(cell);
    }
    m_flow.AdvanceBy(rowHeight + m_border);
    for (CColumnRecord& column : m_columns)
        if (column.remainingRowSpan > 0)
            --column.remainingRowSpan;
    m_openCell = -1;
}

void CTableLayout::End() {
    if (!m_firstRow)
        FinishRow();
    m_frameLine.bottom = m_flow.Origin().y + m_flow.Y();
    if (m_border > 0) {
        const int32_t left = m_flow.Origin().x + m_tableLeft;
        CRect frame{left, m_flow.Origin().y + m_tableTop, left + m_tableWidth, m_frameLine.bottom};
        m_frameLine.items.push_back(
            m_context.NewItem<CFrameItem>(frame, m_border, FrameStyle::Table));
    }
    m_flow.EndTable(std::move(m_frameLine));
}
