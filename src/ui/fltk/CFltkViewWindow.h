#pragma once

#include "platform/ui/CViewWindow.h"

#include <FL/Fl_Group.H>

#include <functional>
#include <string>

class Fl_Scrollbar;

// The page area of the main window: the view's section shown through the
// shared palette, with scroll bars that appear when the page is larger than
// the window. The scroll bars keep the scroll position. Painting goes
// through the view's OnPaint from draw(), so every change reaches the screen
// in one double-buffered flush and nothing flickers. UI thread only.
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

private:
    static void OnScrollBar(Fl_Widget* bar, void* self);
    // The part of the client area the page shows in, without visible bars.
    [[nodiscard]] CPoint PageArea() const;
    void ArrangeScrollBars();
    bool HandleKey();
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
};
