#include "platform/gdi/CFontCache.h"

#include "platform/Verify.h"
#include "platform/gdi/CDeviceContext.h"

#include <array>

namespace {

// Point sizes in tenths of a point for size indexes 0-7.
constexpr std::array<int32_t, 8> kTenthsOfPoint = {0, 110, 119, 145, 160, 240, 320, 400};
constexpr int32_t kTenthsPerInch = 720;

} // namespace

CFontCache::CFontCache(CDeviceContext& context) : m_context(context) {}

CFontCache::~CFontCache() {
    if (m_style >= 0)
        m_context.SelectFont(m_previous);
}

CLogFont CFontCache::LogFontForStyle(uint32_t style, int32_t pixelsPerInch) {
    CLogFont logFont;
    const uint32_t sizeIndex = style & FontStyle::SizeMask;
    const int32_t tenths = sizeIndex < kTenthsOfPoint.size() ? kTenthsOfPoint[sizeIndex] : 0;
    logFont.height = tenths * pixelsPerInch / kTenthsPerInch;
    if (style & FontStyle::Fixed) {
        logFont.faceName = "Courier New";
        logFont.pitch = FontPitch::Fixed;
        logFont.family = FontFamily::Modern;
    } else {
        logFont.faceName = "Times New Roman";
        logFont.pitch = FontPitch::Variable;
        logFont.family = FontFamily::Roman;
    }
    logFont.weight = (style & FontStyle::Bold) ? kFontWeightBold : kFontWeightNormal;
    logFont.italic = (style & FontStyle::Italic) != 0;
    // Text in a link is always underlined.
    logFont.underline = (style & (FontStyle::Underline | FontStyle::InLink)) != 0;
    return logFont;
}

void CFontCache::Switch(uint32_t style) {
    auto& font = m_fonts[style];
    if (!font) {
        font = CFont::Create(LogFontForStyle(style, m_context.PixelsPerInch()));
        VERIFY(font);
    }
    CFont* before = m_context.SelectFont(font.get());
    if (m_style < 0)
        m_previous = before;
    m_style = style;
    m_metrics = font->Metrics();
}

int32_t CFontCache::GetRunWidth(std::string_view text) const {
    return m_context.GetTextExtent(text);
}

int32_t CFontCache::GetFitCount(std::string_view text, int32_t width) const {
    return m_context.GetTextFit(text, width);
}
