#pragma once

#include "content/CMimeObject.h"
#include "html/CHtmlElement.h"
#include "layout/CLayoutBox.h"
#include "layout/CLineRecord.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CLayoutEngine;
class CTableLayout;

// How a line is finished: a blank line, a forced break, or a check whether
// the boxes still fit.
enum class FinishMode : uint8_t { Blank = 0, Break = 1, Wrap = 2 };

// A column of text that fills lines between its edges: the page, a table
// cell or a floating image. Positions of its own are relative to its origin;
// everything it emits is in document coordinates.
class CLayoutFlow {
public:
    CLayoutFlow(CLayoutEngine& engine, int32_t nested);
    ~CLayoutFlow();
    CLayoutFlow(const CLayoutFlow&) = delete;
    CLayoutFlow& operator=(const CLayoutFlow&) = delete;

    // Sets the geometry of a fresh flow and its first line's limits.
    void Start(CPoint origin, int32_t width, int32_t leftEdge, int32_t rightEdge, int32_t topStart,
               int32_t bottomPadding);

    // The element rules of one flow; false when the element cannot be laid
    // out yet. after is the element position following element.
    [[nodiscard]] bool LayoutElement(const CHtmlElement& element, ElementPosition after);

    void AddBox(std::unique_ptr<CLayoutBox> box);
    void FinishLine(FinishMode mode);
    void RecomputeLimits();
    void Clear(int32_t side);
    void BlockStart(const CBlockStartElement& block);
    void BlockEnd();
    void LineBreak();
    void Rule(int32_t percent);
    [[nodiscard]] bool Image(const CImageElement& image, bool isObject);

    // Moves the flow, its items and its nested flows. m_lock held.
    void MoveBy(int32_t dx, int32_t dy);
    // Appends a finished line record. m_lock held.
    void AppendLine(CLineRecord line);
    // Adds a nested flow (a cell or a placed float). m_lock held.
    void AddNested(CLayoutFlow* flow) { nested.push_back(flow); }

    // Lines whose box meets area, then the same for the nested flows; m_lock
    // held.
    void ForEachItemIn(const CRect& area,
                       const std::function<void(const CDisplayItem&)>& visit) const;
    void ForEachItem(const std::function<void(const CDisplayItem&)>& visit) const;

    [[nodiscard]] CPoint Size() const {
        return {leftEdge + extentX + rightEdge, extentY + bottomPadding};
    }
    [[nodiscard]] bool HasLines() const { return !lines.empty(); }
    [[nodiscard]] bool HasFloats() const;
    // The available width without floats, for a table that starts here.
    [[nodiscard]] int32_t WidthForTable() const;
    void UpdateExtent();
    // Grows the extent over the floats placed beside the last lines, so that
    // a cell ends below its pictures.
    void EncloseFloats();

    CLayoutEngine& engine;
    int32_t nestedLevel;
    int32_t topStart = 0;
    int32_t bottomPadding = 0;
    int32_t leftEdge = 0;
    int32_t rightEdge = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t width = 0;
    int32_t extentX = 0;
    int32_t extentY = 0;
    int32_t y = 0;
    int32_t lineLeft = 0;
    int32_t lineRight = 0;
    int32_t available = 0;
    std::vector<std::unique_ptr<CLayoutBox>> currentLine;
    std::vector<CLayoutFlow*> pendingLeft;
    std::vector<CLayoutFlow*> pendingRight;
    std::vector<CLayoutFlow*> placedLeft;
    std::vector<CLayoutFlow*> placedRight;
    int32_t centreCount = 0;
    std::unique_ptr<CTableLayout> table; // while a table is laid out here
    Align alignment = Align::Left;
    Align savedAlignment = Align::Left;
    int32_t indent = 0;
    int32_t firstLineOffset = 0;
    int32_t blankLinesAfter = 0;
    bool firstLine = true;
    int32_t lineWidth = 0;
    int32_t blankLines = 100;

    // Guarded by the engine's m_lock: what the UI thread walks.
    std::vector<CLineRecord> lines;   // guarded by m_lock
    std::vector<CLayoutFlow*> nested; // guarded by m_lock

private:
    // For the binary search over lines whose tops need not grow strictly:
    // the largest bottom up to each line and the smallest top from it on.
    std::vector<int32_t> m_maxBottom;  // guarded by m_lock
    std::vector<int32_t> m_minTopFrom; // guarded by m_lock

    struct BreakSearch {
        bool stopped = false;
        size_t candidate = 0;
        int32_t candidateOffset = 0; // width of the boxes before it
        int32_t walked = 0;          // width of the boxes walked
    };
    [[nodiscard]] BreakSearch FindBreak() const;
    [[nodiscard]] std::vector<std::unique_ptr<CLayoutBox>> SplitLine(const BreakSearch& search);
    void EmitLine();
    [[nodiscard]] bool PlacePending();
    void PlaceFloat(CLayoutFlow& flow, bool left);
    void DropEndedFloats(std::vector<CLayoutFlow*>& placed);
    [[nodiscard]] CRect FloatBox(const CLayoutFlow& flow) const;
};
