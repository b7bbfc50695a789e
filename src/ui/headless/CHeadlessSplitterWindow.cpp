#include "ui/headless/CHeadlessSplitterWindow.h"

#include "platform/gdi/CDibSection.h"
#include "ui/headless/CHeadlessViewWindow.h"

CHeadlessSplitterWindow::CHeadlessSplitterWindow(CHeadlessViewWindow* holderWindow,
                                                 CHeadlessSplitterWindow* holderSplitter)
    : m_holderWindow(holderWindow), m_holderSplitter(holderSplitter) {}

CHeadlessSplitterWindow::~CHeadlessSplitterWindow() = default;

CPoint CHeadlessSplitterWindow::Origin() const {
    CPoint holder = m_holderSplitter ? m_holderSplitter->Origin()
                    : m_holderWindow ? m_holderWindow->Origin()
                                     : CPoint{};
    return {holder.x + m_rect.left, holder.y + m_rect.top};
}

void CHeadlessSplitterWindow::Move(const CRect& rect) {
    bool sized = rect.Width() != m_rect.Width() || rect.Height() != m_rect.Height();
    m_rect = rect;
    if (sized && m_client)
        m_client->OnSplitterSize();
}

CHeadlessSplitterWindow::CPane& CHeadlessSplitterWindow::PaneSlot(size_t pane) {
    if (pane >= m_panes.size())
        m_panes.resize(pane + 1);
    return m_panes[pane];
}

void CHeadlessSplitterWindow::SetPanes(bool rows, std::span<const CRect> rects) {
    m_rows = rows;
    for (size_t i = 0; i < rects.size(); ++i) {
        CPane& pane = PaneSlot(i);
        pane.rect = rects[i];
        if (pane.view)
            pane.view->Place({rects[i].left, rects[i].top}, {rects[i].Width(), rects[i].Height()});
        if (pane.splitter)
            pane.splitter->Move(rects[i]);
    }
}

CViewWindow& CHeadlessSplitterWindow::CreatePaneView(size_t pane, CPoint size) {
    CPane& slot = PaneSlot(pane);
    slot.view = std::make_unique<CHeadlessViewWindow>(size);
    slot.view->HoldIn(this, {slot.rect.left, slot.rect.top});
    return *slot.view;
}

CSplitterWindow& CHeadlessSplitterWindow::CreatePaneSplitter(size_t pane) {
    CPane& slot = PaneSlot(pane);
    slot.splitter = std::make_unique<CHeadlessSplitterWindow>(nullptr, this);
    slot.splitter->m_rect = {slot.rect.left, slot.rect.top, slot.rect.left, slot.rect.top};
    return *slot.splitter;
}

void CHeadlessSplitterWindow::Compose(CHeadlessViewWindow& into, CPoint offset) {
    for (CPane& pane : m_panes) {
        CPoint at{offset.x + pane.rect.left, offset.y + pane.rect.top};
        if (pane.splitter) {
            pane.splitter->Compose(into, at);
        } else if (pane.view) {
            pane.view->PaintAll();
            if (const CDibSection* screen = pane.view->Screen())
                into.CopyIn(*screen, at, {0, 0, pane.rect.Width(), pane.rect.Height()});
        }
    }
    // The bar after every pane but the last: whatever lies between it and
    // the next.
    for (size_t i = 0; i + 1 < m_panes.size(); ++i) {
        const CRect& pane = m_panes[i].rect;
        const CRect& next = m_panes[i + 1].rect;
        CRect bar = m_rows ? CRect{0, pane.bottom, m_rect.Width(), next.top}
                           : CRect{pane.right, 0, next.left, m_rect.Height()};
        into.FillFace(bar.Offset(offset.x, offset.y));
    }
}

CHeadlessViewWindow* CHeadlessSplitterWindow::ViewAt(CPoint point, CPoint& inView) {
    for (CPane& pane : m_panes) {
        if (!pane.rect.Contains(point.x, point.y))
            continue;
        CPoint inPane{point.x - pane.rect.left, point.y - pane.rect.top};
        if (pane.splitter)
            return pane.splitter->ViewAt(inPane, inView);
        inView = inPane;
        return pane.view.get();
    }
    return nullptr;
}

void CHeadlessSplitterWindow::DragBar(size_t pane, int32_t position) {
    if (m_client)
        m_client->OnBarDragged(pane, position);
}
