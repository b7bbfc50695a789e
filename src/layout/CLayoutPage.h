#pragma once

#include "layout/CDisplayItem.h"
#include "layout/CLayoutRecords.h"
#include "layout/CLineRecord.h"
#include "platform/CGrowingArray.h"
#include "platform/CSemLock.h"
#include "platform/ThreadSafety.h"
#include "platform/gdi/GdiTypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A flow's place among the flows of its layout; the page flow is 0.
using FlowId = size_t;

// What other threads see of a layout: the lines of every flow and how the
// flows nest, the link, form and anchor records, the embedded objects, the
// frame-set tree, the extent, and the area of the items not yet shown. The
// layout thread changes it only through the verbs below, and the UI thread
// reads it only through the queries; each call takes the lock once. Items
// are made on the layout thread and become visible with the line that holds
// them.
class CLayoutPage {
public:
    static constexpr FlowId PageFlow = 0;

    CLayoutPage();
    ~CLayoutPage();
    CLayoutPage(const CLayoutPage&) = delete;
    CLayoutPage& operator=(const CLayoutPage&) = delete;

    // Layout thread.
    [[nodiscard]] FlowId AddFlow() EXCLUDES(m_lock);
    // Appends a finished line to flow; its items join their link, form or
    // the embedded objects.
    void PublishLine(FlowId flow, const CLineRecord& line) EXCLUDES(m_lock);
    // Moves a flow, its lines and the flows nested in it.
    void MoveFlow(FlowId flow, CPoint offset) EXCLUDES(m_lock);
    // Moves child by offset and nests it in parent (a cell or a placed float).
    void Nest(FlowId parent, FlowId child, CPoint offset) EXCLUDES(m_lock);
    // A new link of the page. Its addresses are viewed, not copied: they are
    // the document's, kept by its text store, which the layout holds.
    CLinkRecord* AddLink(std::string_view base, std::string_view href, std::string_view target)
        EXCLUDES(m_lock);
    CFormRecord* AddForm(std::unique_ptr<CFormRecord> form) EXCLUDES(m_lock);
    void AddAnchor(int32_t top, std::string name) EXCLUDES(m_lock);
    // The first finished frame-set tree becomes the root; later ones are
    // dropped.
    void SetRootFrameSet(std::unique_ptr<CFrameRecord> root) EXCLUDES(m_lock);
    void SetExtent(CPoint extent);

    // Any thread.
    [[nodiscard]] CPoint GetExtent() const;
    [[nodiscard]] std::optional<CRect> TakeNewItemsArea() EXCLUDES(m_lock);
    void ForEachItemIn(const CRect& area, const std::function<void(const CDisplayItem&)>& visit)
        EXCLUDES(m_lock);
    void ForEachItem(const std::function<void(const CDisplayItem&)>& visit) EXCLUDES(m_lock);
    struct LinkedItem {
        const CDisplayItem* item = nullptr;
        CRect rect;
    };
    [[nodiscard]] LinkedItem LinkedItemAt(int32_t x, int32_t y) EXCLUDES(m_lock);
    [[nodiscard]] int32_t NamedAnchor(std::string_view name) EXCLUDES(m_lock);
    [[nodiscard]] bool FrameSetReady() EXCLUDES(m_lock);
    [[nodiscard]] const CFrameRecord* RootFrameSet() EXCLUDES(m_lock);
    [[nodiscard]] std::vector<CFormRecord*> FormRecords() EXCLUDES(m_lock);
    // A form control as it stands now: its form's place among the form
    // records, the item (which lives as long as the page and whose field
    // never changes) and its rectangle, copied under the lock since a float
    // placed later may still move the item.
    struct FormControlPlace {
        size_t form = 0;
        const CFormControlItem* item = nullptr;
        CRect rect;
    };
    [[nodiscard]] std::vector<FormControlPlace> FormControlPlaces() EXCLUDES(m_lock);
    [[nodiscard]] std::vector<CObjectItem*> EmbeddedObjects() EXCLUDES(m_lock);

private:
    // A flow's published part.
    // The items of every line sit in one array, a line's from the end of
    // the line before it to its own end: a long page keeps no array per line.
    struct CFlowLines {
        CGrowingArray<CDisplayItem*> items;
        CGrowingArray<uint32_t> lineEnd;
        // For the binary search over lines whose tops need not grow
        // strictly: the largest bottom up to each line and the smallest top
        // from it on.
        CGrowingArray<int32_t> maxBottom;
        CGrowingArray<int32_t> minTopFrom;
        std::vector<FlowId> nested;

        [[nodiscard]] std::span<CDisplayItem* const> LineItems(size_t line) const {
            const uint32_t begin = line ? lineEnd[line - 1] : 0;
            return {items.data() + begin, lineEnd[line] - begin};
        }
    };
    struct CNamedAnchor {
        int32_t top;
        std::string name;
    };

    void NoteNewArea(const CRect& rect) REQUIRES(m_lock);
    void Attach(CDisplayItem& item) REQUIRES(m_lock);
    void MoveLocked(FlowId flow, CPoint offset) REQUIRES(m_lock);
    template <class Visit> void WalkFlows(Visit visit) REQUIRES(m_lock);
    // Visits the items that meet area, flow by flow.
    template <class Visit> void VisitItemsIn(const CRect& area, Visit visit) REQUIRES(m_lock);

    CSemLock m_lock;
    // The flows' small arrays; made before the flows and gone after them.
    CGrowingArena m_arena GUARDED_BY(m_lock);
    // A deque: a page of many table cells adds tens of thousands of flows,
    // which a vector would move again each time it grew.
    std::deque<CFlowLines> m_flows GUARDED_BY(m_lock);
    // Set after every line of the page's own flow and read by the view: one
    // word (x high, y low) of its own rather than a take of the lock each time.
    std::atomic<uint64_t> m_extent{0};
    std::optional<CRect> m_newArea GUARDED_BY(m_lock);
    std::vector<std::unique_ptr<CFormRecord>> m_forms GUARDED_BY(m_lock);
    std::vector<CNamedAnchor> m_anchors GUARDED_BY(m_lock);
    // In chunks, so that a record's address stays while more are added, and
    // a page of many links does not make them one by one.
    static constexpr size_t LinkChunk = 512;
    std::vector<std::unique_ptr<CLinkRecord[]>> m_linkChunks GUARDED_BY(m_lock);
    size_t m_linkCount GUARDED_BY(m_lock) = 0;
    std::vector<CObjectItem*> m_objects GUARDED_BY(m_lock);
    std::unique_ptr<CFrameRecord> m_rootFrameSet GUARDED_BY(m_lock);
};
