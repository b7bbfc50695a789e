#pragma once

#include "platform/ui/CSplitterWindow.h"

#include <functional>
#include <memory>
#include <vector>

class CHeadlessViewWindow;

// A splitter without a display: pane rectangles kept in memory, a page area
// or a nested splitter in each. Its holder (the view window it covers, or
// the splitter whose pane it fills) paints it into its own screen and hands
// it the pointer. UI thread only.
class CHeadlessSplitterWindow final : public CSplitterWindow {
public:
    // Exactly one of the two holds it.
    CHeadlessSplitterWindow(CHeadlessViewWindow* holderWindow,
                            CHeadlessSplitterWindow* holderSplitter);
    ~CHeadlessSplitterWindow() override;
    CHeadlessSplitterWindow(const CHeadlessSplitterWindow&) = delete;
    CHeadlessSplitterWindow& operator=(const CHeadlessSplitterWindow&) = delete;

    void SetClient(CSplitterWindowClient* client) override { m_client = client; }
    CPoint Size() const override { return {m_rect.Width(), m_rect.Height()}; }
    void Move(const CRect& rect) override;
    void SetPanes(bool rows, std::span<const CRect> rects) override;
    CViewWindow& CreatePaneView(size_t pane, CPoint size) override;
    CSplitterWindow& CreatePaneSplitter(size_t pane) override;

    // Where it stands in its holder, and in the window at the top of the
    // chain of holders.
    [[nodiscard]] const CRect& Rect() const { return m_rect; }
    [[nodiscard]] CPoint Origin() const;
    // Paints every pane and copies it into into, whose coordinates this
    // splitter's top-left corner has at offset; the bars get the colour of
    // a face.
    void Compose(CHeadlessViewWindow& into, CPoint offset);
    // The page area under point (splitter coordinates) and the point in it;
    // null over a bar.
    [[nodiscard]] CHeadlessViewWindow* ViewAt(CPoint point, CPoint& inView);
    // As a user drags the bar that follows pane to position.
    void DragBar(size_t pane, int32_t position);

private:
    struct CPane {
        CRect rect;
        std::unique_ptr<CHeadlessViewWindow> view;
        std::unique_ptr<CHeadlessSplitterWindow> splitter;
    };

    CPane& PaneSlot(size_t pane);

    CHeadlessViewWindow* m_holderWindow;
    CHeadlessSplitterWindow* m_holderSplitter;
    CSplitterWindowClient* m_client = nullptr;
    CRect m_rect;
    bool m_rows = true;
    std::vector<CPane> m_panes;
};
