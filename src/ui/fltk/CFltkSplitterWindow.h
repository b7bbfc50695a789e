#pragma once

#include "platform/ui/CSplitterWindow.h"

#include <FL/Fl_Group.H>

#include <functional>
#include <string_view>
#include <vector>

class CFltkViewWindow;

// A splitter of the page area: its panes are FLTK groups (page areas with
// their own scroll bars, or nested splitters) placed where its client says,
// with a raised bar between two panes that the user drags. Its holder (the
// page area it covers, or the splitter whose pane it fills) is its FLTK
// parent; it keeps its place there in the holder's client coordinates, and
// follows when the holder moves. UI thread only.
class CFltkSplitterWindow final : public Fl_Group, public CSplitterWindow {
public:
    // A splitter of no size at the top-left corner of holder; the status
    // texts of its page areas go to statusSink.
    CFltkSplitterWindow(Fl_Group& holder, std::function<void(std::string_view)> statusSink);
    ~CFltkSplitterWindow() override;

    // Fl_Group
    void draw() override;
    int handle(int event) override;
    void resize(int x, int y, int width, int height) override;

    // CSplitterWindow
    void SetClient(CSplitterWindowClient* client) override { m_client = client; }
    CPoint Size() const override { return {w(), h()}; }
    void Move(const CRect& rect) override;
    void SetPanes(bool rows, std::span<const CRect> rects) override;
    CViewWindow& CreatePaneView(size_t pane, CPoint size) override;
    CSplitterWindow& CreatePaneSplitter(size_t pane) override;

    // The holder moved: keeps the same place in it.
    void FollowHolder();

private:
    struct CPane {
        CRect rect;                              // splitter coordinates
        CFltkViewWindow* view = nullptr;         // owned by this group
        CFltkSplitterWindow* splitter = nullptr; // owned by this group
    };

    CPane& PaneSlot(size_t pane);
    // The pane whose bar is under the point (window coordinates), or -1.
    [[nodiscard]] int BarAt(int x, int y) const;
    [[nodiscard]] CRect BarAfter(size_t pane) const;
    void PlaceContents();
    void ShowBarCursor(bool onBar);
    // The dragged bar to the pointer (along the splitter's axis).
    void MoveDraggedBar(int pointer);

    Fl_Group& m_holder;
    std::function<void(std::string_view)> m_statusSink;
    CSplitterWindowClient* m_client = nullptr;
    CRect m_rect; // holder coordinates
    bool m_rows = true;
    std::vector<CPane> m_panes;
    int m_dragging = -1;  // the pane whose bar the user drags
    int m_dragOffset = 0; // from the bar's start to the pointer
    bool m_barCursor = false;
};
