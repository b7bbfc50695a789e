#pragma once

#include "platform/ui/CViewWindow.h"

#include <FL/Fl_Group.H>

#include <functional>
#include <string>
#include <vector>

class CFltkSplitterWindow;
class CFltkFormControl;
class Fl_Scrollbar;

// The page area of the main window: the view's section shown through the
// shared palette, with scroll bars that appear when the page is larger than
// the window. The scroll bars keep the scroll position. Painting goes
// through the view's OnPaint from draw(), so every change reaches the screen
// in one double-buffered flush and nothing flickers. The form controls are
// child widgets placed at their document rectangles less the scroll
// position, clipped to the page and taking the keyboard in the order they
// were made. A page of frames is covered by a splitter child, which then
// takes the pointer. UI thread only.
class CFltkViewWindow final : public Fl_Group, public CViewWindow {
public:
    CFltkViewWindow(int x, int y, int width, int height);
    ~CFltkViewWindow() override;

    void SetStatusSink(std::function<void(std::string_view)> sink) {
        m_statusSink = std::move(sink);
    }

    // Fl_Group
    void draw() override;
    int handle(int event) override;
    void resize(int x, int y, int width, int height) override;

    // CViewWindow
    void SetClient(CViewWindowClient* client) override { m_client = client; }
    CPoint ClientSize() const override { return {w(), h()}; }
    int32_t VerticalScrollBarWidth() const override;
    CPoint ScrollPosition() const override { return m_position; }
    void SetScrollSizes(CPoint total, CPoint page, CPoint line) override;
    CPoint ScrollTotal() const override { return m_total; }
    void ScrollTo(CPoint position) override;
    void Invalidate(const CRect& rect) override;
    void InvalidateAll() override;
    void SetCursor(ViewCursor cursor) override;
    void SetStatusText(std::string_view text) override;
    void Present(const CDibSection& section, const CRect& rect) override;
    CSplitterWindow& CreateSplitter() override;
    void DestroySplitter() override;
    [[nodiscard]] std::unique_ptr<CFormControl>
    CreateFormControl(const CFormControlSpec& spec) override;

    // For the form controls.
    void AddFormControl(CFltkFormControl& control);
    void RemoveFormControl(CFltkFormControl& control);
    void PlaceFormControl(CFltkFormControl& control);
    void ReportFormControlEvent(uint32_t commandId, FormControlEvent event);
    // During draw(): paints the page under a widget that has no background.
    void PaintPageUnder(const Fl_Widget& widget);

private:
    static void OnScrollBar(Fl_Widget* bar, void* self);
    // The part of the client area the page shows in, without visible bars.
    [[nodiscard]] CPoint PageArea() const;
    void ArrangeScrollBars();
    bool HandleKey();
    void PlaceFormControls();
    [[nodiscard]] bool OverFormControl() const;
    // Tab from the page itself goes to the first control (Shift+Tab the last).
    bool FocusControlFromPage();
    // Typed characters for the page's controls.
    bool HandleCharacters();

    CViewWindowClient* m_client = nullptr;
    Fl_Scrollbar* m_vertical;   // owned by this group
    Fl_Scrollbar* m_horizontal; // owned by this group
    CPoint m_position;
    CPoint m_total{1, 1};
    CPoint m_line{8, 16};
    CRect m_dirty; // client coordinates, waiting for draw()
    ViewCursor m_cursor = ViewCursor::Arrow;
    std::function<void(std::string_view)> m_statusSink;
    CFltkSplitterWindow* m_splitter = nullptr; // owned by this group
    std::vector<CFltkFormControl*> m_controls; // owned by the view, in the order made
};
