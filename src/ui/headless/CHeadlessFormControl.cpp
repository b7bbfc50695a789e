#include "ui/headless/CHeadlessFormControl.h"

#include "platform/Windows1252.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFont.h"
#include "ui/headless/CHeadlessViewWindow.h"

#include <algorithm>
#include <array>

namespace {

constexpr ColorRef Black = MakeColorRef(0, 0, 0);
constexpr ColorRef White = MakeColorRef(255, 255, 255);
constexpr ColorRef Face = MakeColorRef(192, 192, 192);
constexpr ColorRef Shadow = MakeColorRef(128, 128, 128);
constexpr ColorRef Highlight = MakeColorRef(0, 0, 128);
constexpr int32_t TextInset = 3;
constexpr int32_t CheckSide = 13;
constexpr int32_t DropButtonWidth = 16;

void Line(CDeviceContext& dc, ColorRef color, CPoint from, CPoint to) {
    CPen before = dc.SelectPen(CPen::Solid(1, color));
    dc.MoveTo(from.x, from.y);
    dc.LineTo(to.x, to.y);
    dc.SetPixel(to.x, to.y, color);
    dc.SelectPen(before);
}

// A white field inside a one-pixel black border.
void Field(CDeviceContext& dc, const CRect& r) {
    dc.FillRect(r, CBrush::Solid(Black));
    dc.FillRect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, CBrush::Solid(White));
}

// Raised grey face: light on the upper left, shadow and black on the lower
// right.
void RaisedFace(CDeviceContext& dc, const CRect& r) {
    dc.FillRect(r, CBrush::Solid(Face));
    Line(dc, White, {r.left, r.bottom - 2}, {r.left, r.top});
    Line(dc, White, {r.left, r.top}, {r.right - 2, r.top});
    Line(dc, Shadow, {r.left + 1, r.bottom - 2}, {r.right - 2, r.bottom - 2});
    Line(dc, Shadow, {r.right - 2, r.bottom - 2}, {r.right - 2, r.top + 1});
    Line(dc, Black, {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1});
    Line(dc, Black, {r.right - 1, r.bottom - 1}, {r.right - 1, r.top});
}

// Limits drawing to r (logical) within what the context could draw before;
// puts the earlier clip back when it goes.
class CClipScope {
public:
    CClipScope(CDeviceContext& dc, const CRect& r) : m_dc(dc), m_before(dc.GetClipBox()) {
        CPoint origin = dc.GetViewportOrg();
        m_dc.SelectClipRect(r.Intersect(m_before).Offset(origin.x, origin.y));
    }
    ~CClipScope() {
        CPoint origin = m_dc.GetViewportOrg();
        m_dc.SelectClipRect(m_before.Offset(origin.x, origin.y));
    }
    CClipScope(const CClipScope&) = delete;
    CClipScope& operator=(const CClipScope&) = delete;

private:
    CDeviceContext& m_dc;
    CRect m_before;
};

// The lines of a multi-line text: CR LF, CR or LF end a line.
std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace

CHeadlessFormControl::CHeadlessFormControl(CHeadlessViewWindow& window,
                                           const CFormControlSpec& spec)
    : m_window(&window), m_kind(spec.kind), m_commandId(spec.commandId), m_name(spec.name),
      m_options(spec.options), m_rect(spec.rect), m_text(spec.text),
      m_selected(spec.options.size(), false) {}

CHeadlessFormControl::~CHeadlessFormControl() {
    if (m_window)
        m_window->Forget(*this);
}

bool CHeadlessFormControl::IsEdit() const {
    return m_kind == FormControlKind::Edit || m_kind == FormControlKind::PasswordEdit ||
           m_kind == FormControlKind::MultiLineEdit;
}

bool CHeadlessFormControl::IsButton() const {
    return m_kind == FormControlKind::PushButton || m_kind == FormControlKind::DefaultPushButton;
}

bool CHeadlessFormControl::IsList() const {
    return m_kind == FormControlKind::DropDownList || m_kind == FormControlKind::ListBox ||
           m_kind == FormControlKind::MultiSelectList;
}

void CHeadlessFormControl::Invalidate() {
    if (m_window)
        m_window->InvalidateDocument(m_rect);
}

void CHeadlessFormControl::Move(const CRect& rect) {
    Invalidate();
    m_rect = rect;
    Invalidate();
}

void CHeadlessFormControl::SetText(std::string_view text) {
    m_text = text;
    Invalidate();
}

void CHeadlessFormControl::SetCheck(bool checked) {
    m_checked = checked;
    Invalidate();
}

void CHeadlessFormControl::SetCurrentIndex(int32_t index) {
    if (!IsList() || index < -1 || index >= static_cast<int32_t>(m_options.size()))
        return;
    m_current = index;
    if (m_kind == FormControlKind::ListBox) {
        std::fill(m_selected.begin(), m_selected.end(), false);
        if (index >= 0)
            m_selected[static_cast<size_t>(index)] = true;
    }
    Invalidate();
}

bool CHeadlessFormControl::IsSelected(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(m_selected.size()))
        return false;
    return m_selected[static_cast<size_t>(index)];
}

void CHeadlessFormControl::SetSelected(int32_t index, bool selected) {
    if (m_kind != FormControlKind::MultiSelectList || index < 0 ||
        index >= static_cast<int32_t>(m_selected.size()))
        return;
    m_selected[static_cast<size_t>(index)] = selected;
    Invalidate();
}

void CHeadlessFormControl::Notify(FormControlEvent event) {
    if (m_window)
        m_window->NotifyFormControl(m_commandId, event);
}

void CHeadlessFormControl::Click() {
    if (m_window)
        m_window->GiveFocus(this);
    switch (m_kind) {
    case FormControlKind::CheckBox:
        SetCheck(!m_checked);
        Notify(FormControlEvent::Clicked);
        return;
    case FormControlKind::RadioButton:
    case FormControlKind::PushButton:
    case FormControlKind::DefaultPushButton:
        Notify(FormControlEvent::Clicked);
        return;
    default:
        return;
    }
}

void CHeadlessFormControl::TypeText(std::string_view text) {
    if (!IsEdit())
        return;
    std::string typed = Utf8ToWindows1252(text);
    // A one-line edit keeps no line breaks.
    if (m_kind != FormControlKind::MultiLineEdit)
        std::erase_if(typed, [](char c) { return c == '\r' || c == '\n'; });
    SetText(m_text + typed);
}

void CHeadlessFormControl::MoveCurrent(int32_t step) {
    if (m_options.empty())
        return;
    int32_t next = std::clamp(m_current + step, 0, static_cast<int32_t>(m_options.size()) - 1);
    if (m_kind == FormControlKind::MultiSelectList)
        m_current = next;
    else
        SetCurrentIndex(next);
    Invalidate();
}

void CHeadlessFormControl::PressKey(std::string_view name) {
    if (name == "Tab") {
        if (m_window)
            m_window->FocusNextControl(this);
        return;
    }
    if (name == "Up" || name == "Down") {
        if (m_kind == FormControlKind::DropDownList || m_kind == FormControlKind::ListBox)
            MoveCurrent(name == "Up" ? -1 : 1);
        return;
    }
    if (name == "BackSpace" && IsEdit() && !m_text.empty()) {
        size_t cut = m_text.ends_with("\r\n") ? 2 : 1;
        SetText(m_text.substr(0, m_text.size() - cut));
        return;
    }
    if (name != "Return")
        return;
    switch (m_kind) {
    case FormControlKind::MultiLineEdit:
        SetText(m_text + "\r\n");
        return;
    case FormControlKind::Edit:
    case FormControlKind::PasswordEdit:
        Notify(FormControlEvent::EnterPressed);
        return;
    case FormControlKind::CheckBox:
    case FormControlKind::RadioButton:
    case FormControlKind::PushButton:
    case FormControlKind::DefaultPushButton:
        Click();
        return;
    default:
        return;
    }
}

void CHeadlessFormControl::Draw(CDeviceContext& dc, CFont& font, bool focused) const {
    if (m_rect.IsEmpty())
        return;
    CClipScope clip(dc, m_rect);
    CFont* fontBefore = dc.SelectFont(&font);
    ColorRef textBefore = dc.SetTextColor(Black);
    switch (m_kind) {
    case FormControlKind::Edit:
    case FormControlKind::PasswordEdit:
    case FormControlKind::MultiLineEdit:
        DrawEdit(dc, font, focused);
        break;
    case FormControlKind::CheckBox:
    case FormControlKind::RadioButton:
        DrawCheck(dc);
        break;
    case FormControlKind::PushButton:
    case FormControlKind::DefaultPushButton:
        DrawButton(dc, font, focused);
        break;
    case FormControlKind::DropDownList:
        DrawDropDown(dc, font);
        break;
    case FormControlKind::ListBox:
    case FormControlKind::MultiSelectList:
        DrawList(dc, font);
        break;
    }
    dc.SetTextColor(textBefore);
    dc.SelectFont(fontBefore);
}

void CHeadlessFormControl::DrawEdit(CDeviceContext& dc, CFont& font, bool focused) const {
    Field(dc, m_rect);
    const int32_t lineHeight = font.Metrics().height;
    CRect inner{m_rect.left + 1, m_rect.top + 1, m_rect.right - 1, m_rect.bottom - 1};
    CClipScope clip(dc, inner);
    std::string shown =
        m_kind == FormControlKind::PasswordEdit ? std::string(m_text.size(), '*') : m_text;
    std::vector<std::string_view> lines;
    int32_t y = m_rect.top + 2;
    if (m_kind == FormControlKind::MultiLineEdit) {
        lines = LinesOf(shown);
    } else {
        lines = {shown};
        y = m_rect.top + (m_rect.Height() - lineHeight) / 2;
    }
    int32_t caretX = m_rect.left + TextInset;
    for (std::string_view line : lines) {
        dc.TextOut(m_rect.left + TextInset, y, line);
        caretX = m_rect.left + TextInset + dc.GetTextExtent(line);
        y += lineHeight;
    }
    if (focused)
        Line(dc, Black, {caretX, y - lineHeight}, {caretX, y - 1});
}

void CHeadlessFormControl::DrawCheck(CDeviceContext& dc) const {
    // The page shows round the box: the control has no background.
    const int32_t top = m_rect.top + (m_rect.Height() - CheckSide) / 2;
    const CRect box{m_rect.left + 1, top, m_rect.left + 1 + CheckSide, top + CheckSide};
    if (m_kind == FormControlKind::CheckBox) {
        Field(dc, box);
        if (m_checked)
            for (int32_t dy = 0; dy < 3; ++dy) {
                Line(dc, Black, {box.left + 3, box.top + 5 + dy}, {box.left + 5, box.top + 7 + dy});
                Line(dc, Black, {box.left + 5, box.top + 7 + dy}, {box.left + 9, box.top + 3 + dy});
            }
        return;
    }
    CPen pen = dc.SelectPen(CPen::Black());
    CBrush brush = dc.SelectBrush(CBrush::White());
    dc.Ellipse(box);
    if (m_checked) {
        dc.SelectBrush(CBrush::Black());
        dc.Ellipse({box.left + 4, box.top + 4, box.right - 4, box.bottom - 4});
    }
    dc.SelectBrush(brush);
    dc.SelectPen(pen);
}

void CHeadlessFormControl::DrawButton(CDeviceContext& dc, CFont& font, bool focused) const {
    CRect face = m_rect;
    if (m_kind == FormControlKind::DefaultPushButton) {
        dc.FillRect(m_rect, CBrush::Solid(Black));
        face = {m_rect.left + 1, m_rect.top + 1, m_rect.right - 1, m_rect.bottom - 1};
    }
    RaisedFace(dc, face);
    const int32_t width = dc.GetTextExtent(m_text);
    dc.TextOut(face.left + (face.Width() - width) / 2,
               face.top + (face.Height() - font.Metrics().height) / 2, m_text);
    if (focused)
        for (int32_t x = face.left + 3; x < face.right - 3; x += 2) {
            dc.SetPixel(x, face.top + 3, Black);
            dc.SetPixel(x, face.bottom - 4, Black);
        }
}

void CHeadlessFormControl::DrawDropDown(CDeviceContext& dc, CFont& font) const {
    Field(dc, m_rect);
    const CRect button{m_rect.right - 1 - DropButtonWidth, m_rect.top + 1, m_rect.right - 1,
                       m_rect.bottom - 1};
    RaisedFace(dc, button);
    // The arrow: a small black triangle pointing down.
    const int32_t cx = button.left + button.Width() / 2;
    const int32_t cy = button.top + button.Height() / 2 - 1;
    for (int32_t row = 0; row < 4; ++row)
        Line(dc, Black, {cx - 3 + row, cy + row}, {cx + 3 - row, cy + row});
    if (m_current < 0 || m_current >= static_cast<int32_t>(m_options.size()))
        return;
    CClipScope clip(dc, {m_rect.left + 1, m_rect.top + 1, button.left, m_rect.bottom - 1});
    dc.TextOut(m_rect.left + TextInset, m_rect.top + (m_rect.Height() - font.Metrics().height) / 2,
               m_options[static_cast<size_t>(m_current)]);
}

void CHeadlessFormControl::DrawList(CDeviceContext& dc, CFont& font) const {
    Field(dc, m_rect);
    CClipScope clip(dc, {m_rect.left + 1, m_rect.top + 1, m_rect.right - 1, m_rect.bottom - 1});
    const int32_t lineHeight = font.Metrics().height;
    int32_t y = m_rect.top + 1;
    for (size_t i = 0; i < m_options.size() && y < m_rect.bottom; ++i, y += lineHeight) {
        const bool selected = m_selected[i];
        if (selected)
            dc.FillRect({m_rect.left + 1, y, m_rect.right - 1, y + lineHeight},
                        CBrush::Solid(Highlight));
        dc.SetTextColor(selected ? White : Black);
        dc.TextOut(m_rect.left + TextInset, y, m_options[i]);
    }
    dc.SetTextColor(Black);
}
