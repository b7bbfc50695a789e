#pragma once

#include "html/CHtmlElement.h"
#include "layout/CLineRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CLayoutContext;
class CLayoutFlow;

// A table's columns as measured before layout: what each column needs at
// least (its longest unbreakable run) and would like (its longest line).
struct CTableMeasure {
    std::vector<int32_t> minimum;
    std::vector<int32_t> maximum;
    int32_t totalMinimum = 0;
    int32_t totalMaximum = 0;
};

// The state of the one table a flow is laying out: its columns and the cell
// flows of the current row. The flow hands it its own row, cell and end
// records; everything between them goes to the open cell.
class CTableLayout {
public:
    CTableLayout(CLayoutFlow& flow, CLayoutContext& context) : m_flow(flow), m_context(context) {}

    void Start(const CTableElement& table, const CTableMeasure& measure);
    void Row();
    void Cell(const CTableCellElement& cell);
    void End();
    [[nodiscard]] CLayoutFlow* OpenCellFlow() const;

    // A table opened where this one has no open cell: its records are
    // passed over, so that only this table's own end ends it.
    void PassOver() { ++m_passedOver; }
    [[nodiscard]] bool PassingOver() const { return m_passedOver > 0; }
    // True when an end record closed a table passed over.
    [[nodiscard]] bool EndPassedOver();

    // Column widths for an available width: every maximum, every minimum, or
    // the minimums plus a share of the rest.
    [[nodiscard]] static std::vector<int32_t> ColumnWidths(const CTableMeasure& measure,
                                                           int32_t border, int32_t available,
                                                           int32_t& tableWidth);

private:
    struct CColumnRecord {
        int32_t width = 0;
        CLayoutFlow* cell = nullptr; // the cell that starts here and has not ended
        Align verticalAlignment = Align::Center;
        int32_t remainingRowSpan = 0;
        int32_t columnSpan = 1;
        int32_t accumulatedHeight = 0;
        int32_t cellWidth = 0;
        int32_t cellTop = 0; // document y of the row the cell started in
    };

    void FinishRow();
    void SkipSpanningCells();

    CLayoutFlow& m_flow;
    CLayoutContext& m_context;
    int32_t m_passedOver = 0;
    int32_t m_cellX = 0;
    int32_t m_tableWidth = 0;
    int32_t m_border = 0;
    int32_t m_cellPadding = 0;
    bool m_firstRow = true;
    std::vector<CColumnRecord> m_columns;
    int32_t m_openCell = -1;
    size_t m_columnIndex = 0;
    int32_t m_tableTop = 0;
    int32_t m_tableLeft = 0;
    CLineRecord m_frameLine; // published when the table ends
};
