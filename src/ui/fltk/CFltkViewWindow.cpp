#include "ui/fltk/CFltkViewWindow.h"

#include "platform/gdi/CDibSection.h"
#include "ui/fltk/CFltkFormControl.h"
#include "ui/fltk/CFltkSplitterWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>
#include <FL/x.H>

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

namespace {

constexpr int WheelLines = 3;

struct RowSource {
    const CDibSection* section;
    CRect rect;
};

// fl_draw_image asks for the picture row by row; the part of each row that
// is drawn is converted from palette indices to RGB straight into its buffer.
void ConvertRow(void* data, int x, int y, int width, unsigned char* out) {
    const auto* source = static_cast<const RowSource*>(data);
    source->section->ConvertRowToRgb(source->rect.top + y, source->rect.left + x, width,
                                     {out, static_cast<size_t>(width) * 3});
}

// Sends the section's pixels in rect straight to the X server, converted from
// palette indices into the server's own 32-bit pixels a band of rows at a
// time. fl_draw_image converts through a buffer of its own that it keeps for
// the life of the process, the size of the largest picture ever drawn (2 MiB
// for a window's page); a band here is 64 KiB. False when the server's
// pixels are not 8-bit red, green and blue in 32 bits in this machine's byte
// order, which the caller then leaves to the toolkit.
bool PutPixels(const CDibSection& section, const CRect& rect, int screenX, int screenY) {
    if (!fl_visual || fl_visual->c_class != TrueColor || fl_visual->red_mask != 0xFF0000 ||
        fl_visual->green_mask != 0xFF00 || fl_visual->blue_mask != 0xFF)
        return false;
    constexpr int kOurByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    const int width = rect.Width();
    const int bandRows = std::max(1, 16384 / width);
    static std::vector<uint32_t> band;
    band.resize(static_cast<size_t>(width) *
                static_cast<size_t>(std::min(bandRows, rect.Height())));
    XImage* image = XCreateImage(
        fl_display, fl_visual->visual, static_cast<unsigned>(fl_visual->depth), ZPixmap, 0,
        reinterpret_cast<char*>(band.data()), static_cast<unsigned>(width), 1, 32, width * 4);
    if (!image)
        return false;
    if (image->bits_per_pixel != 32 || image->byte_order != kOurByteOrder) {
        image->data = nullptr; // ours, not Xlib's to free
        XDestroyImage(image);
        return false;
    }
    std::array<uint32_t, 256> pixels;
    const auto colors = section.ColorTable();
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t{colors[i].red} << 16 | uint32_t{colors[i].green} << 8 | colors[i].blue;
    for (int top = rect.top; top < rect.bottom; top += bandRows) {
        const int rows = std::min(bandRows, rect.bottom - top);
        uint32_t* out = band.data();
        for (int y = top; y < top + rows; ++y) {
            const uint8_t* in = section.Row(y) + rect.left;
            for (int x = 0; x < width; ++x)
                *out++ = pixels[in[x]];
        }
        image->height = rows;
        XPutImage(fl_display, fl_window, fl_gc, image, 0, 0, screenX, screenY + (top - rect.top),
                  static_cast<unsigned>(width), static_cast<unsigned>(rows));
    }
    image->data = nullptr;
    XDestroyImage(image);
    return true;
}

// The pointer of "working in the background": an arrow with a small
// hourglass beside it, drawn here since the toolkit has no such cursor.
const Fl_RGB_Image& BackgroundCursor() {
    static const std::array<const char*, 20> shape = {
        "X                   ", "XX                  ", "X.X                 ",
        "X..X                ", "X...X               ", "X....X              ",
        "X.....X             ", "X......X            ", "X.......X           ",
        "X........X  XXXXXXX ", "X.....XXXXX X.....X ", "X..X..X      X...X  ",
        "X.X X..X      X.X   ", "XX  X..X      X.X   ", "X    X..X    X...X  ",
        "     X..X   X.....X ", "      XX    XXXXXXX ", "                    ",
        "                    ", "                    "};
    static std::array<unsigned char, 20 * 20 * 4> pixels = [] {
        std::array<unsigned char, 20 * 20 * 4> rgba{};
        for (size_t y = 0; y < 20; ++y)
            for (size_t x = 0; x < 20; ++x) {
                unsigned char* p = &rgba[(y * 20 + x) * 4];
                char c = shape[y][x];
                unsigned char value = c == '.' ? 255 : 0;
                p[0] = p[1] = p[2] = value;
                p[3] = c == ' ' ? 0 : 255;
            }
        return rgba;
    }();
    static const Fl_RGB_Image image(pixels.data(), 20, 20, 4);
    return image;
}

} // namespace

CFltkViewWindow::CFltkViewWindow(int x, int y, int width, int height)
    : Fl_Group(x, y, width, height) {
    box(FL_NO_BOX);
    m_vertical = new Fl_Scrollbar(0, 0, 1, 1); // owned by this group
    m_vertical->type(FL_VERTICAL);
    m_vertical->callback(OnScrollBar, this);
    m_horizontal = new Fl_Scrollbar(0, 0, 1, 1); // owned by this group
    m_horizontal->type(FL_HORIZONTAL);
    m_horizontal->callback(OnScrollBar, this);
    // Tab goes from control to control; the bars are for the mouse.
    m_vertical->clear_visible_focus();
    m_horizontal->clear_visible_focus();
    end();
    ArrangeScrollBars();
}

CFltkViewWindow::~CFltkViewWindow() = default;

int32_t CFltkViewWindow::VerticalScrollBarWidth() const {
    return Fl::scrollbar_size();
}

CPoint CFltkViewWindow::PageArea() const {
    int bar = Fl::scrollbar_size();
    return {w() - (m_vertical->visible() ? bar : 0), h() - (m_horizontal->visible() ? bar : 0)};
}

void CFltkViewWindow::ArrangeScrollBars() {
    int bar = Fl::scrollbar_size();
    // Each bar needs the other's room when both show.
    bool vertical = m_total.y > h();
    bool horizontal = m_total.x > w() - (vertical ? bar : 0);
    vertical = vertical || m_total.y > h() - (horizontal ? bar : 0);
    bool changed =
        vertical != (m_vertical->visible() != 0) || horizontal != (m_horizontal->visible() != 0);
    vertical ? m_vertical->show() : m_vertical->hide();
    horizontal ? m_horizontal->show() : m_horizontal->hide();
    m_vertical->resize(x() + w() - bar, y(), bar, h() - (horizontal ? bar : 0));
    m_horizontal->resize(x(), y() + h() - bar, w() - (vertical ? bar : 0), bar);
    CPoint page = PageArea();
    m_position = ClampScrollPosition(m_position, m_total, page);
    m_vertical->value(m_position.y, page.y, 0, std::max(m_total.y, page.y));
    m_vertical->linesize(m_line.y);
    m_horizontal->value(m_position.x, page.x, 0, std::max(m_total.x, page.x));
    m_horizontal->linesize(m_line.x);
    PlaceFormControls();
    if (changed)
        InvalidateAll();
}

void CFltkViewWindow::resize(int x, int y, int width, int height) {
    bool sized = width != w() || height != h();
    Fl_Widget::resize(x, y, width, height);
    ArrangeScrollBars();
    if (m_splitter)
        m_splitter->FollowHolder();
    InvalidateAll();
    if (sized && m_client)
        m_client->OnSize();
}

void CFltkViewWindow::SetScrollSizes(CPoint total, CPoint, CPoint line) {
    CPoint before = m_position;
    m_total = total;
    m_line = line;
    ArrangeScrollBars();
    if (m_position != before)
        InvalidateAll();
}

void CFltkViewWindow::ScrollTo(CPoint position) {
    CPoint clamped = ClampScrollPosition(position, m_total, PageArea());
    if (clamped == m_position)
        return;
    m_position = clamped;
    ArrangeScrollBars();
    InvalidateAll();
}

void CFltkViewWindow::OnScrollBar(Fl_Widget* bar, void* data) {
    auto* self = static_cast<CFltkViewWindow*>(data);
    int value = static_cast<Fl_Scrollbar*>(bar)->value();
    CPoint position = self->m_position;
    (bar == self->m_vertical ? position.y : position.x) = value;
    self->ScrollTo(position);
}

void CFltkViewWindow::Invalidate(const CRect& rect) {
    CRect area = rect.Intersect({0, 0, w(), h()});
    if (area.IsEmpty())
        return;
    m_dirty = m_dirty.Union(area);
    damage(FL_DAMAGE_USER1, x() + area.left, y() + area.top, area.Width(), area.Height());
}

void CFltkViewWindow::InvalidateAll() {
    m_dirty = {0, 0, w(), h()};
    damage(FL_DAMAGE_ALL);
}

void CFltkViewWindow::draw() {
    CPoint page = PageArea();
    CRect clip = (damage() & FL_DAMAGE_ALL) ? CRect{0, 0, w(), h()} : m_dirty;
    m_dirty = {};
    clip = clip.Intersect({0, 0, page.x, page.y});
    if (!clip.IsEmpty()) {
        if (m_client) {
            m_client->OnPaint(clip);
        } else {
            fl_rectf(x() + clip.left, y() + clip.top, clip.Width(), clip.Height(), FL_GRAY);
        }
    }
    // The corner between two bars belongs to neither.
    if (m_vertical->visible() && m_horizontal->visible())
        fl_rectf(x() + page.x, y() + page.y, w() - page.x, h() - page.y, FL_BACKGROUND_COLOR);
    // Only a child that changed is drawn again, unless the page was.
    const bool all = (damage() & ~FL_DAMAGE_CHILD) != 0;
    auto drawChild = [this, all](Fl_Widget& child) {
        if (all)
            draw_child(child);
        else
            update_child(child);
    };
    // Controls scrolled partly out of the page are cut at its edges, not
    // drawn over the bars or the window's other parts.
    fl_push_clip(x(), y(), page.x, page.y);
    for (CFltkFormControl* control : m_controls)
        drawChild(control->Widget());
    fl_pop_clip();
    // A page of frames: the splitter covers the page with its panes.
    if (m_splitter)
        drawChild(*m_splitter);
    drawChild(*m_vertical);
    drawChild(*m_horizontal);
}

void CFltkViewWindow::Present(const CDibSection& section, const CRect& rect) {
    CRect area = rect.Intersect(section.Bounds());
    if (area.IsEmpty())
        return;
    RowSource source{&section, area};
    fl_push_clip(x() + area.left, y() + area.top, area.Width(), area.Height());
    if (!PutPixels(section, area, x() + area.left, y() + area.top))
        fl_draw_image(ConvertRow, &source, x() + area.left, y() + area.top, area.Width(),
                      area.Height(), 3);
    fl_pop_clip();
}

void CFltkViewWindow::SetCursor(ViewCursor cursor) {
    Fl_Window* top = window();
    if (!top || cursor == m_cursor)
        return;
    m_cursor = cursor;
    switch (cursor) {
    case ViewCursor::Arrow:
        top->cursor(FL_CURSOR_DEFAULT);
        break;
    case ViewCursor::Link:
        top->cursor(FL_CURSOR_HAND);
        break;
    case ViewCursor::Wait:
        top->cursor(FL_CURSOR_WAIT);
        break;
    case ViewCursor::WorkingInBackground:
        top->cursor(&BackgroundCursor(), 0, 0);
        break;
    }
}

void CFltkViewWindow::SetStatusText(std::string_view text) {
    if (m_statusSink)
        m_statusSink(text);
}

bool CFltkViewWindow::HandleKey() {
    if (!m_client)
        return false;
    switch (Fl::event_key()) {
    case FL_Page_Up:
        return m_client->OnKeyDown(ViewKey::PageUp);
    case FL_Page_Down:
        return m_client->OnKeyDown(ViewKey::PageDown);
    case FL_Home:
        return m_client->OnKeyDown(ViewKey::Home);
    case FL_End:
        return m_client->OnKeyDown(ViewKey::End);
    case FL_Up:
        return m_client->OnKeyDown(ViewKey::Up);
    case FL_Down:
        return m_client->OnKeyDown(ViewKey::Down);
    case FL_Left:
        return m_client->OnKeyDown(ViewKey::Left);
    case FL_Right:
        return m_client->OnKeyDown(ViewKey::Right);
    default:
        return false;
    }
}

CSplitterWindow& CFltkViewWindow::CreateSplitter() {
    DestroySplitter();
    Fl_Group* open = Fl_Group::current();
    Fl_Group::current(nullptr);
    m_splitter = new CFltkSplitterWindow(*this, m_statusSink); // owned by this group
    Fl_Group::current(open);
    add(m_splitter);
    return *m_splitter;
}

void CFltkViewWindow::DestroySplitter() {
    if (!m_splitter)
        return;
    // The splitter may be inside one of its handlers now (a click on a link
    // in a frame that leaves the page of frames): it is freed once the
    // toolkit is back in its loop. The keys come back here meanwhile.
    bool hadFocus = m_splitter->contains(Fl::focus());
    remove(m_splitter);
    m_splitter->hide();
    Fl::delete_widget(m_splitter);
    m_splitter = nullptr;
    if (hadFocus)
        take_focus();
    InvalidateAll();
}

bool CFltkViewWindow::HandleCharacters() {
    if (!m_client)
        return false;
    switch (Fl::event_key()) {
    case FL_BackSpace:
        return m_client->OnCharacter('\b');
    case FL_Enter:
    case FL_KP_Enter:
        return m_client->OnCharacter('\r');
    default:
        break;
    }
    // The page's characters are Windows Latin-1: FLTK's UTF-8 text goes over
    // character by character, those beyond Latin-1 not at all.
    const char* text = Fl::event_text();
    const char* end = text + Fl::event_length();
    bool used = false;
    while (text < end) {
        int length = 0;
        unsigned code = fl_utf8decode(text, end, &length);
        text += length > 0 ? length : 1;
        if (code >= 0x20 && code <= 0xFF && code != 0x7F)
            used = m_client->OnCharacter(static_cast<char>(code)) || used;
    }
    return used;
}

int CFltkViewWindow::handle(int event) {
    // The frames under the pointer take its events, and the keys when they
    // have the focus.
    if (m_splitter && event != FL_FOCUS && event != FL_UNFOCUS && event != FL_KEYBOARD)
        return Fl_Group::handle(event);
    bool onBar = (m_vertical->visible() && Fl::event_inside(m_vertical)) ||
                 (m_horizontal->visible() && Fl::event_inside(m_horizontal));
    CPoint point{Fl::event_x() - x(), Fl::event_y() - y()};
    switch (event) {
    case FL_PUSH:
        if (onBar || OverFormControl())
            break;
        take_focus();
        if (Fl::event_button() == FL_LEFT_MOUSE && m_client)
            m_client->OnLeftButtonDown(point);
        return 1;
    case FL_ENTER:
    case FL_MOVE:
        if (onBar) {
            SetCursor(ViewCursor::Arrow);
            break;
        }
        if (OverFormControl())
            break;
        if (m_client)
            m_client->OnSetCursor(point);
        Fl_Group::handle(event);
        return 1;
    case FL_LEAVE:
        SetCursor(ViewCursor::Arrow);
        break;
    case FL_FOCUS:
    case FL_UNFOCUS:
        return 1;
    case FL_RELEASE:
        if (!onBar && Fl::event_button() == FL_LEFT_MOUSE && m_client)
            m_client->OnLeftButtonUp(point);
        return 1;
    case FL_DRAG:
        if (m_client)
            m_client->OnSetCursor(point);
        return 1;
    case FL_KEYBOARD:
        if (HandleKey() || FocusControlFromPage() || HandleCharacters())
            return 1;
        break;
    case FL_MOUSEWHEEL:
        if (Fl::event_dy() != 0) {
            ScrollTo({m_position.x, m_position.y + Fl::event_dy() * WheelLines * m_line.y});
            return 1;
        }
        break;
    default:
        break;
    }
    return Fl_Group::handle(event);
}

std::unique_ptr<CFormControl> CFltkViewWindow::CreateFormControl(const CFormControlSpec& spec) {
    return std::make_unique<CFltkFormControl>(*this, spec);
}

void CFltkViewWindow::AddFormControl(CFltkFormControl& control) {
    // Before the scroll bars, which must stay last: the group gives a click
    // to the last child under it, and a control scrolled under a bar must
    // not take the bar's clicks.
    insert(control.Widget(), find(m_vertical));
    m_controls.push_back(&control);
    PlaceFormControl(control);
}

void CFltkViewWindow::RemoveFormControl(CFltkFormControl& control) {
    Fl_Widget& widget = control.Widget();
    const bool hadFocus = widget.contains(Fl::focus());
    std::erase(m_controls, &control);
    Invalidate(control.Rect().Offset(-m_position.x, -m_position.y));
    remove(widget);
    widget.hide();
    // The keys go back to the page, which scrolls by them.
    if (hadFocus && visible_r())
        take_focus();
}

void CFltkViewWindow::PlaceFormControl(CFltkFormControl& control) {
    Fl_Widget& widget = control.Widget();
    const CRect rect = control.Rect();
    const CRect before{widget.x() - x(), widget.y() - y(), widget.x() - x() + widget.w(),
                       widget.y() - y() + widget.h()};
    const CRect after = rect.Offset(-m_position.x, -m_position.y);
    if (before == after)
        return;
    widget.resize(x() + after.left, y() + after.top, after.Width(), after.Height());
    Invalidate(before);
    Invalidate(after);
}

void CFltkViewWindow::PlaceFormControls() {
    for (CFltkFormControl* control : m_controls)
        PlaceFormControl(*control);
}

bool CFltkViewWindow::OverFormControl() const {
    CPoint page = PageArea();
    CPoint point{Fl::event_x() - x(), Fl::event_y() - y()};
    if (point.x >= page.x || point.y >= page.y)
        return false;
    for (const CFltkFormControl* control : m_controls)
        if (Fl::event_inside(&control->Widget()))
            return true;
    return false;
}

bool CFltkViewWindow::FocusControlFromPage() {
    if (Fl::event_key() != FL_Tab || Fl::focus() != this || m_controls.empty())
        return false;
    const bool backwards = Fl::event_state(FL_SHIFT) != 0;
    for (size_t i = 0; i < m_controls.size(); ++i) {
        CFltkFormControl* control = m_controls[backwards ? m_controls.size() - 1 - i : i];
        if (control->Widget().take_focus())
            return true;
    }
    return false;
}

void CFltkViewWindow::ReportFormControlEvent(uint32_t commandId, FormControlEvent event) {
    if (m_client)
        m_client->OnFormControlEvent(commandId, event);
}

void CFltkViewWindow::PaintPageUnder(const Fl_Widget& widget) {
    CPoint page = PageArea();
    CRect area = CRect{widget.x() - x(), widget.y() - y(), widget.x() - x() + widget.w(),
                       widget.y() - y() + widget.h()}
                     .Intersect({0, 0, page.x, page.y});
    if (area.IsEmpty())
        return;
    if (m_client)
        m_client->OnPaint(area);
    else
        fl_rectf(x() + area.left, y() + area.top, area.Width(), area.Height(), FL_GRAY);
}
