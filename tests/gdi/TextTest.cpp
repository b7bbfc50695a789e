#include "GdiTestSupport.h"

#include "platform/Verify.h"
#include "platform/gdi/CFont.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

std::unique_ptr<CFont> MakeFont(const char* face, int32_t height, bool bold = false,
                                bool italic = false, bool underline = false) {
    CLogFont logFont;
    logFont.faceName = face;
    logFont.height = height;
    logFont.weight = bold ? kFontWeightBold : kFontWeightNormal;
    logFont.italic = italic;
    logFont.underline = underline;
    logFont.family = FontFamily::Roman;
    auto font = CFont::Create(logFont);
    VERIFY(font);
    return font;
}

struct TextCanvas : TestCanvas {
    std::unique_ptr<CFont> font;
    TextCanvas(std::unique_ptr<CFont> f, int32_t width = 200, int32_t height = 40)
        : TestCanvas(width, height), font(std::move(f)) {
        dc->SelectFont(font.get());
        dc->SetTextColor(kBlackColor);
    }
};

// ---- Placement ----

TEST(GdiText, InkStaysInsideTheCellFromTheTopLeftCorner) {
    for (const char* face : {"Times New Roman", "Courier New"}) {
        SCOPED_TRACE(face);
        TextCanvas canvas(MakeFont(face, 19));
        canvas.dc->TextOut(10, 5, "Hxg|");
        const int32_t extent = canvas.dc->GetTextExtent("Hxg|");
        const CRect ink = canvas.InkBox();
        ASSERT_FALSE(ink.IsEmpty());
        EXPECT_GE(ink.left, 10);
        EXPECT_LE(ink.right, 10 + extent + 1);
        EXPECT_GE(ink.top, 5);
        EXPECT_LE(ink.bottom, 5 + 19);
        // 'H' stands on the baseline: its bottom row is the last ascent row.
        bool baselineInk = false, belowBaselineInk = false;
        for (int32_t x = 10; x < 10 + canvas.font->Advance('H'); ++x) {
            baselineInk |= canvas.At(x, 5 + 15 - 1) != kWhite;
            belowBaselineInk |= canvas.At(x, 5 + 15) != kWhite;
        }
        if (std::string(face) == "Times New Roman") {
            EXPECT_TRUE(baselineInk);
            EXPECT_FALSE(belowBaselineInk);
        }
    }
}

TEST(GdiText, ViewportOriginMovesText) {
    TextCanvas a(MakeFont("Times New Roman", 19)), b(MakeFont("Times New Roman", 19));
    a.dc->TextOut(3, 2, "Ab");
    b.dc->SetViewportOrg({-50, -20});
    b.dc->TextOut(53, 22, "Ab");
    EXPECT_EQ(a.Dump(kBlack), b.Dump(kBlack));
}

TEST(GdiText, ClipCutsGlyphs) {
    TextCanvas whole(MakeFont("Times New Roman", 19)), cut(MakeFont("Times New Roman", 19));
    whole.dc->TextOut(0, 0, "WWWW");
    cut.dc->SelectClipRect({0, 0, 20, 10});
    cut.dc->TextOut(0, 0, "WWWW");
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 200; ++x) {
            const uint8_t expected = (x < 20 && y < 10) ? whole.At(x, y) : kWhite;
            ASSERT_EQ(cut.At(x, y), expected) << x << "," << y;
        }
    }
}

// ---- Anti-aliasing ----

TEST(GdiText, EdgesBlendThroughThePaletteGreys) {
    TextCanvas canvas(MakeFont("Times New Roman", 32));
    canvas.dc->TextOut(2, 2, "Sow");
    std::set<uint8_t> used;
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 200; ++x)
            used.insert(canvas.At(x, y));
    }
    EXPECT_TRUE(used.contains(kBlack));
    EXPECT_TRUE(used.contains(kWhite));
    // Black over white can only give greys; the test table's greys are 216+.
    int greys = 0;
    for (uint8_t index : used) {
        const CRgbQuad& c = canvas.section->ColorTable()[index];
        EXPECT_TRUE(c.red == c.green && c.green == c.blue) << int{index};
        greys += index >= 216 && index != 255;
    }
    EXPECT_GE(greys, 3);
}

TEST(GdiText, ColouredTextOnColouredGroundMixesBoth) {
    TextCanvas canvas(MakeFont("Times New Roman", 32));
    canvas.section->Fill(kBlue);
    canvas.dc->SetTextColor(kRedColor);
    canvas.dc->TextOut(2, 2, "Sow");
    bool solidRed = false, mixed = false;
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 200; ++x) {
            const CRgbQuad& c = canvas.section->ColorTable()[canvas.At(x, y)];
            solidRed |= canvas.At(x, y) == kRed;
            mixed |= c.red > 0 && c.blue > 0;
            EXPECT_EQ(c.green, 0) << x << "," << y;
        }
    }
    EXPECT_TRUE(solidRed);
    EXPECT_TRUE(mixed);
}

// ---- Styles ----

TEST(GdiText, UnderlineIsASolidRowAcrossTheRun) {
    TextCanvas canvas(MakeFont("Times New Roman", 19, false, false, true));
    canvas.dc->TextOut(4, 3, "a b");
    const int32_t extent = canvas.dc->GetTextExtent("a b");
    const int32_t row = 3 + canvas.font->UnderlineTop();
    EXPECT_GE(canvas.font->UnderlineTop(), canvas.font->Metrics().ascent);
    EXPECT_LT(canvas.font->UnderlineTop(), 19);
    for (int32_t x = 4; x < 4 + extent; ++x)
        EXPECT_EQ(canvas.At(x, row), kBlack) << x;
    EXPECT_EQ(canvas.At(3, row), kWhite);
    EXPECT_EQ(canvas.At(4 + extent, row), kWhite);
}

TEST(GdiText, BoldHasMoreInkAndItalicLeans) {
    TextCanvas regular(MakeFont("Times New Roman", 32));
    TextCanvas bold(MakeFont("Times New Roman", 32, true));
    TextCanvas italic(MakeFont("Times New Roman", 32, false, true));
    for (TextCanvas* c : {&regular, &bold, &italic})
        c->dc->TextOut(2, 2, "lll");
    // Darkness summed over the picture: the amount of ink, blends included.
    const auto darkness = [](const TextCanvas& c) {
        long sum = 0;
        for (int32_t y = 0; y < 40; ++y) {
            for (int32_t x = 0; x < 200; ++x)
                sum += 255 - c.section->ColorTable()[c.At(x, y)].green;
        }
        return sum;
    };
    EXPECT_GT(darkness(bold), darkness(regular) * 5 / 4);
    // An upright 'l' has the same left edge at its top and bottom; an
    // italic one starts further right at the top.
    const auto leftInk = [](const TextCanvas& c, int32_t y) {
        for (int32_t x = 0; x < 200; ++x) {
            if (c.At(x, y) == kBlack)
                return x;
        }
        return -1;
    };
    const int32_t top = 2 + 8, bottom = 2 + 24;
    EXPECT_EQ(leftInk(regular, top), leftInk(regular, bottom));
    EXPECT_GT(leftInk(italic, top), leftInk(italic, bottom) + 2);
}

TEST(GdiText, HighBytesAreWindowsLatin1) {
    EXPECT_EQ(CFont::ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(CFont::ToUnicode(0x93), U'\u201C');
    EXPECT_EQ(CFont::ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(CFont::ToUnicode('A'), U'A');
    TextCanvas canvas(MakeFont("Times New Roman", 19));
    canvas.dc->TextOut(2, 2, "\x80\xe9");
    EXPECT_GT(canvas.Ink(), 20);
}

TEST(GdiText, CodePageSignsAreDrawnWhereTheyAreMeasured) {
    for (const char* face : {"Times New Roman", "Courier New"}) {
        SCOPED_TRACE(face);
        for (int b = 0x80; b <= 0x9F; ++b) {
            if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
                continue; // unassigned in the code page
            const std::string sign(1, static_cast<char>(b));
            TextCanvas alone(MakeFont(face, 19), 80, 30);
            alone.dc->TextOut(10, 5, sign);
            EXPECT_GT(alone.Ink(), 2) << b;
            // The font's glyph, not its box for characters it lacks.
            TextCanvas missing(MakeFont(face, 19), 80, 30);
            missing.dc->TextOut(10, 5, "\x81");
            EXPECT_NE(alone.Dump(kBlack), missing.Dump(kBlack)) << b;
            // What follows the sign starts where measuring says it ends.
            TextCanvas together(MakeFont(face, 19), 80, 30);
            together.dc->TextOut(10, 5, sign + "|");
            alone.dc->TextOut(10 + alone.dc->GetTextExtent(sign), 5, "|");
            EXPECT_EQ(together.Dump(kBlack), alone.Dump(kBlack)) << b;
            EXPECT_EQ(together.dc->GetTextExtent(sign + "|"),
                      together.dc->GetTextExtent(sign) + together.dc->GetTextExtent("|"));
        }
    }
}

} // namespace
