#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CFormControl.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

class CDibSection;
class CSplitterWindow;

enum class ViewCursor { Arrow, Link, Wait, WorkingInBackground };

// The keys the page answers itself; everything else goes to the default
// handling.
enum class ViewKey { PageUp, PageDown, Home, End, Up, Down, Left, Right };

// What a view window reports to the view that paints it. UI thread only.
class CViewWindowClient {
public:
    virtual ~CViewWindowClient() = default;
    // Compose clip (window coordinates) and present it.
    virtual void OnPaint(const CRect& clip) = 0;
    // The client size changed.
    virtual void OnSize() = 0;
    virtual void OnLeftButtonDown(CPoint window) = 0;
    virtual void OnLeftButtonUp(CPoint window) { (void)window; }
    // The pointer moved over the client area: choose the cursor and status text.
    virtual void OnSetCursor(CPoint window) = 0;
    // True when the key was used.
    virtual bool OnKeyDown(ViewKey key) = 0;
    // The user acted on the form control made with this command id.
    virtual void OnFormControlEvent(uint32_t commandId, FormControlEvent event) {
        (void)commandId;
        (void)event;
    }
    // A typed character (Windows Latin-1; Return as '\r', Backspace as
    // '\b'): true when it was used.
    virtual bool OnCharacter(char character) {
        (void)character;
        return false;
    }
};

// The window a page is shown in, as the toolkit-independent view sees it: a
// client area with scroll bars, painted from the view's 8-bit section. The
// window keeps the scroll state, as scroll bars do; positions are clamped to
// the scroll range. UI thread only.
class CViewWindow {
public:
    virtual ~CViewWindow() = default;

    virtual void SetClient(CViewWindowClient* client) = 0;

    // The true client size: the whole area, including where scroll bars may be.
    [[nodiscard]] virtual CPoint ClientSize() const = 0;
    [[nodiscard]] virtual int32_t VerticalScrollBarWidth() const = 0;

    [[nodiscard]] virtual CPoint ScrollPosition() const = 0;
    // total: the document's size; page and line: the steps of a page and a
    // line of scrolling.
    virtual void SetScrollSizes(CPoint total, CPoint page, CPoint line) = 0;
    [[nodiscard]] virtual CPoint ScrollTotal() const = 0;
    // Moves to position clamped to the scroll range, and repaints when it moved.
    virtual void ScrollTo(CPoint position) = 0;

    // window coordinates
    virtual void Invalidate(const CRect& rect) = 0;
    virtual void InvalidateAll() = 0;

    virtual void SetCursor(ViewCursor cursor) = 0;
    // Through the main frame's status bar.
    virtual void SetStatusText(std::string_view text) = 0;

    // During OnPaint: copies rect (window coordinates, which are also the
    // section's coordinates) of section to the screen.
    virtual void Present(const CDibSection& section, const CRect& rect) = 0;

    // Frame sets: a splitter child of no size, for the view to move over its
    // client area; it covers the page and takes the pointer there. The
    // window owns it until DestroySplitter (one at a time), which may defer
    // freeing it while the toolkit is still inside one of its handlers.
    virtual CSplitterWindow& CreateSplitter() = 0;
    virtual void DestroySplitter() = 0;
    // A form control over the page, in its initial state; it stays a child
    // of this window until it is destroyed. Controls come first in the
    // keyboard's order in the order they were made.
    [[nodiscard]] virtual std::unique_ptr<CFormControl>
    CreateFormControl(const CFormControlSpec& spec) = 0;
};

// The scroll position nearest to position that keeps the page inside a
// document of size total seen through a client area of size client.
[[nodiscard]] inline CPoint ClampScrollPosition(CPoint position, CPoint total, CPoint client) {
    auto clamp = [](int32_t value, int32_t extent, int32_t page) {
        return std::max(0, std::min(value, extent - page));
    };
    return {clamp(position.x, total.x, client.x), clamp(position.y, total.y, client.y)};
}
