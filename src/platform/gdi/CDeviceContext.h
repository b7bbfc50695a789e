#pragma once

#include "platform/gdi/CBrush.h"
#include "platform/gdi/CLogFont.h"
#include "platform/gdi/CPen.h"
#include "platform/gdi/CTextMetrics.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class CDibSection;
class CFont;
class CIcon;
class CPalette;

enum class BlitMode : uint8_t {
    Copy,
    // Leaves the destination where the source holds the transparent marker
    // byte 1, the value pictures use for pixels they do not draw.
    SkipMarker,
};

// Drawing on an 8-bit section, or measuring only (an information context,
// which has no section and draws nothing). Drawing calls take logical
// coordinates: device = logical + viewport origin. The clip region is given
// in device coordinates and is always kept inside the section. Colours are
// matched to the nearest entry of the section's colour table. Used by one
// thread at a time.
class CDeviceContext {
public:
    static constexpr int32_t kDefaultPixelsPerInch = 96;
    static constexpr uint8_t kTransparentMarker = 1;

    explicit CDeviceContext(CDibSection& section, int32_t pixelsPerInch = kDefaultPixelsPerInch);
    [[nodiscard]] static CDeviceContext
    InformationContext(int32_t pixelsPerInch = kDefaultPixelsPerInch);

    [[nodiscard]] CDibSection* Section() const { return m_section; }
    [[nodiscard]] int32_t PixelsPerInch() const { return m_pixelsPerInch; }
    [[nodiscard]] bool IsPrinting() const { return m_printing; }
    void SetPrinting(bool printing) { m_printing = printing; }

    void SetViewportOrg(CPoint origin) { m_origin = origin; }
    [[nodiscard]] CPoint GetViewportOrg() const { return m_origin; }

    // Clipping, in device coordinates. The region is the union of rects.
    void SelectClipRect(const CRect& device);
    void SelectClipRegion(std::span<const CRect> device);
    void ResetClip();
    // The smallest rectangle around what can be drawn, in logical coordinates.
    [[nodiscard]] CRect GetClipBox() const;
    [[nodiscard]] bool PtVisible(int32_t x, int32_t y) const;

    // The palette whose colours RealizePalette puts into the section's
    // colour table; not owned, and kept alive by the caller (the shared
    // palette lives until exit). Returns the previous one.
    const CPalette* SelectPalette(const CPalette* palette);
    // Returns the number of colour-table entries that changed.
    int RealizePalette();

    [[nodiscard]] uint8_t GetNearestPaletteIndex(ColorRef color) const;
    [[nodiscard]] ColorRef GetNearestColor(ColorRef color) const;

    CPen SelectPen(const CPen& pen);
    CBrush SelectBrush(const CBrush& brush);
    // The font stays owned by the caller; the previous one is returned.
    CFont* SelectFont(CFont* font);
    [[nodiscard]] CFont* GetFont() const { return m_font; }
    ColorRef SetTextColor(ColorRef color);

    void SetPixel(int32_t x, int32_t y, ColorRef color);
    void FillRect(const CRect& rect, const CBrush& brush);
    // Outline with the pen, inside with the brush. Without a pen the filled
    // area loses its right column and bottom row, as on the original
    // platform; callers that want the whole rectangle grow it by one.
    void Rectangle(const CRect& rect);
    void Ellipse(const CRect& rect);
    void MoveTo(int32_t x, int32_t y) { m_current = {x, y}; }
    // Draws from the current position up to, not including, (x, y).
    void LineTo(int32_t x, int32_t y);
    void Polyline(std::span<const CPoint> points);

    // Text with its cell's top-left corner at (x, y), no background, in the
    // selected font and the text colour.
    void TextOut(int32_t x, int32_t y, std::string_view text);
    [[nodiscard]] int32_t GetTextExtent(std::string_view text) const;
    // The number of leading characters whose extent fits in maxWidth.
    [[nodiscard]] int32_t GetTextFit(std::string_view text, int32_t maxWidth) const;
    [[nodiscard]] CTextMetrics GetTextMetrics() const;

    // Copies width x height pixels from source's logical (sx, sy) to this
    // context's logical (x, y). Source pixels outside its section are not
    // copied.
    void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const CDeviceContext& source,
                int32_t sx, int32_t sy, BlitMode mode = BlitMode::Copy);
    // Scales a source rectangle to a destination rectangle by picking the
    // nearest source pixel. Non-positive sizes draw nothing.
    void StretchBlt(const CRect& destination, const CDeviceContext& source, const CRect& from);
    void DrawIcon(int32_t x, int32_t y, const CIcon& icon);

private:
    CDeviceContext(CDibSection* section, int32_t pixelsPerInch);

    [[nodiscard]] uint8_t* PixelAddress(int32_t deviceX, int32_t deviceY) const;
    [[nodiscard]] bool DeviceVisible(int32_t deviceX, int32_t deviceY) const;
    // Fills [x0, x1) of device row y, inside the clip region.
    void FillSpan(int32_t y, int32_t x0, int32_t x1, uint8_t index);
    void FillDeviceRect(const CRect& device, uint8_t index);
    void StampPen(int32_t deviceX, int32_t deviceY, int32_t width, uint8_t index);
    void DrawLine(CPoint from, CPoint to);
    enum class EllipsePart : uint8_t { Inside, Ring };
    void FillEllipse(const CRect& device, int32_t inset, uint8_t index, EllipsePart part);
    void DrawGlyphs(int32_t deviceX, int32_t deviceY, std::string_view text);
    [[nodiscard]] std::vector<uint8_t> TranslationFrom(const CDeviceContext& source) const;

    CDibSection* m_section; // not owned; null for an information context
    int32_t m_pixelsPerInch;
    bool m_printing = false;
    CPoint m_origin;
    std::vector<CRect> m_clip; // device coordinates, inside the section
    CPen m_pen = CPen::Black();
    CBrush m_brush = CBrush::White();
    CFont* m_font = nullptr;             // not owned
    const CPalette* m_palette = nullptr; // not owned
    ColorRef m_textColor = 0;
    CPoint m_current;
};
