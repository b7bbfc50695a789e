#include "ui/headless/CHeadlessViewWindow.h"

#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFont.h"
#include "ui/headless/CHeadlessFocus.h"
#include "ui/headless/CHeadlessFormControl.h"
#include "ui/headless/CHeadlessSplitterWindow.h"

#include <algorithm>
#include <cstring>

namespace {

// The user-interface font the controls show their text in: a sans-serif
// face whose cell fits the controls' dialog-unit heights.
const CLogFont kControlFont{
    .height = 15, .faceName = "Arial", .pitch = FontPitch::Variable, .family = FontFamily::Swiss};

} // namespace

CHeadlessViewWindow::CHeadlessViewWindow(CPoint clientSize) : m_size(clientSize) {}

CHeadlessViewWindow::~CHeadlessViewWindow() {
    for (CHeadlessFormControl* control : m_controls)
        control->Detach();
}

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
        // A link in a frame that left the page of frames retired the panes:
        // none of them is inside its click any more.
        m_retiredSplitters.clear();
        return;
    }
    // The page takes the focus, unless a control is under the point: the
    // last one made stands in front.
    GiveFocus(nullptr);
    CPoint document{window.x + m_position.x, window.y + m_position.y};
    for (auto control = m_controls.rbegin(); control != m_controls.rend(); ++control)
        if ((*control)->Rect().Contains(document.x, document.y))
            return (*control)->Click();
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
    // The pane that took the click which leaves the page may still be inside
    // its handler (its press was the link's, its release is yet to come): the
    // panes go once the click is over.
    if (m_splitter)
        m_retiredSplitters.push_back(std::move(m_splitter));
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
    // Child windows stand over the page.
    if (!copy.IsEmpty())
        DrawFormControls(*m_screen, m_position, copy);
}

std::unique_ptr<CFormControl> CHeadlessViewWindow::CreateFormControl(const CFormControlSpec& spec) {
    auto control = std::make_unique<CHeadlessFormControl>(*this, spec);
    m_controls.push_back(control.get());
    InvalidateDocument(spec.rect);
    return control;
}

void CHeadlessViewWindow::Forget(CHeadlessFormControl& control) {
    InvalidateDocument(control.Rect());
    std::erase(m_controls, &control);
    if (m_focused == &control)
        m_focused = nullptr;
    if (m_focusOwner)
        m_focusOwner->ReleaseFocus(&control);
}

void CHeadlessViewWindow::GiveFocus(CHeadlessFormControl* control) {
    if (m_focused)
        InvalidateDocument(m_focused->Rect());
    m_focused = control;
    if (control)
        InvalidateDocument(control->Rect());
    if (m_focusOwner)
        m_focusOwner->SetFocus(control);
}

void CHeadlessViewWindow::FocusNextControl(CHeadlessFormControl* from) {
    auto next = m_controls.begin();
    if (from) {
        next = std::ranges::find(m_controls, from);
        if (next != m_controls.end())
            ++next;
    }
    GiveFocus(next == m_controls.end() ? nullptr : *next);
}

void CHeadlessViewWindow::NotifyFormControl(uint32_t commandId, FormControlEvent event) {
    if (m_client)
        m_client->OnFormControlEvent(commandId, event);
}

void CHeadlessViewWindow::InvalidateDocument(const CRect& rect) {
    Invalidate(rect.Offset(-m_position.x, -m_position.y));
}

CFont* CHeadlessViewWindow::ControlFont() {
    if (!m_controlFont)
        m_controlFont = CFont::Create(kControlFont);
    return m_controlFont.get();
}

void CHeadlessViewWindow::DrawFormControls(CDibSection& section, CPoint origin) {
    DrawFormControls(section, origin, section.Bounds());
}

void CHeadlessViewWindow::DrawFormControls(CDibSection& section, CPoint origin, const CRect& clip) {
    CFont* font = ControlFont();
    if (!font || m_controls.empty())
        return;
    CDeviceContext dc(section);
    dc.SetViewportOrg({-origin.x, -origin.y});
    dc.SelectClipRect(clip);
    CRect area = clip.Offset(origin.x, origin.y);
    for (CHeadlessFormControl* control : m_controls)
        if (!control->Rect().Intersect(area).IsEmpty())
            control->Draw(dc, *font, control == m_focused);
}
