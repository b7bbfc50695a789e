#include "images/CSharedPalette.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFontCache.h"
#include "platform/gdi/CIcon.h"
#include "platform/gdi/CPngWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kNormal = 3;

struct Line {
    uint32_t style;
    uint32_t rrggbb;
    const char* text;
};

// Draws a sample of every face, style and size on the shared palette and
// writes it where a person can look at it; the assertions check that each
// line left ink inside its own band.
TEST(TextPicture, EveryFaceStyleAndSizeIsDrawnAndSaved) {
    auto section = CDibSection::Create(640, 420, CSharedPalette::ColorTable());
    ASSERT_TRUE(section);
    section->Fill(255);
    CDeviceContext dc(*section);
    CFontCache fonts(dc);
    const Line lines[] = {
        {1, 0x000000, "Size 1: The quick brown fox jumps over the lazy dog."},
        {2, 0x000000, "Size 2: The quick brown fox jumps over the lazy dog."},
        {kNormal, 0x000000, "Size 3: Times New Roman, the page's normal text."},
        {kNormal | FontStyle::Bold, 0x000000, "Bold: Pack my box with five dozen liquor jugs."},
        {kNormal | FontStyle::Italic, 0x000000, "Italic: Sphinx of black quartz, judge my vow."},
        {kNormal | FontStyle::InLink, 0x0000FF, "A link: underlined, in the link colour"},
        {kNormal | FontStyle::Fixed, 0x000000, "Courier New: fixed pitch 0123456789 {}[]"},
        {kNormal | FontStyle::Fixed | FontStyle::Bold | FontStyle::Italic, 0x800000,
         "Courier bold italic: int main() { return 0; }"},
        {4, 0x008000, "Size 4: H\xe9las, na\xefve caf\xe9 \x93quoted\x94 \x80 5"},
        {5, 0x000000, "Size 5: Vestrial"},
        {6 | FontStyle::Bold, 0xCC0000, "Size 6 bold"},
        {7 | FontStyle::Italic, 0x000080, "Size 7 italic"},
    };
    int32_t y = 4;
    for (const Line& line : lines) {
        fonts.Select(line.style);
        dc.SetTextColor(ColorRefFromRrggbb(line.rrggbb));
        dc.TextOut(8, y, line.text);
        const int32_t height = fonts.GetAscent() + fonts.GetDescent();
        int ink = 0;
        for (int32_t row = y; row < y + height && row < section->Height(); ++row) {
            for (int32_t x = 0; x < section->Width(); ++x)
                ink += section->Pixel(x, row) != 255;
        }
        EXPECT_GT(ink, 30) << line.text;
        y += height + fonts.Metrics().externalLeading + 2;
    }
    EXPECT_LE(y, section->Height());

    const std::string path = testing::TempDir() + "vestrial-text-sample.png";
    ASSERT_TRUE(CPngWriter::WriteFile(*section, path));
    std::printf("text sample written to %s\n", path.c_str());
}

} // namespace
