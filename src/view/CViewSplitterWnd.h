#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CSplitterWindow.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CTarnwickDoc;
class CTarnwickView;
struct CFrameRecord;

// The splitter that covers a view whose page is a frame set: a pane per child
// of the frame set, holding a frame's own document and view, or a nested
// splitter for a nested frame set. It keeps the frame set's sizes, so that
// every resize shares the space out again as the page asked, whatever the
// user dragged in between. UI thread only.
class CViewSplitterWnd final : public CSplitterWindowClient {
public:
    // The bar between two panes, which the user drags.
    static constexpr int32_t PaneGap = 6;
    // What the sizes made at creation leave between two panes; the first
    // resize places them with PaneGap.
    static constexpr int32_t DoubledBorder = 2;
    // A frame nested deeper than this stays empty: a server can make a page
    // of frames whose frames are such pages again without end.
    static constexpr int MaxFrameDepth = 8;

    // Builds frameSet in window: view is the view whose page the frame set
    // is. Its client area gives the first sizes (nested sets' too), its
    // child-view list takes every frame's view, and its document's main
    // window is the frames' documents' too.
    CViewSplitterWnd(CSplitterWindow& window, CTarnwickView& view, const CFrameRecord& frameSet);
    ~CViewSplitterWnd() override;
    CViewSplitterWnd(const CViewSplitterWnd&) = delete;
    CViewSplitterWnd& operator=(const CViewSplitterWnd&) = delete;

    // Shares total out among sizes as a frame set gives them: a positive
    // entry is that many pixels plus gap; the rest (a weight N for -N, 50 for
    // 0) share what remains after every entry's gap in proportion to their
    // weights. One size per entry.
    [[nodiscard]] static std::vector<int32_t>
    DistributeSizes(int64_t total, std::span<const int32_t> sizes, int32_t gap);
    // Where panes of these ideal sizes go in a splitter of size inside:
    // each pane its ideal size while there is room, a PaneGap bar after
    // every pane but the last, and the last pane whatever remains.
    [[nodiscard]] static std::vector<CRect> PlacePanes(CPoint inside, bool columns,
                                                       std::span<const int32_t> ideal);

    // CSplitterWindowClient
    void OnSplitterSize() override;
    void OnBarDragged(size_t pane, int32_t position) override;

    // The panes stand side by side: more than one column.
    [[nodiscard]] bool HasColumns() const { return !m_rows && m_count > 1; }
    [[nodiscard]] size_t PaneCount() const { return m_count; }
    [[nodiscard]] const std::vector<CRect>& PaneRects() const { return m_rects; }
    [[nodiscard]] const std::vector<int32_t>& IdealSizes() const { return m_ideal; }
    // The frame set's sizes, as the page gave them.
    [[nodiscard]] const std::vector<int32_t>& Sizes() const { return m_sizes; }
    [[nodiscard]] CSplitterWindow& Window() { return m_window; }
    // The splitter of a nested frame set in pane, or null.
    [[nodiscard]] CViewSplitterWnd* NestedIn(size_t pane);

private:
    // What one pane holds. The view goes before its document.
    struct CPane {
        std::unique_ptr<CTarnwickDoc> document;
        std::unique_ptr<CTarnwickView> view;
        std::unique_ptr<CViewSplitterWnd> nested;
    };

    void CreateFrame(CTarnwickView& view, const CFrameRecord& record, size_t pane, CPoint size);
    void Arrange();

    CSplitterWindow& m_window;
    const bool m_rows;
    const size_t m_count;
    const int32_t m_scrollBarWidth;
    std::vector<int32_t> m_sizes;
    std::vector<int32_t> m_ideal;
    std::vector<CRect> m_rects;
    std::vector<CPane> m_panes;
};
