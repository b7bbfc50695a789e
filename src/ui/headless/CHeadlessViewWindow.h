#pragma once

#include "platform/ui/CViewWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CFont;
class CHeadlessFocusOwner;
class CHeadlessFormControl;

// A view window without a display: a client area of a given size kept in
// memory. Invalidated areas are painted when Paint is called (the headless
// shell and tests decide when), and what the view presents lands in an 8-bit
// screen section of the client size, with the form controls drawn over it.
// Input is given by calling the client's handlers through the methods below;
// a click on a form control is the control's. UI thread only.
class CHeadlessViewWindow final : public CViewWindow {
public:
    static constexpr int32_t ScrollBarWidth = 16;

    explicit CHeadlessViewWindow(CPoint clientSize);
    ~CHeadlessViewWindow() override;

    // Resizes the client area and tells the view, as a window resize does.
    void Resize(CPoint clientSize);
    // Paints every invalidated part now.
    void Paint();
    void Click(CPoint window);
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
    CHeadlessFocusOwner* m_focusOwner = nullptr;
    std::vector<CHeadlessFormControl*> m_controls; // owned by the view
    CHeadlessFormControl* m_focused = nullptr;
    std::unique_ptr<CFont> m_controlFont;
};
