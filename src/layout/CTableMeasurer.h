#pragma once

#include "content/CMimeObject.h"
#include "layout/CTableLayout.h"

#include <cstdint>
#include <memory>
#include <vector>

class CHtmlElement;
class CLayoutContext;

// Measures a complete table, and every table nested in it, in one walk of
// the element list: for each column the least and the most width its cells'
// content asks for. Nesting is kept on an explicit stack, so that a page of
// deeply nested tables cannot exhaust the thread's stack.
class CTableMeasurer {
public:
    explicit CTableMeasurer(CLayoutContext& context);

    // Measures table, whose records follow at position after; every nested
    // table's measure is handed to the context as well.
    [[nodiscard]] std::unique_ptr<CTableMeasure> Measure(const CTableElement& table,
                                                         ElementPosition after);

private:
    struct Cell {
        bool open = false;
        size_t firstColumn = 0;
        size_t span = 1;
        int32_t width = 0;
        int32_t minimum = 0;
        int32_t maximum = 0;
        int64_t runMinimum = 0;
        int64_t runMaximum = 0;
        bool runHasContent = false;
        int32_t indent = 0;
    };
    struct Level {
        const CTableElement* table = nullptr;
        std::unique_ptr<CTableMeasure> measure;
        std::vector<uint32_t> spanLeft; // rows still taken, per column
        size_t position = 0;
        Cell cell;
    };

    void Visit(const CHtmlElement& element);
    void Content(Cell& cell, const CHtmlElement& element);
    void EndRun(Cell& cell);
    void PlaceCell(Level& level, const CTableCellElement& element);
    void CloseCell(Level& level);
    void FinishLevel();
    static void Demand(std::vector<int32_t>& columns, size_t first, size_t span, int32_t value);

    CLayoutContext& m_context;
    std::vector<Level> m_stack;
    std::unique_ptr<CTableMeasure> m_result;
    bool m_inLink = false;
};
