#pragma once

#include "platform/gdi/CFontResolver.h"
#include "platform/gdi/CLogFont.h"
#include "platform/gdi/CTextMetrics.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One rendered character: 8-bit coverage, placed relative to the pen
// position on the baseline (top counts upwards from the baseline).
struct CGlyph {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t rows = 0;
    int32_t advance = 0;
    std::vector<uint8_t> coverage;
};

// A font of one face, size and style, with metrics computed the way the
// original platform computed them for character-cell heights: ascent and
// descent add up to exactly the requested cell, which FreeType's own rounded
// metrics do not (they come out a pixel taller). Characters are bytes of the
// Windows Latin-1 code page. A font is used by one thread at a time.
class CFont {
    struct CreateKey {
        explicit CreateKey() = default;
    };

public:
    // Null when no scalable face answers for the logFont.
    [[nodiscard]] static std::unique_ptr<CFont> Create(const CLogFont& logFont);

    CFont(CreateKey, const CLogFont& logFont, CFontResolver::FacePtr face);
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    [[nodiscard]] const CLogFont& LogFont() const { return m_logFont; }
    [[nodiscard]] const CTextMetrics& Metrics() const { return m_metrics; }
    [[nodiscard]] const CGlyph& Glyph(uint8_t ch);
    // Measuring a line asks for every character's advance: they sit in a
    // table of their own, which the loop reads without touching the glyphs.
    [[nodiscard]] int32_t Advance(uint8_t ch) {
        const int32_t known = m_advances[ch];
        return known != UnknownAdvance ? known : Glyph(ch).advance;
    }

    // The underline's first row below the cell top, and its thickness.
    [[nodiscard]] int32_t UnderlineTop() const { return m_underlineTop; }
    [[nodiscard]] int32_t UnderlineThickness() const { return m_underlineThickness; }

    [[nodiscard]] static char32_t ToUnicode(uint8_t ch);

private:
    void ComputeMetrics();
    void ComputeUnderline();
    [[nodiscard]] CGlyph Render(uint8_t ch);

    CLogFont m_logFont;
    CFontResolver::FacePtr m_face;
    double m_ppem = 0;
    CTextMetrics m_metrics;
    int32_t m_underlineTop = 0;
    int32_t m_underlineThickness = 1;
    static constexpr int32_t UnknownAdvance = INT32_MIN;
    std::array<std::optional<CGlyph>, 256> m_glyphs;
    std::array<int32_t, 256> m_advances;
};
