#pragma once

#include "platform/ui/CViewWindow.h"

#include <functional>
#include <memory>
#include <string>

// A view window without a display: a client area of a given size kept in
// memory. Invalidated areas are painted when Paint is called (the headless
// shell and tests decide when), and what the view presents lands in an 8-bit
// screen section of the client size. Input is given by calling the client's
// handlers through the methods below. UI thread only.
class CHeadlessViewWindow final : public CViewWindow {
public:
    static constexpr int32_t ScrollBarWidth = 16;

    explicit CHeadlessViewWindow(CPoint clientSize);
    ~CHeadlessViewWindow() override;

    // Resizes the client area and tells the view, as a window resize does.
    void Resize(CPoint clientSize);
    // Paints every invalidated part now.
    void Paint();
    // A press and release of the left button.
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

private:
    CViewWindowClient* m_client = nullptr;
    CPoint m_size;
    CPoint m_position;
    CPoint m_total{1, 1};
    CRect m_dirty;
    ViewCursor m_cursor = ViewCursor::Arrow;
    std::string m_statusText;
    std::function<void(std::string_view)> m_statusSink;
    std::unique_ptr<CDibSection> m_screen;
};
