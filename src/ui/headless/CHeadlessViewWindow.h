#pragma once

#include "platform/ui/CViewWindow.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CFont;
class CHeadlessFocusOwner;
class CHeadlessFormControl;

class CHeadlessSplitterWindow;

// A view window without a display: a client area of a given size kept in
// memory. Invalidated areas are painted when Paint is called (the headless
// shell and tests decide when), and what the view presents lands in an 8-bit
// screen section of the client size, with the form controls drawn over it.
// Input is given by calling the client's handlers through the methods below;
// a click on a form control is the control's. A window may be a pane of a
// splitter (a frame), and may be covered by a splitter of its own (a page of
// frames), whose panes it paints into its screen and hands the pointer to.
// UI thread only.
class CHeadlessViewWindow final : public CViewWindow {
public:
    static constexpr int32_t ScrollBarWidth = 16;

    explicit CHeadlessViewWindow(CPoint clientSize);
    ~CHeadlessViewWindow() override;

    // Resizes the client area and tells the view, as a window resize does.
    void Resize(CPoint clientSize);
    // Paints every invalidated part now, and the panes of its splitter.
    void Paint();
    // Paints all of it, into a new screen when the size changed.
    void PaintAll();
    // Over a splitter, these go to the page area under the point. A click
    // is a press and release of the left button.
    void Click(CPoint window);
    void Press(CPoint window);
    void Release(CPoint window);
    // Characters typed, one at a time.
    void Type(std::string_view text);
    void MoveMouse(CPoint window);
    void Key(ViewKey key);

    // What has been presented so far; null before the first paint.
    [[nodiscard]] const CDibSection* Screen() const { return m_screen.get(); }
    [[nodiscard]] ViewCursor Cursor() const { return m_cursor; }
    [[nodiscard]] const std::string& StatusText() const { return m_statusText; }
    [[nodiscard]] CRect Dirty() const { return m_dirty; }
    // Status texts also go here (the main frame's status bar).
    void SetStatusSink(std::function<void(std::string_view)> sink) {
        m_statusSink = std::move(sink);
    }
    // Where a control that takes the focus says so; may be null.
    void SetFocusOwner(CHeadlessFocusOwner* owner) { m_focusOwner = owner; }

    // The form controls, in the order they were made (the keyboard's order).
    [[nodiscard]] const std::vector<CHeadlessFormControl*>& FormControls() const {
        return m_controls;
    }
    // The form control with the focus, or null.
    [[nodiscard]] CHeadlessFormControl* FocusedControl() const { return m_focused; }
    // The focus goes to the control after from (the first for null) that
    // takes it, or back to the page after the last.
    void FocusNextControl(CHeadlessFormControl* from);
    // Draws the form controls over a picture of the page whose top-left
    // corner is the document point origin.
    void DrawFormControls(CDibSection& section, CPoint origin);

    // For the controls.
    void GiveFocus(CHeadlessFormControl* control);
    void Forget(CHeadlessFormControl& control);
    void NotifyFormControl(uint32_t commandId, FormControlEvent event);
    void InvalidateDocument(const CRect& rect);

    void SetClient(CViewWindowClient* client) override { m_client = client; }
    CPoint ClientSize() const override { return m_size; }
    int32_t VerticalScrollBarWidth() const override { return ScrollBarWidth; }
    CPoint ScrollPosition() const override { return m_position; }
    void SetScrollSizes(CPoint total, CPoint page, CPoint line) override;
    CPoint ScrollTotal() const override { return m_total; }
    void ScrollTo(CPoint position) override;
    void Invalidate(const CRect& rect) override;
    void InvalidateAll() override;
    void SetCursor(ViewCursor cursor) override { m_cursor = cursor; }
    void SetStatusText(std::string_view text) override;
    void Present(const CDibSection& section, const CRect& rect) override;
    CSplitterWindow& CreateSplitter() override;
    void DestroySplitter() override;

    // The splitter over the window, or null.
    [[nodiscard]] CHeadlessSplitterWindow* Splitter() { return m_splitter.get(); }
    // Where the window stands in the window at the top of its chain of
    // holders (itself when it is no pane).
    [[nodiscard]] CPoint Origin() const;
    // For the splitter that holds it: where it stands there, and its place
    // and client size as panes are arranged.
    void HoldIn(CHeadlessSplitterWindow* holder, CPoint at);
    void Place(CPoint at, CPoint size);
    // For the splitter over it: copies source (a pane's screen) to at, and
    // fills a bar with the colour of a face.
    void CopyIn(const CDibSection& source, CPoint at, const CRect& sourceRect);
    void FillFace(const CRect& rect);
    [[nodiscard]] std::unique_ptr<CFormControl>
    CreateFormControl(const CFormControlSpec& spec) override;

private:
    [[nodiscard]] CFont* ControlFont();
    void DrawFormControls(CDibSection& section, CPoint origin, const CRect& clip);

    CViewWindowClient* m_client = nullptr;
    CPoint m_size;
    CPoint m_position;
    CPoint m_total{1, 1};
    CRect m_dirty;
    ViewCursor m_cursor = ViewCursor::Arrow;
    std::string m_statusText;
    std::function<void(std::string_view)> m_statusSink;
    std::unique_ptr<CDibSection> m_screen;
    CHeadlessSplitterWindow* m_holder = nullptr;
    CPoint m_placedAt;
    std::unique_ptr<CHeadlessSplitterWindow> m_splitter;
    std::vector<std::unique_ptr<CHeadlessSplitterWindow>> m_retiredSplitters;

    // A screen of the client size in colorTable, kept when it has one.
    bool EnsureScreen(std::span<const CRgbQuad, 256> colorTable);
    CHeadlessFocusOwner* m_focusOwner = nullptr;
    std::vector<CHeadlessFormControl*> m_controls; // owned by the view
    CHeadlessFormControl* m_focused = nullptr;
    std::unique_ptr<CFont> m_controlFont;
};
