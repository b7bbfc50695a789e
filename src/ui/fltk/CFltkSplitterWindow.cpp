#include "ui/fltk/CFltkSplitterWindow.h"

#include "ui/fltk/CFltkViewWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace {

// Widgets made while a group is open join it of themselves; panes join the
// splitter they belong to by hand, whatever group is open when they are made.
class CNoOpenGroup {
public:
    CNoOpenGroup() : m_saved(Fl_Group::current()) { Fl_Group::current(nullptr); }
    ~CNoOpenGroup() { Fl_Group::current(m_saved); }
    CNoOpenGroup(const CNoOpenGroup&) = delete;
    CNoOpenGroup& operator=(const CNoOpenGroup&) = delete;

private:
    Fl_Group* m_saved;
};

} // namespace

CFltkSplitterWindow::CFltkSplitterWindow(Fl_Group& holder,
                                         std::function<void(std::string_view)> statusSink)
    : Fl_Group(holder.x(), holder.y(), 0, 0), m_holder(holder),
      m_statusSink(std::move(statusSink)) {
    box(FL_NO_BOX);
    end();
}

CFltkSplitterWindow::~CFltkSplitterWindow() = default;

void CFltkSplitterWindow::Move(const CRect& rect) {
    m_rect = rect;
    resize(m_holder.x() + rect.left, m_holder.y() + rect.top, rect.Width(), rect.Height());
}

void CFltkSplitterWindow::FollowHolder() {
    resize(m_holder.x() + m_rect.left, m_holder.y() + m_rect.top, w(), h());
}

void CFltkSplitterWindow::resize(int x, int y, int width, int height) {
    bool sized = width != w() || height != h();
    // Not Fl_Group::resize: the panes go where the client puts them, not
    // where scaling would.
    Fl_Widget::resize(x, y, width, height);
    m_rect = {x - m_holder.x(), y - m_holder.y(), x - m_holder.x() + width,
              y - m_holder.y() + height};
    PlaceContents();
    redraw();
    if (sized && m_client)
        m_client->OnSplitterSize();
}

CFltkSplitterWindow::CPane& CFltkSplitterWindow::PaneSlot(size_t pane) {
    if (pane >= m_panes.size())
        m_panes.resize(pane + 1);
    return m_panes[pane];
}

void CFltkSplitterWindow::SetPanes(bool rows, std::span<const CRect> rects) {
    m_rows = rows;
    for (size_t i = 0; i < rects.size(); ++i)
        PaneSlot(i).rect = rects[i];
    PlaceContents();
    redraw();
}

void CFltkSplitterWindow::PlaceContents() {
    for (CPane& pane : m_panes) {
        if (pane.view)
            pane.view->resize(x() + pane.rect.left, y() + pane.rect.top, pane.rect.Width(),
                              pane.rect.Height());
        if (pane.splitter)
            pane.splitter->Move(pane.rect);
    }
}

CViewWindow& CFltkSplitterWindow::CreatePaneView(size_t pane, CPoint size) {
    CPane& slot = PaneSlot(pane);
    CNoOpenGroup closed;
    slot.view = new CFltkViewWindow(x() + slot.rect.left, y() + slot.rect.top, size.x,
                                    size.y); // owned by this group
    slot.view->SetStatusSink(m_statusSink);
    add(slot.view);
    return *slot.view;
}

CSplitterWindow& CFltkSplitterWindow::CreatePaneSplitter(size_t pane) {
    CPane& slot = PaneSlot(pane);
    CNoOpenGroup closed;
    slot.splitter = new CFltkSplitterWindow(*this, m_statusSink); // owned by this group
    add(slot.splitter);
    slot.splitter->Move({slot.rect.left, slot.rect.top, slot.rect.left, slot.rect.top});
    return *slot.splitter;
}

CRect CFltkSplitterWindow::BarAfter(size_t pane) const {
    const CRect& rect = m_panes[pane].rect;
    const CRect& next = m_panes[pane + 1].rect;
    return m_rows ? CRect{0, rect.bottom, w(), next.top} : CRect{rect.right, 0, next.left, h()};
}

int CFltkSplitterWindow::BarAt(int x, int y) const {
    for (size_t i = 0; i + 1 < m_panes.size(); ++i)
        if (BarAfter(i).Contains(x - this->x(), y - this->y()))
            return static_cast<int>(i);
    return -1;
}

void CFltkSplitterWindow::draw() {
    if (damage() & ~FL_DAMAGE_CHILD) {
        for (size_t i = 0; i + 1 < m_panes.size(); ++i) {
            CRect bar = BarAfter(i);
            if (!bar.IsEmpty())
                fl_draw_box(FL_THIN_UP_BOX, x() + bar.left, y() + bar.top, bar.Width(),
                            bar.Height(), FL_BACKGROUND_COLOR);
        }
    }
    draw_children();
}

void CFltkSplitterWindow::ShowBarCursor(bool onBar) {
    Fl_Window* top = window();
    if (!top || onBar == m_barCursor)
        return;
    m_barCursor = onBar;
    top->cursor(!onBar ? FL_CURSOR_DEFAULT : m_rows ? FL_CURSOR_NS : FL_CURSOR_WE);
}

void CFltkSplitterWindow::MoveDraggedBar(int pointer) {
    if (m_client)
        m_client->OnBarDragged(static_cast<size_t>(m_dragging), pointer - m_dragOffset);
}

int CFltkSplitterWindow::handle(int event) {
    const int pointer = m_rows ? Fl::event_y() - y() : Fl::event_x() - x();
    switch (event) {
    case FL_PUSH:
        if (Fl::event_button() == FL_LEFT_MOUSE) {
            if (int bar = BarAt(Fl::event_x(), Fl::event_y()); bar >= 0) {
                m_dragging = bar;
                CRect rect = BarAfter(static_cast<size_t>(bar));
                m_dragOffset = pointer - (m_rows ? rect.top : rect.left);
                return 1;
            }
        }
        break;
    case FL_DRAG:
        if (m_dragging >= 0) {
            MoveDraggedBar(pointer);
            return 1;
        }
        break;
    case FL_RELEASE:
        if (m_dragging >= 0) {
            // FLTK holds motion back until its queue is empty, so a busy
            // program sees the release where the last move would have been.
            MoveDraggedBar(pointer);
            m_dragging = -1;
            return 1;
        }
        break;
    case FL_ENTER:
    case FL_MOVE:
        if (BarAt(Fl::event_x(), Fl::event_y()) >= 0) {
            // The pane left behind hears of it (and sets its cursor) first;
            // one entered later hears of that.
            Fl::belowmouse(this);
            ShowBarCursor(true);
            return 1;
        }
        ShowBarCursor(false);
        break;
    case FL_LEAVE:
        ShowBarCursor(false);
        break;
    default:
        break;
    }
    return Fl_Group::handle(event);
}
