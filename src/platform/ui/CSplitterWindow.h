#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

class CViewWindow;

// What a splitter window reports to whoever arranges its panes. UI thread only.
class CSplitterWindowClient {
public:
    virtual ~CSplitterWindowClient() = default;
    // The splitter's size changed: its panes need arranging again.
    virtual void OnSplitterSize() = 0;
    // The user dragged the bar that follows pane to position (splitter
    // coordinates along the splitter's axis: where the bar now starts).
    virtual void OnBarDragged(size_t pane, int32_t position) = 0;
};

// A splitter with static panes: a rectangle cut into rows or columns with a
// bar between every two panes, which the user can drag. Where the panes go is
// the client's decision; the window places what each pane holds, draws the
// bars and reports drags. Each pane holds a page area or a nested splitter,
// which the window owns and destroys with itself. UI thread only.
class CSplitterWindow {
public:
    virtual ~CSplitterWindow() = default;

    virtual void SetClient(CSplitterWindowClient* client) = 0;
    [[nodiscard]] virtual CPoint Size() const = 0;
    // Moves the splitter over rect of whatever holds it (that one's client
    // coordinates); the client hears OnSplitterSize when the size changed.
    virtual void Move(const CRect& rect) = 0;
    // Places the panes at rects (splitter coordinates, in pane order), each
    // pane's page area or splitter with it; the space between two
    // consecutive panes is the bar that follows the first. rows: the panes
    // are stacked, else side by side.
    virtual void SetPanes(bool rows, std::span<const CRect> rects) = 0;
    // A page area (with its own scroll bars) in pane, of size until the
    // panes are placed.
    virtual CViewWindow& CreatePaneView(size_t pane, CPoint size) = 0;
    // A nested splitter in pane, of no size until the panes are placed.
    virtual CSplitterWindow& CreatePaneSplitter(size_t pane) = 0;
};
