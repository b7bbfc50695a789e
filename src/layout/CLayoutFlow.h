#pragma once

#include "content/CMimeObject.h"
#include "html/CHtmlElement.h"
#include "layout/CLayoutBox.h"
#include "layout/CLayoutPage.h"
#include "layout/ElementGeometry.h"
#include "layout/LayoutConstants.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

class CLayoutContext;
class CTableLayout;

// How a line is finished: a blank line, a forced break, or a check whether
// the boxes still fit.
enum class FinishMode : uint8_t { Blank = 0, Break = 1, Wrap = 2 };

// Where a flow stands and the margins of its lines.
struct CFlowGeometry {
    CPoint origin;        // document coordinates
    int32_t width = 0;    // the whole flow, edges included
    int32_t leftEdge = 0; // the flow's own margins
    int32_t rightEdge = 0;
    int32_t topStart = 0;      // y of the first line
    int32_t bottomPadding = 0; // below the last line
};

// Where a table stands in the flow that lays it out, relative to its origin.
struct CTablePlace {
    int32_t left = 0;
    int32_t top = 0;
};

// A column of text that fills lines between its edges: the page, a table
// cell or a floating image. Positions of its own are relative to its origin;
// everything it emits is in document coordinates. Layout thread only: what
// other threads see of it (its lines, the flows nested in it) it publishes
// through its context's page.
class CLayoutFlow {
public:
    CLayoutFlow(CLayoutContext& context, FlowId id, int32_t nestedLevel,
                const CFlowGeometry& geometry, Align alignment);
    ~CLayoutFlow();
    CLayoutFlow(const CLayoutFlow&) = delete;
    CLayoutFlow& operator=(const CLayoutFlow&) = delete;

    // The element rules of one flow; false when the element cannot be laid
    // out yet. after is the element position following element.
    [[nodiscard]] bool LayoutElement(const CHtmlElement& element, ElementPosition after);

    [[nodiscard]] FlowId Id() const { return m_id; }
    // The current line's top in document coordinates.
    [[nodiscard]] int32_t DocumentY() const { return m_origin.y + m_y; }
    // The open cell of the table laid out here, or null.
    [[nodiscard]] CLayoutFlow* OpenCell() const;
    [[nodiscard]] bool LaysOutTable() const { return m_table != nullptr; }

    void FinishLine(FinishMode mode);

    // For the table laid out here. Readies the flow for a table tableWidth
    // wide (below a blank line and beside no float that leaves it too little
    // room) and answers where the table stands.
    [[nodiscard]] CTablePlace BeginTable(int32_t tableWidth, int32_t border);
    // The available width without floats, for a table that starts here.
    [[nodiscard]] int32_t WidthForTable() const;
    // A cell width wide at x (relative to the origin) on the current y,
    // nested in this flow.
    CLayoutFlow& NewCell(int32_t x, int32_t width, int32_t padding, Align alignment);
    // Frees a cell of this flow's table once its row is done, with the
    // flows nested in it: a long page's cells would otherwise keep their
    // layout state (a third of a kilobyte each) to the page's end.
    void ReleaseCell(CLayoutFlow& cell);
    void AdvanceBy(int32_t dy) { m_y += dy; }
    [[nodiscard]] CPoint Origin() const { return m_origin; }
    [[nodiscard]] int32_t Y() const { return m_y; }
    // Publishes the table's frame line and goes on below the table.
    void EndTable(CLineRecord frameLine);

    // For a cell of a table.
    [[nodiscard]] CPoint Size() const {
        return {m_geometry.leftEdge + m_extentX + m_geometry.rightEdge,
                m_extentY + m_geometry.bottomPadding};
    }
    [[nodiscard]] bool HasLines() const { return m_hasLines; }
    // Grows the extent over the floats placed beside the last lines, so that
    // a cell ends below its pictures.
    void EncloseFloats();
    // Moves the flow, its items and its nested flows.
    void MoveBy(CPoint offset);

private:
    struct BreakSearch {
        bool stopped = false;
        size_t candidate = 0;
        int32_t candidateOffset = 0; // width of the boxes before it
        int32_t walked = 0;          // width of the boxes walked
    };

    void AddBox(std::unique_ptr<CLayoutBox> box);
    // The line's last box, new or extended, grew it by width: the line
    // wraps when it no longer fits.
    void GrowLastBox(int32_t width);
    void RecomputeLimits();
    void Clear(ClearSide side);
    void BlockStart(const CBlockStartElement& block);
    void BlockEnd();
    void LineBreak();
    void Rule(int32_t percent);
    [[nodiscard]] bool Image(const CImageElement& image, bool isObject);
    [[nodiscard]] bool StartTable(const CTableElement& table, ElementPosition after);
    void EndTableRecord();
    void PublishLine(const CLineRecord& line);
    void UpdateExtent();
    [[nodiscard]] BreakSearch FindBreak() const;
    [[nodiscard]] std::vector<std::unique_ptr<CLayoutBox>> SplitLine(const BreakSearch& search);
    void EmitLine();
    [[nodiscard]] bool PlacePending();
    void PlaceFloat(CLayoutFlow& flow, FloatSide side);
    void DropEndedFloats(std::vector<CLayoutFlow*>& placed);
    [[nodiscard]] CRect FloatBox(const CLayoutFlow& flow) const;
    [[nodiscard]] bool HasFloats() const;
    [[nodiscard]] bool HasFloatsAt(FloatSide side) const;
    // Moves the origins of this flow and every flow nested in it.
    void OffsetOrigins(CPoint offset);
    // Releases the flows nested in this one, placed or not.
    void ReleaseNested();

    CLayoutContext& m_context;
    const FlowId m_id;
    // 0 for the page flow; only the page flow updates the document's extent.
    const int32_t m_nestedLevel;
    const CFlowGeometry m_geometry;
    CPoint m_origin;
    int32_t m_extentX = 0;
    int32_t m_extentY = 0;
    int32_t m_y = 0;
    int32_t m_lineLeft = 0;
    int32_t m_lineRight = 0;
    int32_t m_available = 0;
    std::vector<std::unique_ptr<CLayoutBox>> m_currentLine;
    CLineRecord m_line; // the line being emitted, kept for its array
    std::vector<CLayoutFlow*> m_pendingLeft;
    std::vector<CLayoutFlow*> m_pendingRight;
    std::vector<CLayoutFlow*> m_placedLeft;
    std::vector<CLayoutFlow*> m_placedRight;
    // Cells and placed floats, as the page has them nested.
    std::vector<CLayoutFlow*> m_nested;
    int32_t m_centreCount = 0;
    std::unique_ptr<CTableLayout> m_table; // while a table is laid out here
    Align m_alignment;
    Align m_savedAlignment;
    int32_t m_indent = 0;
    int32_t m_firstLineOffset = 0;
    int32_t m_blankLinesAfter = 0;
    bool m_firstLine = true;
    int32_t m_lineWidth = 0;
    int32_t m_blankLines = kBlankLinesAtStart; // kLineHasBoxes while the line has boxes
    bool m_hasLines = false;
};
