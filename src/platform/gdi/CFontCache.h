#pragma once

#include "platform/gdi/CFont.h"
#include "platform/gdi/CLogFont.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

class CDeviceContext;

// The bits of a text style word that choose a font: a size index 0-7 in the
// low four bits, then bold, italic, underline, link and fixed pitch. The same
// values as the element list's TextStyle.
namespace FontStyle {
inline constexpr uint32_t SizeMask = 0x00F;
inline constexpr uint32_t Bold = 0x010;
inline constexpr uint32_t Italic = 0x020;
inline constexpr uint32_t Underline = 0x040;
inline constexpr uint32_t InLink = 0x080;
inline constexpr uint32_t Fixed = 0x100;
} // namespace FontStyle

// Turns a text style word into a font selected into one device context, and
// answers measuring questions in that font. Layout keeps one for measuring,
// the view's painter one for drawing, kept from paint to paint with its
// section; each is used by one thread at a time.
class CFontCache {
public:
    explicit CFontCache(CDeviceContext& context);
    ~CFontCache();
    CFontCache(const CFontCache&) = delete;
    CFontCache& operator=(const CFontCache&) = delete;

    // The font a style asks for on a device of pixelsPerInch.
    [[nodiscard]] static CLogFont LogFontForStyle(uint32_t style, int32_t pixelsPerInch);

    // Makes style's font the context's font; nothing happens when it already
    // is, which is most of the times layout asks.
    void Select(uint32_t style) {
        if (m_style != int64_t{style})
            Switch(style);
    }
    [[nodiscard]] int64_t CurrentStyle() const { return m_style; }
    [[nodiscard]] const CTextMetrics& Metrics() const { return m_metrics; }
    [[nodiscard]] int32_t GetAscent() const { return m_metrics.ascent; }
    [[nodiscard]] int32_t GetDescent() const { return m_metrics.descent; }
    [[nodiscard]] int32_t GetMaxCharWidth() const { return m_metrics.maxCharWidth; }
    [[nodiscard]] int32_t GetRunWidth(std::string_view text) const;
    [[nodiscard]] int32_t GetFitCount(std::string_view text, int32_t width) const;

private:
    void Switch(uint32_t style);

    CDeviceContext& m_context;
    int64_t m_style = -1; // -1 until the first Select
    CTextMetrics m_metrics;
    // Fonts already made for this context, so that switching back and forth
    // between styles, as every line of a page does, opens no face again.
    std::map<uint32_t, std::unique_ptr<CFont>> m_fonts;
    CFont* m_previous = nullptr; // the context's font before the first Select
};
