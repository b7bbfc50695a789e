#include "platform/gdi/CFont.h"

#include "platform/Verify.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace {

// The cell height the platform picks when a caller asks for height 0.
constexpr int32_t kDefaultCellHeight = 16;

struct VerticalUnits {
    double ascent = 0;  // font units above the baseline
    double descent = 0; // font units below it, positive
    double lineGap = 0;
};

// The windows ascent and descent from the OS/2 table are what character
// cells are measured in; fonts without that table fall back to the face's
// ascender and descender.
VerticalUnits VerticalUnitsOf(FT_Face face) {
    VerticalUnits units{static_cast<double>(face->ascender), -static_cast<double>(face->descender),
                        0};
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        units.ascent = os2->usWinAscent;
        units.descent = os2->usWinDescent;
    }
    if (const auto* hhea =
            static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
        // Leading beyond the cell: the line gap less what the windows metrics
        // already add over the typographic ascender and descender.
        const double extra = (units.ascent + units.descent) - (hhea->Ascender - hhea->Descender);
        units.lineGap = std::max(0.0, hhea->Line_Gap - extra);
    }
    return units;
}

int32_t Round(double value) {
    return static_cast<int32_t>(std::lround(value));
}

} // namespace

std::unique_ptr<CFont> CFont::Create(const CLogFont& logFont) {
    CFontResolver& resolver = CFontResolver::Get();
    CFontResolver::FacePtr face = resolver.OpenFace(resolver.Resolve(logFont));
    if (!face)
        return nullptr;
    return std::make_unique<CFont>(CreateKey{}, logFont, std::move(face));
}

CFont::CFont(CreateKey, const CLogFont& logFont, CFontResolver::FacePtr face)
    : m_logFont(logFont), m_face(std::move(face)) {
    m_advances.fill(UnknownAdvance);
    ComputeMetrics();
    ComputeUnderline();
}

void CFont::ComputeMetrics() {
    FT_Face face = m_face.get();
    const VerticalUnits units = VerticalUnitsOf(face);
    const double unitsPerEm = face->units_per_EM;
    const double cellUnits = units.ascent + units.descent;
    CTextMetrics& m = m_metrics;
    if (m_logFont.height >= 0) {
        m.height = m_logFont.height == 0 ? kDefaultCellHeight : m_logFont.height;
        m_ppem = m.height * unitsPerEm / cellUnits;
        m.ascent = Round(units.ascent * m_ppem / unitsPerEm);
    } else {
        m_ppem = -m_logFont.height;
        m.ascent = Round(units.ascent * m_ppem / unitsPerEm);
        m.height = m.ascent + Round(units.descent * m_ppem / unitsPerEm);
    }
    m.descent = m.height - m.ascent;
    m.internalLeading = std::max(0, m.height - Round(m_ppem));
    m.externalLeading = Round(units.lineGap * m_ppem / unitsPerEm);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    m.aveCharWidth = os2 ? Round(os2->xAvgCharWidth * m_ppem / unitsPerEm) : Round(m_ppem / 2);
    m.maxCharWidth = Round(face->max_advance_width * m_ppem / unitsPerEm);
    m.weight = m_logFont.weight;
    m.italic = m_logFont.italic;
    m.underlined = m_logFont.underline;
    m.pitch = FT_IS_FIXED_WIDTH(face) ? FontPitch::Fixed : FontPitch::Variable;
    m.family = m_logFont.family;
    m.digitizedAspectX = m.digitizedAspectY = 96;
    VERIFY(FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(m_ppem * 64)), 72, 72) ==
           0);
}

void CFont::ComputeUnderline() {
    FT_Face face = m_face.get();
    const double scale = m_ppem / face->units_per_EM;
    m_underlineThickness = std::max(1, Round(face->underline_thickness * scale));
    // underline_position is the centre of the stroke, negative below the
    // baseline.
    const int32_t centre = m_metrics.ascent - Round(face->underline_position * scale);
    m_underlineTop = std::clamp(centre - m_underlineThickness / 2, 0,
                                std::max(0, m_metrics.height - m_underlineThickness));
}

char32_t CFont::ToUnicode(uint8_t ch) {
    return Windows1252ToUnicode(ch);
}

const CGlyph& CFont::Glyph(uint8_t ch) {
    auto& slot = m_glyphs[ch];
    if (!slot) {
        slot = Render(ch);
        m_advances[ch] = slot->advance;
    }
    return *slot;
}

CGlyph CFont::Render(uint8_t ch) {
    FT_Face face = m_face.get();
    CGlyph glyph;
    if (FT_Load_Char(face, ToUnicode(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        return glyph;
    const FT_GlyphSlot slot = face->glyph;
    glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
        return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.rows = static_cast<int32_t>(bitmap.rows);
    glyph.coverage.resize(size_t{bitmap.width} * bitmap.rows);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::copy_n(source, bitmap.width, glyph.coverage.begin() + row * bitmap.width);
    }
    return glyph;
}
