#include "ui/headless/CHeadlessViewWindow.h"

#include "platform/gdi/CDibSection.h"

#include <algorithm>
#include <cstring>

CHeadlessViewWindow::CHeadlessViewWindow(CPoint clientSize) : m_size(clientSize) {}

CHeadlessViewWindow::~CHeadlessViewWindow() = default;

void CHeadlessViewWindow::Resize(CPoint clientSize) {
    m_size = clientSize;
    m_screen.reset();
    m_position = ClampScrollPosition(m_position, m_total, m_size);
    InvalidateAll();
    if (m_client)
        m_client->OnSize();
}

void CHeadlessViewWindow::Paint() {
    CRect dirty = m_dirty.Intersect({0, 0, m_size.x, m_size.y});
    m_dirty = {};
    if (m_client && !dirty.IsEmpty())
        m_client->OnPaint(dirty);
}

void CHeadlessViewWindow::Click(CPoint window) {
    Press(window);
    Release(window);
}

void CHeadlessViewWindow::Press(CPoint window) {
    if (m_client)
        m_client->OnLeftButtonDown(window);
}

void CHeadlessViewWindow::Release(CPoint window) {
    if (m_client)
        m_client->OnLeftButtonUp(window);
}

void CHeadlessViewWindow::Type(std::string_view text) {
    for (char character : text)
        if (m_client)
            (void)m_client->OnCharacter(character);
}

void CHeadlessViewWindow::MoveMouse(CPoint window) {
    if (m_client)
        m_client->OnSetCursor(window);
}

void CHeadlessViewWindow::Key(ViewKey key) {
    if (m_client)
        m_client->OnKeyDown(key);
}

void CHeadlessViewWindow::SetScrollSizes(CPoint total, CPoint, CPoint) {
    m_total = total;
    CPoint clamped = ClampScrollPosition(m_position, m_total, m_size);
    if (clamped != m_position) {
        m_position = clamped;
        InvalidateAll();
    }
}

void CHeadlessViewWindow::ScrollTo(CPoint position) {
    CPoint clamped = ClampScrollPosition(position, m_total, m_size);
    if (clamped == m_position)
        return;
    m_position = clamped;
    InvalidateAll();
}

void CHeadlessViewWindow::Invalidate(const CRect& rect) {
    m_dirty = m_dirty.Union(rect.Intersect({0, 0, m_size.x, m_size.y}));
}

void CHeadlessViewWindow::InvalidateAll() {
    m_dirty = {0, 0, m_size.x, m_size.y};
}

void CHeadlessViewWindow::SetStatusText(std::string_view text) {
    m_statusText = text;
    if (m_statusSink)
        m_statusSink(text);
}

void CHeadlessViewWindow::Present(const CDibSection& section, const CRect& rect) {
    if (!m_screen || m_screen->Width() != m_size.x || m_screen->Height() != m_size.y)
        m_screen = CDibSection::Create(m_size.x, m_size.y, section.ColorTable());
    if (!m_screen)
        return;
    // Sections in the shared palette all have the same table; setting it
    // anyway would throw away the screen's colour-matching table each time.
    if (!std::ranges::equal(m_screen->ColorTable(), section.ColorTable()))
        m_screen->SetColorTable(section.ColorTable());
    CRect copy = rect.Intersect(m_screen->Bounds()).Intersect(section.Bounds());
    for (int32_t y = copy.top; y < copy.bottom; ++y)
        std::memcpy(m_screen->Row(y) + copy.left, section.Row(y) + copy.left,
                    static_cast<size_t>(copy.Width()));
}
