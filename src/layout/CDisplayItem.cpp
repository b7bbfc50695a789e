#include "layout/CDisplayItem.h"

#include "content/CInlineResources.h"
#include "images/DrawImageObject.h"
#include "layout/CPaintContext.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFontCache.h"

#include <cstdio>

namespace {

// Puts the pen and brush back, so that one item's drawing never leaks into
// the next.
class CPenBrushScope {
public:
    CPenBrushScope(CDeviceContext& dc, const CPen& pen, const CBrush& brush)
        : m_dc(dc), m_pen(dc.SelectPen(pen)), m_brush(dc.SelectBrush(brush)) {}
    ~CPenBrushScope() {
        m_dc.SelectPen(m_pen);
        m_dc.SelectBrush(m_brush);
    }
    CPenBrushScope(const CPenBrushScope&) = delete;
    CPenBrushScope& operator=(const CPenBrushScope&) = delete;

private:
    CDeviceContext& m_dc;
    CPen m_pen;
    CBrush m_brush;
};

// The lower-left, upper-left and upper-right edges, then the rest round.
void DrawBevel(CDeviceContext& dc, const CRect& r, const CPen& upperLeft, const CPen& lowerRight) {
    CPen before = dc.SelectPen(upperLeft);
    dc.MoveTo(r.left, r.bottom - 1);
    dc.LineTo(r.left, r.top);
    dc.LineTo(r.right - 1, r.top);
    dc.SelectPen(lowerRight);
    dc.LineTo(r.right - 1, r.bottom - 1);
    dc.LineTo(r.left, r.bottom - 1);
    dc.SelectPen(before);
}

void DrawImage(const CPaintContext& context, const std::string& url, const CRect& rect) {
    if (!context.resources)
        return;
    CMimeObject* object = nullptr;
    if (context.resources->GetInlineObject(url, object))
        DrawImageObject(object, context.dc, rect);
}

} // namespace

void CDisplayItem::Draw(CPaintContext& context) const {
    switch (type) {
    case DisplayItemType::Text:
    case DisplayItemType::LinkText:
        return static_cast<const CTextItem&>(*this).Draw(context);
    case DisplayItemType::Rule:
        return static_cast<const CRuleItem&>(*this).Draw(context);
    case DisplayItemType::Image:
    case DisplayItemType::LinkImage:
        return static_cast<const CImageItem&>(*this).Draw(context);
    case DisplayItemType::EmbeddedObject:
        return static_cast<const CObjectItem&>(*this).Draw(context);
    case DisplayItemType::ListMarker:
        return static_cast<const CMarkerItem&>(*this).Draw(context);
    case DisplayItemType::FormControl:
        return static_cast<const CFormControlItem&>(*this).Draw(context);
    case DisplayItemType::Frame3D:
        return static_cast<const CFrameItem&>(*this).Draw(context);
    }
}

CLinkRecord* CDisplayItem::LinkAt(int32_t, int32_t) const {
    switch (type) {
    case DisplayItemType::LinkText:
        return static_cast<const CLinkTextItem&>(*this).Link();
    case DisplayItemType::LinkImage:
        return static_cast<const CImageItem&>(*this).link;
    default:
        return nullptr;
    }
}

const std::string* CDisplayItem::ImageSource() const {
    if (type == DisplayItemType::Image || type == DisplayItemType::LinkImage)
        return &static_cast<const CImageItem&>(*this).url;
    return nullptr;
}

void CTextItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    const std::string characters = context.text.Copy(textStart, characterCount);
    context.fonts.Select(textStyle);
    const ColorRef colour =
        type == DisplayItemType::LinkText ? context.linkColor : context.textColor;
    ColorRef before = context.dc.SetTextColor(colour);
    context.dc.TextOut(rect.left, rect.top, characters);
    context.dc.SetTextColor(before);
}

void CRuleItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    CDeviceContext& dc = context.dc;
    CPenBrushScope scope(dc, CPen::Null(), CBrush::LightGray());
    dc.Rectangle(rect);
    // A grey bar with a sunken edge: dark above and left, light below and
    // right.
    DrawBevel(dc, rect, CPen::Black(), CPen::White());
}

void CImageItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    if (type == DisplayItemType::Image) {
        DrawImage(context, url, rect);
        return;
    }
    const CRect inner{rect.left + border, rect.top + border, rect.right - border,
                      rect.bottom - border};
    DrawImage(context, url, inner);
    if (border > 0) {
        CDeviceContext& dc = context.dc;
        CPenBrushScope scope(dc, CPen::Solid(border, dc.GetNearestColor(context.linkColor)),
                             CBrush::Hollow());
        dc.Rectangle(
            {inner.left - border, inner.top - border, inner.right + border, inner.bottom + border});
    }
}

void CObjectItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    // On screen the live control is a child window in this place.
    if (context.dc.IsPrinting())
        context.dc.FillRect(rect, CBrush::Black());
}

void CMarkerItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    CDeviceContext& dc = context.dc;
    if (markerStyle == MarkerStyle::Number) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.", static_cast<int>(number));
        context.fonts.Select(TextStyle::NormalSize);
        ColorRef before = dc.SetTextColor(context.textColor);
        dc.TextOut(rect.left, rect.top, text);
        dc.SetTextColor(before);
        return;
    }
    const ColorRef colour = dc.GetNearestColor(context.textColor);
    const CRect shape{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
    const bool outlined =
        markerStyle == MarkerStyle::OutlinedSquare || markerStyle == MarkerStyle::OutlinedCircle;
    dc.SelectPen(outlined ? CPen::Solid(1, colour) : CPen::Null());
    dc.SelectBrush(outlined ? CBrush::Hollow() : CBrush::Solid(colour));
    if (markerStyle == MarkerStyle::OutlinedSquare || markerStyle == MarkerStyle::FilledSquare)
        dc.Rectangle(shape);
    else
        dc.Ellipse(shape);
    dc.SelectPen(CPen::Black());
    dc.SelectBrush(CBrush::Hollow());
}

void CFormControlItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    // On screen the control is a child window in this place.
    CDeviceContext& dc = context.dc;
    if (!dc.IsPrinting())
        return;
    CPenBrushScope scope(dc, CPen::Black(), CBrush::Hollow());
    dc.Rectangle({rect.left, rect.top, rect.right + 1, rect.bottom + 1});
}

void CFrameItem::Draw(CPaintContext& context) const {
    const CRect rect = GetRect();
    const ColorRef background = context.backgroundColor;
    const uint32_t components[] = {background & 0xFF, (background >> 8) & 0xFF,
                                   (background >> 16) & 0xFF};
    bool allLight = true;
    bool allDark = true;
    for (uint32_t component : components) {
        allLight = allLight && component > 240;
        allDark = allDark && component < 20;
    }
    // The lit edge must differ from the page: never white on white.
    CPen a = CPen::White();
    CPen b = CPen::Black();
    if (allLight)
        a = CPen::Solid(1, 0x3C3C3C);
    else if (allDark)
        a = CPen::Solid(1, 0x808080), b = CPen::White();
    if (frameStyle == FrameStyle::Cell)
        DrawBevel(context.dc, rect, a, b);
    else
        DrawBevel(context.dc, rect, b, a);
}
