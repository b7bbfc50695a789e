#include "ui/headless/CHeadlessViewWindow.h"

#include "platform/gdi/CDibSection.h"
#include "ui/headless/CHeadlessSplitterWindow.h"

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
    if (m_splitter)
        m_splitter->Compose(*this, {m_splitter->Rect().left, m_splitter->Rect().top});
}

void CHeadlessViewWindow::PaintAll() {
    if (!m_screen || m_screen->Width() != m_size.x || m_screen->Height() != m_size.y)
        InvalidateAll();
    Paint();
}

void CHeadlessViewWindow::Click(CPoint window) {
    CPoint inView;
    if (m_splitter) {
        CRect at = m_splitter->Rect();
        if (CHeadlessViewWindow* pane =
                m_splitter->ViewAt({window.x - at.left, window.y - at.top}, inView))
            pane->Click(inView);
        return;
    }
    if (m_client)
        m_client->OnLeftButtonDown(window);
}

void CHeadlessViewWindow::MoveMouse(CPoint window) {
    CPoint inView;
    if (m_splitter) {
        CRect at = m_splitter->Rect();
        if (CHeadlessViewWindow* pane =
                m_splitter->ViewAt({window.x - at.left, window.y - at.top}, inView))
            pane->MoveMouse(inView);
        return;
    }
    if (m_client)
        m_client->OnSetCursor(window);
}

CSplitterWindow& CHeadlessViewWindow::CreateSplitter() {
    m_splitter = std::make_unique<CHeadlessSplitterWindow>(this, nullptr);
    return *m_splitter;
}

void CHeadlessViewWindow::DestroySplitter() {
    m_splitter.reset();
    InvalidateAll();
}

CPoint CHeadlessViewWindow::Origin() const {
    if (!m_holder)
        return {};
    CPoint holder = m_holder->Origin();
    return {holder.x + m_placedAt.x, holder.y + m_placedAt.y};
}

void CHeadlessViewWindow::HoldIn(CHeadlessSplitterWindow* holder, CPoint at) {
    m_holder = holder;
    m_placedAt = at;
}

void CHeadlessViewWindow::Place(CPoint at, CPoint size) {
    m_placedAt = at;
    if (size != m_size)
        Resize(size);
}

bool CHeadlessViewWindow::EnsureScreen(std::span<const CRgbQuad, 256> colorTable) {
    if (!m_screen || m_screen->Width() != m_size.x || m_screen->Height() != m_size.y)
        m_screen = CDibSection::Create(m_size.x, m_size.y, colorTable);
    if (!m_screen)
        return false;
    // Sections in the shared palette all have the same table; setting it
    // anyway would throw away the screen's colour-matching table each time.
    if (!std::ranges::equal(m_screen->ColorTable(), colorTable))
        m_screen->SetColorTable(colorTable);
    return true;
}

void CHeadlessViewWindow::CopyIn(const CDibSection& source, CPoint at, const CRect& sourceRect) {
    if (!EnsureScreen(source.ColorTable()))
        return;
    // A point of source goes to at plus its offset from sourceRect's corner.
    const int32_t dx = at.x - sourceRect.left;
    const int32_t dy = at.y - sourceRect.top;
    CRect to = sourceRect.Intersect(source.Bounds()).Offset(dx, dy).Intersect(m_screen->Bounds());
    for (int32_t y = to.top; y < to.bottom; ++y)
        std::memcpy(m_screen->Row(y) + to.left, source.Row(y - dy) + (to.left - dx),
                    static_cast<size_t>(to.Width()));
}

void CHeadlessViewWindow::FillFace(const CRect& rect) {
    if (!m_screen)
        return;
    CRect area = rect.Intersect(m_screen->Bounds());
    // The face of buttons and bars.
    uint8_t face = CInverseColorTable::Nearest(m_screen->ColorTable(), 0xC0, 0xC0, 0xC0);
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::memset(m_screen->Row(y) + area.left, face, static_cast<size_t>(area.Width()));
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
    if (!EnsureScreen(section.ColorTable()))
        return;
    CRect copy = rect.Intersect(m_screen->Bounds()).Intersect(section.Bounds());
    for (int32_t y = copy.top; y < copy.bottom; ++y)
        std::memcpy(m_screen->Row(y) + copy.left, section.Row(y) + copy.left,
                    static_cast<size_t>(copy.Width()));
}
