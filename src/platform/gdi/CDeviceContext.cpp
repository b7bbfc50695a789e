#include "platform/gdi/CDeviceContext.h"

#include "platform/Verify.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFont.h"
#include "platform/gdi/CIcon.h"
#include "platform/gdi/CPalette.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

CDeviceContext::CDeviceContext(CDibSection& section, int32_t pixelsPerInch)
    : CDeviceContext(&section, pixelsPerInch) {}

CDeviceContext::CDeviceContext(CDibSection* section, int32_t pixelsPerInch)
    : m_section(section), m_pixelsPerInch(pixelsPerInch) {
    VERIFY(pixelsPerInch > 0);
    ResetClip();
}

CDeviceContext CDeviceContext::InformationContext(int32_t pixelsPerInch) {
    return CDeviceContext(nullptr, pixelsPerInch);
}

// ---- Clipping ----

void CDeviceContext::SelectClipRect(const CRect& device) {
    SelectClipRegion({&device, 1});
}

void CDeviceContext::SelectClipRegion(std::span<const CRect> device) {
    m_clip.clear();
    if (!m_section)
        return;
    for (const CRect& rect : device) {
        const CRect inside = rect.Intersect(m_section->Bounds());
        if (!inside.IsEmpty())
            m_clip.push_back(inside);
    }
}

void CDeviceContext::ResetClip() {
    m_clip.clear();
    if (m_section)
        m_clip.push_back(m_section->Bounds());
}

CRect CDeviceContext::GetClipBox() const {
    CRect box;
    for (const CRect& rect : m_clip)
        box = box.Union(rect);
    return box.IsEmpty() ? CRect{} : box.Offset(-m_origin.x, -m_origin.y);
}

bool CDeviceContext::DeviceVisible(int32_t deviceX, int32_t deviceY) const {
    return std::ranges::any_of(m_clip,
                               [&](const CRect& rect) { return rect.Contains(deviceX, deviceY); });
}

bool CDeviceContext::PtVisible(int32_t x, int32_t y) const {
    return DeviceVisible(x + m_origin.x, y + m_origin.y);
}

// ---- Colours and objects ----

const CPalette* CDeviceContext::SelectPalette(const CPalette* palette) {
    return std::exchange(m_palette, palette);
}

int CDeviceContext::RealizePalette() {
    if (!m_section || !m_palette)
        return 0;
    const auto wanted = m_palette->ToColorTable();
    const auto current = m_section->ColorTable();
    int changed = 0;
    for (size_t i = 0; i < wanted.size(); ++i)
        changed += !(wanted[i] == current[i]);
    if (changed > 0)
        m_section->SetColorTable(wanted);
    return changed;
}

uint8_t CDeviceContext::GetNearestPaletteIndex(ColorRef color) const {
    if (!m_section)
        return 0;
    return CInverseColorTable::Nearest(m_section->ColorTable(), RedOf(color), GreenOf(color),
                                       BlueOf(color));
}

ColorRef CDeviceContext::GetNearestColor(ColorRef color) const {
    if (!m_section)
        return color;
    const CRgbQuad& e = m_section->ColorTable()[GetNearestPaletteIndex(color)];
    return MakeColorRef(e.red, e.green, e.blue);
}

CPen CDeviceContext::SelectPen(const CPen& pen) {
    return std::exchange(m_pen, pen);
}
CBrush CDeviceContext::SelectBrush(const CBrush& brush) {
    return std::exchange(m_brush, brush);
}
CFont* CDeviceContext::SelectFont(CFont* font) {
    return std::exchange(m_font, font);
}
ColorRef CDeviceContext::SetTextColor(ColorRef color) {
    return std::exchange(m_textColor, color);
}

// ---- Pixels and spans ----

uint8_t* CDeviceContext::PixelAddress(int32_t deviceX, int32_t deviceY) const {
    return m_section->Row(deviceY) + deviceX;
}

void CDeviceContext::FillSpan(int32_t y, int32_t x0, int32_t x1, uint8_t index) {
    // Overlapping clip rectangles fill some pixels twice with the same value,
    // which is harmless for solid fills.
    for (const CRect& rect : m_clip) {
        if (y < rect.top || y >= rect.bottom)
            continue;
        const int32_t from = std::max(x0, rect.left);
        const int32_t to = std::min(x1, rect.right);
        if (from < to)
            std::memset(PixelAddress(from, y), index, static_cast<size_t>(to - from));
    }
}

void CDeviceContext::FillDeviceRect(const CRect& device, uint8_t index) {
    if (!m_section || device.IsEmpty())
        return;
    const CRect box = device.Intersect(m_section->Bounds());
    for (int32_t y = box.top; y < box.bottom; ++y)
        FillSpan(y, box.left, box.right, index);
}

void CDeviceContext::SetPixel(int32_t x, int32_t y, ColorRef color) {
    const int32_t dx = x + m_origin.x;
    const int32_t dy = y + m_origin.y;
    if (m_section && DeviceVisible(dx, dy))
        *PixelAddress(dx, dy) = GetNearestPaletteIndex(color);
}

void CDeviceContext::FillRect(const CRect& rect, const CBrush& brush) {
    if (brush.style == BrushStyle::Hollow || !m_section)
        return;
    FillDeviceRect(rect.Offset(m_origin.x, m_origin.y), GetNearestPaletteIndex(brush.color));
}

// ---- Shapes ----

void CDeviceContext::Rectangle(const CRect& rect) {
    if (!m_section)
        return;
    const CRect device = rect.Offset(m_origin.x, m_origin.y);
    if (m_pen.style == PenStyle::Null) {
        FillRect({rect.left, rect.top, rect.right - 1, rect.bottom - 1}, m_brush);
        return;
    }
    if (m_brush.style == BrushStyle::Solid)
        FillDeviceRect({device.left + 1, device.top + 1, device.right - 1, device.bottom - 1},
                       GetNearestPaletteIndex(m_brush.color));
    const CPoint corners[] = {{rect.left, rect.top},
                              {rect.right - 1, rect.top},
                              {rect.right - 1, rect.bottom - 1},
                              {rect.left, rect.bottom - 1},
                              {rect.left, rect.top}};
    for (size_t i = 0; i + 1 < std::size(corners); ++i)
        DrawLine(corners[i], corners[i + 1]);
}

void CDeviceContext::Ellipse(const CRect& rect) {
    if (!m_section)
        return;
    CRect device = rect.Offset(m_origin.x, m_origin.y);
    if (m_pen.style == PenStyle::Null) {
        device.right -= 1;
        device.bottom -= 1;
    }
    if (m_brush.style == BrushStyle::Solid)
        FillEllipse(device, 0, GetNearestPaletteIndex(m_brush.color), EllipsePart::Inside);
    if (m_pen.style == PenStyle::Solid)
        FillEllipse(device, std::max(1, m_pen.width), GetNearestPaletteIndex(m_pen.color),
                    EllipsePart::Ring);
}

// Pixels whose centres lie inside the ellipse inscribed in device; for the ring,
// only those not inside the ellipse shrunk by inset on every side.
void CDeviceContext::FillEllipse(const CRect& device, int32_t inset, uint8_t index,
                                 EllipsePart part) {
    if (device.IsEmpty())
        return;
    const double cx = (device.left + device.right) / 2.0;
    const double cy = (device.top + device.bottom) / 2.0;
    const double a = device.Width() / 2.0;
    const double b = device.Height() / 2.0;
    const auto inside = [&](double x, double y, double ra, double rb) {
        if (ra <= 0 || rb <= 0)
            return false;
        const double u = (x - cx) / ra;
        const double v = (y - cy) / rb;
        return u * u + v * v <= 1.0;
    };
    for (int32_t y = device.top; y < device.bottom; ++y) {
        for (int32_t x = device.left; x < device.right; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            if (!inside(px, py, a, b))
                continue;
            if (part == EllipsePart::Ring && inside(px, py, a - inset, b - inset))
                continue;
            FillSpan(y, x, x + 1, index);
        }
    }
}

void CDeviceContext::StampPen(int32_t deviceX, int32_t deviceY, int32_t width, uint8_t index) {
    const int32_t before = (width - 1) / 2;
    for (int32_t y = deviceY - before; y < deviceY - before + width; ++y) {
        if (y >= 0 && y < m_section->Height())
            FillSpan(y, deviceX - before, deviceX - before + width, index);
    }
}

void CDeviceContext::DrawLine(CPoint from, CPoint to) {
    if (!m_section || m_pen.style == PenStyle::Null)
        return;
    const uint8_t index = GetNearestPaletteIndex(m_pen.color);
    const int32_t width = std::max(1, m_pen.width);
    int32_t x = from.x + m_origin.x;
    int32_t y = from.y + m_origin.y;
    const int32_t endX = to.x + m_origin.x;
    const int32_t endY = to.y + m_origin.y;
    const int32_t dx = std::abs(endX - x);
    const int32_t dy = -std::abs(endY - y);
    const int32_t stepX = x < endX ? 1 : -1;
    const int32_t stepY = y < endY ? 1 : -1;
    int32_t error = dx + dy;
    // Bresenham's walk; the end point itself is left for the next segment.
    while (x != endX || y != endY) {
        StampPen(x, y, width, index);
        const int32_t doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void CDeviceContext::LineTo(int32_t x, int32_t y) {
    DrawLine(m_current, {x, y});
    m_current = {x, y};
}

void CDeviceContext::Polyline(std::span<const CPoint> points) {
    for (size_t i = 0; i + 1 < points.size(); ++i)
        DrawLine(points[i], points[i + 1]);
}

// ---- Text ----

int32_t CDeviceContext::GetTextExtent(std::string_view text) const {
    if (!m_font)
        return 0;
    int32_t extent = 0;
    for (char ch : text)
        extent += m_font->Advance(static_cast<uint8_t>(ch));
    return extent;
}

int32_t CDeviceContext::GetTextFit(std::string_view text, int32_t maxWidth) const {
    if (!m_font)
        return 0;
    int32_t extent = 0;
    int32_t count = 0;
    for (char ch : text) {
        extent += m_font->Advance(static_cast<uint8_t>(ch));
        if (extent > maxWidth)
            break;
        ++count;
    }
    return count;
}

CTextMetrics CDeviceContext::GetTextMetrics() const {
    return m_font ? m_font->Metrics() : CTextMetrics{};
}

void CDeviceContext::TextOut(int32_t x, int32_t y, std::string_view text) {
    if (!m_section || !m_font || text.empty())
        return;
    const int32_t dx = x + m_origin.x;
    const int32_t dy = y + m_origin.y;
    DrawGlyphs(dx, dy, text);
    if (m_font->LogFont().underline) {
        const int32_t top = dy + m_font->UnderlineTop();
        FillDeviceRect({dx, top, dx + GetTextExtent(text), top + m_font->UnderlineThickness()},
                       GetNearestPaletteIndex(m_textColor));
    }
}

// Each glyph pixel mixes the text colour into the colour beneath by its
// coverage; the mix goes back to the palette through the inverse table.
void CDeviceContext::DrawGlyphs(int32_t deviceX, int32_t deviceY, std::string_view text) {
    const uint8_t solid = GetNearestPaletteIndex(m_textColor);
    const auto colors = m_section->ColorTable();
    const CInverseColorTable& inverse = m_section->InverseTable();
    const int red = RedOf(m_textColor);
    const int green = GreenOf(m_textColor);
    const int blue = BlueOf(m_textColor);
    const auto mix = [](int under, int over, int alpha) {
        return static_cast<uint8_t>((under * (255 - alpha) + over * alpha + 127) / 255);
    };
    const int32_t baseline = deviceY + m_font->Metrics().ascent;
    int32_t penX = deviceX;
    for (char ch : text) {
        const CGlyph& glyph = m_font->Glyph(static_cast<uint8_t>(ch));
        for (int32_t row = 0; row < glyph.rows; ++row) {
            const int32_t y = baseline - glyph.top + row;
            for (int32_t col = 0; col < glyph.width; ++col) {
                const int alpha = glyph.coverage[static_cast<size_t>(row * glyph.width + col)];
                const int32_t x = penX + glyph.left + col;
                if (alpha == 0 || !DeviceVisible(x, y))
                    continue;
                uint8_t* pixel = PixelAddress(x, y);
                if (alpha == 255) {
                    *pixel = solid;
                    continue;
                }
                const CRgbQuad& under = colors[*pixel];
                *pixel = inverse.Lookup(mix(under.red, red, alpha), mix(under.green, green, alpha),
                                        mix(under.blue, blue, alpha));
            }
        }
        penX += glyph.advance;
    }
}

// ---- Copies ----

// Source index -> destination index; the identity when both sections share
// one colour table, the nearest colour otherwise.
std::vector<uint8_t> CDeviceContext::TranslationFrom(const CDeviceContext& source) const {
    std::vector<uint8_t> map(256);
    const auto from = source.m_section->ColorTable();
    const auto to = m_section->ColorTable();
    const bool same = std::ranges::equal(from, to);
    for (size_t i = 0; i < map.size(); ++i)
        map[i] = same ? static_cast<uint8_t>(i)
                      : CInverseColorTable::Nearest(to, from[i].red, from[i].green, from[i].blue);
    return map;
}

void CDeviceContext::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height,
                            const CDeviceContext& source, int32_t sx, int32_t sy, BlitMode mode) {
    if (!m_section || !source.m_section || width <= 0 || height <= 0)
        return;
    const std::vector<uint8_t> map = TranslationFrom(source);
    const int32_t shiftX = (sx + source.m_origin.x) - (x + m_origin.x);
    const int32_t shiftY = (sy + source.m_origin.y) - (y + m_origin.y);
    // The destination area whose source pixels exist.
    const CRect wanted = CRect{x, y, x + width, y + height}.Offset(m_origin.x, m_origin.y);
    const CRect area = wanted.Intersect(source.m_section->Bounds().Offset(-shiftX, -shiftY));
    for (const CRect& clip : m_clip) {
        const CRect part = area.Intersect(clip);
        for (int32_t row = part.top; row < part.bottom; ++row) {
            const uint8_t* from = source.m_section->Row(row + shiftY) + shiftX;
            uint8_t* to = PixelAddress(0, row);
            for (int32_t col = part.left; col < part.right; ++col) {
                const uint8_t value = from[col];
                if (mode == BlitMode::SkipMarker && value == kTransparentMarker)
                    continue;
                to[col] = map[value];
            }
        }
    }
}

void CDeviceContext::StretchBlt(const CRect& destination, const CDeviceContext& source,
                                const CRect& from) {
    if (!m_section || !source.m_section || destination.IsEmpty() || from.IsEmpty())
        return;
    const std::vector<uint8_t> map = TranslationFrom(source);
    const CRect device = destination.Offset(m_origin.x, m_origin.y);
    const CRect sourceBounds = source.m_section->Bounds();
    for (const CRect& clip : m_clip) {
        const CRect part = device.Intersect(clip);
        for (int32_t row = part.top; row < part.bottom; ++row) {
            const int64_t sy = from.top + source.m_origin.y +
                               int64_t{row - device.top} * from.Height() / device.Height();
            for (int32_t col = part.left; col < part.right; ++col) {
                const int64_t sx = from.left + source.m_origin.x +
                                   int64_t{col - device.left} * from.Width() / device.Width();
                if (!sourceBounds.Contains(static_cast<int32_t>(sx), static_cast<int32_t>(sy)))
                    continue;
                *PixelAddress(col, row) = map[source.m_section->Pixel(static_cast<int32_t>(sx),
                                                                      static_cast<int32_t>(sy))];
            }
        }
    }
}

void CDeviceContext::DrawIcon(int32_t x, int32_t y, const CIcon& icon) {
    if (!m_section)
        return;
    for (int32_t row = 0; row < icon.Height(); ++row) {
        for (int32_t col = 0; col < icon.Width(); ++col) {
            const int32_t dx = x + col + m_origin.x;
            const int32_t dy = y + row + m_origin.y;
            if (!icon.IsOpaqueAt(col, row) || !DeviceVisible(dx, dy))
                continue;
            const uint8_t* rgba = icon.Pixel(col, row);
            *PixelAddress(dx, dy) = GetNearestPaletteIndex(MakeColorRef(rgba[0], rgba[1], rgba[2]));
        }
    }
}
