#include "GdiTestSupport.h"

#include "platform/CThread.h"
#include "platform/gdi/CFont.h"
#include "platform/gdi/CFontCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kNormal = 3;

CLogFont MakeLogFont(const char* face, int32_t height, int32_t weight = kFontWeightNormal,
                     bool italic = false) {
    CLogFont logFont;
    logFont.faceName = face;
    logFont.height = height;
    logFont.weight = weight;
    logFont.italic = italic;
    logFont.family = std::string(face) == "Courier New" ? FontFamily::Modern : FontFamily::Roman;
    logFont.pitch = std::string(face) == "Courier New" ? FontPitch::Fixed : FontPitch::Variable;
    return logFont;
}

// ---- Faces ----

TEST(FontFaces, PageFacesResolveToTheirMetricCompatibleFaces) {
    struct Case {
        const char* face;
        int32_t weight;
        bool italic;
        const char* file;
    };
    const std::vector<Case> cases = {
        {"Times New Roman", kFontWeightNormal, false, "LiberationSerif-Regular"},
        {"Times New Roman", kFontWeightBold, false, "LiberationSerif-Bold."},
        {"Times New Roman", 599, false, "LiberationSerif-Regular"}, // bold from 600 on
        {"Times New Roman", 600, false, "LiberationSerif-Bold."},
        {"Times New Roman", kFontWeightNormal, true, "LiberationSerif-Italic"},
        {"Times New Roman", kFontWeightBold, true, "LiberationSerif-BoldItalic"},
        {"Courier New", kFontWeightNormal, false, "LiberationMono-Regular"},
        {"Courier New", kFontWeightBold, true, "LiberationMono-BoldItalic"},
    };
    // Twice over and at another size: the process keeps each match, under a
    // key that must tell weight, slant and face apart.
    for (int32_t cell : {19, 19, 32})
        for (const Case& c : cases) {
            const CFontFile file =
                CFontResolver::Get().Resolve(MakeLogFont(c.face, cell, c.weight, c.italic));
            EXPECT_NE(file.path.find(c.file), std::string::npos)
                << c.face << " " << c.weight << " -> " << file.path;
        }
}

// ---- Metrics ----

TEST(FontMetrics, CellHeightsGiveTheKnownAscentDescentAndWidth) {
    struct Case {
        const char* face;
        int32_t cell;
        int32_t ascent;
        int32_t descent;
        int32_t maxCharWidth;
    };
    const std::vector<Case> cases = {
        {"Times New Roman", 19, 15, 4, 18},
        {"Courier New", 19, 14, 5, 10},
        {"Times New Roman", 14, 11, 3, 13},
        {"Courier New", 32, 24, 8, 17},
    };
    for (const Case& c : cases) {
        auto font = CFont::Create(MakeLogFont(c.face, c.cell));
        ASSERT_TRUE(font);
        const CTextMetrics& m = font->Metrics();
        EXPECT_EQ(m.height, c.cell) << c.face;
        EXPECT_EQ(m.ascent, c.ascent) << c.face << " " << c.cell;
        EXPECT_EQ(m.descent, c.descent) << c.face << " " << c.cell;
        EXPECT_EQ(m.maxCharWidth, c.maxCharWidth) << c.face << " " << c.cell;
    }
}

TEST(FontMetrics, AscentPlusDescentIsTheCellForEveryFaceStyleAndSize) {
    for (const char* face : {"Times New Roman", "Courier New"}) {
        for (int32_t weight : {kFontWeightNormal, kFontWeightBold}) {
            for (bool italic : {false, true}) {
                for (int32_t cell = 6; cell <= 80; cell += 7) {
                    auto font = CFont::Create(MakeLogFont(face, cell, weight, italic));
                    ASSERT_TRUE(font);
                    const CTextMetrics& m = font->Metrics();
                    EXPECT_EQ(m.ascent + m.descent, cell) << face << " " << cell;
                    EXPECT_GE(m.internalLeading, 0);
                    EXPECT_LT(m.internalLeading, cell / 3 + 1);
                    EXPECT_GE(m.externalLeading, 0);
                    EXPECT_GT(m.aveCharWidth, 0);
                    EXPECT_GE(m.maxCharWidth, m.aveCharWidth);
                    EXPECT_EQ(m.weight, weight);
                    EXPECT_EQ(m.italic, italic);
                }
            }
        }
    }
}

TEST(FontMetrics, NegativeHeightIsTheEmHeight) {
    auto font = CFont::Create(MakeLogFont("Times New Roman", -16));
    ASSERT_TRUE(font);
    const CTextMetrics& m = font->Metrics();
    EXPECT_EQ(m.height - m.internalLeading, 16);
    EXPECT_EQ(m.ascent + m.descent, m.height);
}

TEST(FontMetrics, CourierIsFixedPitch) {
    auto font = CFont::Create(MakeLogFont("Courier New", 19));
    EXPECT_EQ(font->Metrics().pitch, FontPitch::Fixed);
    for (int ch = 0x20; ch < 0x7F; ++ch)
        EXPECT_EQ(font->Advance(static_cast<uint8_t>(ch)), font->Metrics().aveCharWidth) << ch;
    auto serif = CFont::Create(MakeLogFont("Times New Roman", 19));
    EXPECT_EQ(serif->Metrics().pitch, FontPitch::Variable);
    EXPECT_LT(serif->Advance('i'), serif->Advance('W'));
}

// ---- Run width and fit count ----

TEST(FontRuns, WidthIsTheSumOfAdvancesAndFitCountsWholeCharacters) {
    auto font = CFont::Create(MakeLogFont("Times New Roman", 19));
    CDeviceContext info = CDeviceContext::InformationContext();
    info.SelectFont(font.get());
    const std::string text = "Hello, world";
    int32_t sum = 0;
    for (char ch : text)
        sum += font->Advance(static_cast<uint8_t>(ch));
    EXPECT_EQ(info.GetTextExtent(text), sum);
    EXPECT_EQ(info.GetTextExtent(""), 0);

    const int32_t hello = info.GetTextExtent("Hello");
    const std::vector<std::pair<int32_t, int32_t>> fits = {
        {0, 0}, {hello - 1, 4}, {hello, 5}, {hello + 1, 5}, {sum, 12}, {10000, 12}, {-5, 0}};
    for (const auto& [width, count] : fits)
        EXPECT_EQ(info.GetTextFit(text, width), count) << width;
}

// Advances are kept apart from the glyphs: each of the 256 characters
// measures the same whether its advance or its glyph was asked for first.
TEST(FontRuns, AdvanceIsTheGlyphsWhicheverComesFirst) {
    auto measured = CFont::Create(MakeLogFont("Times New Roman", 19));
    auto drawn = CFont::Create(MakeLogFont("Times New Roman", 19));
    for (int ch = 0; ch < 256; ++ch) {
        const auto c = static_cast<uint8_t>(ch);
        const int32_t first = measured->Advance(c);
        EXPECT_EQ(first, measured->Glyph(c).advance) << ch;
        EXPECT_EQ(drawn->Glyph(c).advance, first) << ch;
        EXPECT_EQ(drawn->Advance(c), first) << ch;
    }
}

TEST(FontRuns, BoldTextIsWider) {
    auto regular = CFont::Create(MakeLogFont("Times New Roman", 19));
    auto bold = CFont::Create(MakeLogFont("Times New Roman", 19, kFontWeightBold));
    CDeviceContext info = CDeviceContext::InformationContext();
    info.SelectFont(regular.get());
    const int32_t narrow = info.GetTextExtent("The quick brown fox");
    info.SelectFont(bold.get());
    EXPECT_GT(info.GetTextExtent("The quick brown fox"), narrow);
}

// ---- Styles to fonts ----

TEST(FontCache, SizeIndexesGiveCellHeightsAtTheDeviceResolution) {
    const std::vector<std::tuple<uint32_t, int32_t, int32_t>> cases = {
        {1, 96, 14}, {2, 96, 15}, {3, 96, 19},  {4, 96, 21}, {5, 96, 32},
        {6, 96, 42}, {7, 96, 53}, {3, 120, 24}, {3, 72, 14}, {0, 96, 0},
    };
    for (const auto& [size, ppi, height] : cases)
        EXPECT_EQ(CFontCache::LogFontForStyle(size, ppi).height, height) << size << "@" << ppi;
}

TEST(FontCache, StyleBitsChooseFaceWeightSlantAndUnderline) {
    const CLogFont normal = CFontCache::LogFontForStyle(kNormal, 96);
    EXPECT_EQ(normal.faceName, "Times New Roman");
    EXPECT_EQ(normal.pitch, FontPitch::Variable);
    EXPECT_EQ(normal.family, FontFamily::Roman);
    EXPECT_EQ(normal.weight, 400);
    EXPECT_FALSE(normal.italic);
    EXPECT_FALSE(normal.underline);

    const CLogFont fixed = CFontCache::LogFontForStyle(kNormal | FontStyle::Fixed, 96);
    EXPECT_EQ(fixed.faceName, "Courier New");
    EXPECT_EQ(fixed.pitch, FontPitch::Fixed);
    EXPECT_EQ(fixed.family, FontFamily::Modern);

    EXPECT_EQ(CFontCache::LogFontForStyle(kNormal | FontStyle::Bold, 96).weight, 700);
    EXPECT_TRUE(CFontCache::LogFontForStyle(kNormal | FontStyle::Italic, 96).italic);
    EXPECT_TRUE(CFontCache::LogFontForStyle(kNormal | FontStyle::Underline, 96).underline);
    EXPECT_TRUE(CFontCache::LogFontForStyle(kNormal | FontStyle::InLink, 96).underline);
}

TEST(FontCache, SelectChangesTheContextFontOnlyWhenTheStyleChanges) {
    CDeviceContext info = CDeviceContext::InformationContext();
    CFontCache cache(info);
    EXPECT_EQ(cache.CurrentStyle(), -1);
    cache.Select(kNormal);
    CFont* first = info.GetFont();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.GetAscent(), 15);
    EXPECT_EQ(cache.GetDescent(), 4);
    EXPECT_EQ(cache.GetMaxCharWidth(), 18);
    cache.Select(kNormal);
    EXPECT_EQ(info.GetFont(), first);

    cache.Select(kNormal | FontStyle::Fixed);
    EXPECT_NE(info.GetFont(), first);
    EXPECT_EQ(cache.GetAscent(), 14);
    EXPECT_EQ(cache.GetRunWidth("abcd"), 40);
    EXPECT_EQ(cache.GetFitCount("abcdef", 35), 3);
    EXPECT_EQ(cache.Metrics().pitch, FontPitch::Fixed);
}

TEST(FontCache, LeavesTheContextAsItFoundItWhenDestroyed) {
    CDeviceContext info = CDeviceContext::InformationContext();
    {
        CFontCache cache(info);
        cache.Select(kNormal | FontStyle::Bold);
        EXPECT_NE(info.GetFont(), nullptr);
    }
    EXPECT_EQ(info.GetFont(), nullptr);
}

// Layout measures on its own thread while the UI thread draws: each has its
// own cache, and both open faces through the one FreeType library.
TEST(FontCache, CachesOnTwoThreadsMeasureAlike) {
    const std::string text = "Measured on two threads at once";
    const uint32_t styles[] = {kNormal, kNormal | FontStyle::Bold, 5 | FontStyle::Italic,
                               kNormal | FontStyle::Fixed, 1 | FontStyle::InLink};
    const auto measure = [&](std::vector<int32_t>& widths) {
        for (int round = 0; round < 20; ++round) {
            CDeviceContext info = CDeviceContext::InformationContext();
            CFontCache cache(info);
            for (uint32_t style : styles) {
                cache.Select(style);
                widths.push_back(cache.GetRunWidth(text));
            }
        }
    };
    std::vector<int32_t> alone, first, second;
    measure(alone);
    {
        CThread a([&] { measure(first); });
        CThread b([&] { measure(second); });
    }
    EXPECT_EQ(first, alone);
    EXPECT_EQ(second, alone);
}

} // namespace
