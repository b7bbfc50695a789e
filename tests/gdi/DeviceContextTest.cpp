#include "GdiTestSupport.h"

#include "platform/gdi/CIcon.h"
#include "platform/gdi/CInverseColorTable.h"
#include "platform/gdi/CPalette.h"
#include "platform/gdi/CPngWriter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// ---- Sections ----

TEST(GdiSection, RowsArePaddedToFourBytes) {
    const std::vector<std::pair<int32_t, int32_t>> cases = {{1, 4}, {3, 4},   {4, 4},
                                                            {5, 8}, {13, 16}, {800, 800}};
    for (const auto& [width, stride] : cases) {
        auto section = CDibSection::Create(width, 2, TestColorTable());
        ASSERT_TRUE(section);
        EXPECT_EQ(section->Stride(), stride) << width;
        EXPECT_EQ(section->Row(1) - section->Row(0), stride);
    }
}

TEST(GdiSection, RefusesSizesOutsideTheLimits) {
    for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{
             {0, 1}, {1, 0}, {-5, 10}, {CDibSection::kMaxDimension + 1, 1}}) {
        EXPECT_EQ(CDibSection::Create(w, h, TestColorTable()), nullptr) << w << "x" << h;
    }
}

TEST(GdiSection, ConvertsToRgbThroughTheColourTable) {
    auto section = CDibSection::Create(3, 2, TestColorTable());
    section->Row(0)[0] = kRed;
    section->Row(0)[1] = kGreen;
    section->Row(0)[2] = kBlue;
    section->Row(1)[0] = kWhite;
    section->Row(1)[1] = kBlack;
    section->Row(1)[2] = 216 + 39; // the last grey, white
    std::vector<uint8_t> rgb(18, 0x77);
    section->ConvertToRgb(rgb);
    const std::vector<uint8_t> expected = {255, 0,   0,   0, 255, 0, 0,   0,   255,
                                           255, 255, 255, 0, 0,   0, 255, 255, 255};
    EXPECT_EQ(rgb, expected);
    // A part of a row, as a window repaints a small area: nothing is written
    // past its pixels.
    std::vector<uint8_t> part(7, 0x77);
    section->ConvertRowToRgb(1, 1, 2, part);
    EXPECT_EQ(part, (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 0x77}));
}

// ---- Colours ----

TEST(GdiColour, NearestPaletteEntry) {
    TestCanvas canvas(4, 4);
    const std::vector<std::pair<ColorRef, uint8_t>> cases = {
        {kRedColor, kRed},
        {MakeColorRef(250, 10, 5), kRed},
        {MakeColorRef(0, 0, 0), kBlack},
        {MakeColorRef(255, 255, 255), kWhite},
        {MakeColorRef(0, 0, 250), kBlue},
        {MakeColorRef(51, 102, 153), 1 + 6 * 2 + 36 * 3},
    };
    for (const auto& [color, index] : cases) {
        EXPECT_EQ(canvas.dc->GetNearestPaletteIndex(color), index) << std::hex << color;
    }
    EXPECT_EQ(canvas.dc->GetNearestColor(MakeColorRef(250, 10, 5)), kRedColor);
}

TEST(GdiColour, PageColoursSwapRedAndBlue) {
    EXPECT_EQ(ColorRefFromRrggbb(0xFF0000), kRedColor);
    EXPECT_EQ(ColorRefFromRrggbb(0x0000FF), kBlueColor);
    EXPECT_EQ(ColorRefFromRrggbb(0x123456), MakeColorRef(0x12, 0x34, 0x56));
}

// Every cell of the inverse table is the exact nearest entry to its centre,
// lowest index on a tie: for a colour cube with greys (many ties), and for a
// table of repeated and random entries.
TEST(GdiColours, InverseTableCellsAreTheNearestEntryToTheirCentre) {
    std::array<CRgbQuad, 256> scattered{};
    uint32_t seed = 12345;
    for (CRgbQuad& entry : scattered) {
        seed = seed * 1103515245u + 12345u;
        entry = {static_cast<uint8_t>(seed >> 24), static_cast<uint8_t>(seed >> 16),
                 static_cast<uint8_t>(seed >> 8), 0};
    }
    scattered[200] = scattered[3]; // a later twin never wins
    for (const auto& table : {TestColorTable(), scattered}) {
        const CInverseColorTable inverse(table);
        for (int cell = 0; cell < CInverseColorTable::kCells; ++cell) {
            const auto red = static_cast<uint8_t>(((cell & 31) << 3) | 4);
            const auto green = static_cast<uint8_t>((((cell >> 5) & 31) << 3) | 4);
            const auto blue = static_cast<uint8_t>((((cell >> 10) & 31) << 3) | 4);
            ASSERT_EQ(inverse.Lookup(red, green, blue),
                      CInverseColorTable::Nearest(table, red, green, blue))
                << cell;
        }
    }
}

// ---- Clipping and the viewport origin ----

TEST(GdiClip, FillStaysInsideTheClipRegion) {
    TestCanvas canvas(10, 10);
    const CRect region[] = {{0, 0, 3, 10}, {0, 7, 10, 10}}; // an L
    canvas.dc->SelectClipRegion(region);
    canvas.dc->FillRect({0, 0, 10, 10}, CBrush::Solid(kRedColor));
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
            const bool inside = x < 3 || y >= 7;
            ASSERT_EQ(canvas.At(x, y), inside ? kRed : kWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.dc->GetClipBox(), (CRect{0, 0, 10, 10}));
}

TEST(GdiClip, ClipBoxIsLogicalAndInsideTheSection) {
    TestCanvas canvas(20, 10);
    canvas.dc->SetViewportOrg({-100, -50});
    canvas.dc->SelectClipRect({5, -4, 30, 8});
    EXPECT_EQ(canvas.dc->GetClipBox(), (CRect{105, 50, 120, 58}));
    EXPECT_TRUE(canvas.dc->PtVisible(105, 50));
    EXPECT_FALSE(canvas.dc->PtVisible(104, 50));
    canvas.dc->ResetClip();
    EXPECT_EQ(canvas.dc->GetClipBox(), (CRect{100, 50, 120, 60}));
}

TEST(GdiClip, ViewportOriginShiftsEverything) {
    TestCanvas canvas(10, 10);
    canvas.dc->SetViewportOrg({-100, -200});
    canvas.dc->FillRect({102, 203, 104, 205}, CBrush::Solid(kBlueColor));
    EXPECT_EQ(canvas.InkBox(), (CRect{2, 3, 4, 5}));
    EXPECT_EQ(canvas.Ink(), 4);
}

// ---- Rectangles ----

struct ShapeCase {
    const char* name;
    CPen pen;
    CBrush brush;
    CRect rect;
    std::vector<std::string> picture; // '#' pen, 'o' brush, '.' untouched
};

void ExpectPicture(const TestCanvas& canvas, const std::vector<std::string>& picture) {
    for (size_t y = 0; y < picture.size(); ++y) {
        for (size_t x = 0; x < picture[y].size(); ++x) {
            const char want = picture[y][x];
            const uint8_t expected = want == '#' ? kRed : want == 'o' ? kBlue : kWhite;
            ASSERT_EQ(canvas.At(static_cast<int32_t>(x), static_cast<int32_t>(y)), expected)
                << "at " << x << "," << y << "\n"
                << canvas.Dump(kRed);
        }
    }
}

TEST(GdiRectangle, PenOutlinesAndBrushFills) {
    const std::vector<ShapeCase> cases = {
        {"pen and brush",
         CPen::Solid(1, kRedColor),
         CBrush::Solid(kBlueColor),
         {1, 1, 6, 5},
         {".......", ".#####.", ".#ooo#.", ".#ooo#.", ".#####.", "......."}},
        {"hollow brush",
         CPen::Solid(1, kRedColor),
         CBrush::Hollow(),
         {1, 1, 6, 5},
         {".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......."}},
        // Without a pen the right column and bottom row stay empty.
        {"no pen",
         CPen::Null(),
         CBrush::Solid(kBlueColor),
         {1, 1, 6, 5},
         {".......", ".oooo..", ".oooo..", ".oooo..", ".......", "......."}},
        // A wide pen is centred on the outline.
        {"pen of width 3",
         CPen::Solid(3, kRedColor),
         CBrush::Hollow(),
         {2, 2, 9, 9},
         {"..........", ".#########", ".#########", ".#########", ".###...###", ".###...###",
          ".###...###", ".#########", ".#########", ".#########"}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCanvas canvas(10, 10);
        canvas.dc->SelectPen(c.pen);
        canvas.dc->SelectBrush(c.brush);
        canvas.dc->Rectangle(c.rect);
        ExpectPicture(canvas, c.picture);
    }
}

TEST(GdiRectangle, FillRectCoversRightAndBottomExclusive) {
    TestCanvas canvas(8, 8);
    canvas.dc->FillRect({2, 3, 5, 7}, CBrush::Solid(kRedColor));
    EXPECT_EQ(canvas.InkBox(), (CRect{2, 3, 5, 7}));
    EXPECT_EQ(canvas.Ink(), 12);
    canvas.dc->FillRect({0, 0, 8, 8}, CBrush::Hollow());
    EXPECT_EQ(canvas.Ink(), 12);
}

// ---- Lines ----

TEST(GdiLine, LineToStopsBeforeItsEndPoint) {
    const std::vector<std::pair<CRect, std::vector<std::string>>> cases = {
        {{1, 1, 5, 1}, {"......", ".####.", "......"}},
        {{4, 2, 0, 2}, {"......", "......", ".####."}},
        {{1, 0, 1, 3}, {".#....", ".#....", ".#...."}},
        {{0, 0, 3, 3}, {"#.....", ".#....", "..#..."}},
        {{2, 2, 2, 2}, {"......", "......", "......"}},
    };
    for (const auto& [line, picture] : cases) {
        TestCanvas canvas(6, 3);
        canvas.dc->SelectPen(CPen::Solid(1, kRedColor));
        canvas.dc->MoveTo(line.left, line.top);
        canvas.dc->LineTo(line.right, line.bottom);
        ExpectPicture(canvas, picture);
    }
}

TEST(GdiLine, SunkenEdgeOfARule) {
    // The rule's light-grey body, then black up the left and along the top,
    // white down the right and back along the bottom.
    TestCanvas canvas(8, 5);
    canvas.section->Fill(kBlue);
    const CRect r{1, 1, 7, 4};
    canvas.dc->SelectPen(CPen::Null());
    canvas.dc->SelectBrush(CBrush::Solid(kRedColor));
    canvas.dc->Rectangle(r);
    canvas.dc->SelectPen(CPen::Black());
    const CPoint dark[] = {{r.left, r.bottom - 1}, {r.left, r.top}, {r.right - 1, r.top}};
    canvas.dc->Polyline(dark);
    canvas.dc->SelectPen(CPen::White());
    const CPoint light[] = {
        {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    canvas.dc->Polyline(light);
    const std::vector<std::string> expected = {"BBBBBBBB", "BKKKKKWB", "BKRRRRWB", "BKWWWWWB",
                                               "BBBBBBBB"};
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            const char c = expected[static_cast<size_t>(y)][static_cast<size_t>(x)];
            const uint8_t want = c == 'B' ? kBlue : c == 'K' ? kBlack : c == 'W' ? kWhite : kRed;
            EXPECT_EQ(canvas.At(x, y), want) << x << "," << y;
        }
    }
}

// ---- Ellipses ----

TEST(GdiEllipse, FilledCircleIsSymmetricAndInsideItsBox) {
    TestCanvas canvas(12, 12);
    canvas.dc->SelectPen(CPen::Null());
    canvas.dc->SelectBrush(CBrush::Solid(kRedColor));
    canvas.dc->Ellipse({1, 1, 12, 12}); // 10 x 10 without the pen
    EXPECT_EQ(canvas.InkBox(), (CRect{1, 1, 11, 11}));
    EXPECT_EQ(canvas.At(1, 1), kWhite);
    EXPECT_EQ(canvas.At(6, 6), kRed);
    for (int32_t y = 1; y < 11; ++y) {
        for (int32_t x = 1; x < 11; ++x) {
            EXPECT_EQ(canvas.At(x, y), canvas.At(11 - x, y));
            EXPECT_EQ(canvas.At(x, y), canvas.At(y, x));
        }
    }
}

TEST(GdiEllipse, OutlinedCircleLeavesItsMiddle) {
    TestCanvas canvas(12, 12);
    canvas.dc->SelectPen(CPen::Solid(1, kRedColor));
    canvas.dc->SelectBrush(CBrush::Hollow());
    canvas.dc->Ellipse({1, 1, 11, 11});
    EXPECT_EQ(canvas.InkBox(), (CRect{1, 1, 11, 11}));
    EXPECT_EQ(canvas.At(6, 6), kWhite);
    EXPECT_EQ(canvas.At(1, 5), kRed);
    EXPECT_EQ(canvas.At(5, 1), kRed);
}

// ---- Copies ----

std::unique_ptr<CDibSection> Numbered(int32_t width, int32_t height) {
    auto section = CDibSection::Create(width, height, TestColorTable());
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            section->Row(y)[x] = static_cast<uint8_t>(20 + 8 * y + x);
    }
    return section;
}

TEST(GdiBitBlt, CopiesTheBlockAndClipsAtEveryEdge) {
    const std::vector<std::pair<CPoint, CRect>> cases = {
        {{2, 2}, {0, 0, 10, 10}}, {{-2, 3}, {0, 0, 10, 10}}, {{7, 7}, {0, 0, 10, 10}},
        {{2, 2}, {3, 4, 6, 10}},  {{0, -3}, {0, 0, 10, 10}},
    };
    auto source = Numbered(5, 4);
    CDeviceContext from(*source);
    for (const auto& [at, clip] : cases) {
        SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
        TestCanvas canvas(10, 10);
        canvas.dc->SelectClipRect(clip);
        canvas.dc->BitBlt(at.x, at.y, 5, 4, from, 0, 0);
        for (int32_t y = 0; y < 10; ++y) {
            for (int32_t x = 0; x < 10; ++x) {
                const bool inside =
                    x >= at.x && x < at.x + 5 && y >= at.y && y < at.y + 4 && clip.Contains(x, y);
                ASSERT_EQ(canvas.At(x, y), inside ? source->Pixel(x - at.x, y - at.y) : kWhite);
            }
        }
    }
}

TEST(GdiBitBlt, MarkerModeKeepsTheDestinationUnderMarkedPixels) {
    auto source = Numbered(4, 2);
    source->Row(0)[1] = CDeviceContext::kTransparentMarker;
    source->Row(1)[3] = CDeviceContext::kTransparentMarker;
    CDeviceContext from(*source);
    TestCanvas plain(4, 2), marked(4, 2);
    plain.dc->BitBlt(0, 0, 4, 2, from, 0, 0, BlitMode::Copy);
    marked.dc->BitBlt(0, 0, 4, 2, from, 0, 0, BlitMode::SkipMarker);
    EXPECT_EQ(plain.At(1, 0), CDeviceContext::kTransparentMarker);
    EXPECT_EQ(marked.At(1, 0), kWhite);
    EXPECT_EQ(marked.At(3, 1), kWhite);
    EXPECT_EQ(marked.At(0, 0), source->Pixel(0, 0));
    EXPECT_EQ(marked.Ink(), 6);
}

TEST(GdiBitBlt, DifferentColourTablesAreMatchedByColour) {
    std::array<CRgbQuad, 256> other{};
    other[7] = {0, 0, 255, 0}; // red at index 7
    auto source = CDibSection::Create(2, 1, other);
    source->Row(0)[0] = 7;
    source->Row(0)[1] = 7;
    CDeviceContext from(*source);
    TestCanvas canvas(2, 1);
    canvas.dc->BitBlt(0, 0, 2, 1, from, 0, 0);
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(1, 0), kRed);
}

TEST(GdiStretchBlt, ScalesByPickingTheNearestSourcePixel) {
    auto source = Numbered(2, 2);
    CDeviceContext from(*source);
    TestCanvas canvas(6, 6);
    canvas.dc->StretchBlt({1, 1, 5, 5}, from, {0, 0, 2, 2});
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(canvas.At(x + 1, y + 1), source->Pixel(x / 2, y / 2)) << x << "," << y;
    }
    EXPECT_EQ(canvas.Ink(), 16);

    TestCanvas small(2, 2);
    auto big = Numbered(6, 6);
    CDeviceContext bigFrom(*big);
    small.dc->StretchBlt({0, 0, 2, 2}, bigFrom, {0, 0, 6, 6});
    EXPECT_EQ(small.At(1, 1), big->Pixel(3, 3));
}

// ---- Icons ----

TEST(GdiIcon, DrawsOpaquePixelsOnlyAndMatchesTheirColours) {
    const auto icon = CIcon::Load(131);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Width(), 32);
    EXPECT_EQ(icon->Height(), 32);
    TestCanvas canvas(40, 40);
    canvas.section->Fill(kBlue);
    canvas.dc->DrawIcon(4, 3, *icon);
    int opaque = 0;
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < 32; ++x) {
            const uint8_t* rgba = icon->Pixel(x, y);
            const uint8_t expected =
                icon->IsOpaqueAt(x, y)
                    ? canvas.dc->GetNearestPaletteIndex(MakeColorRef(rgba[0], rgba[1], rgba[2]))
                    : kBlue;
            opaque += icon->IsOpaqueAt(x, y);
            ASSERT_EQ(canvas.At(x + 4, y + 3), expected) << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 300);
    EXPECT_LT(opaque, 32 * 32); // the corners are transparent
    EXPECT_EQ(canvas.InkBox(kBlue).IsEmpty(), false);
    EXPECT_TRUE((CRect{4, 3, 36, 35}).Intersect(canvas.InkBox(kBlue)) == canvas.InkBox(kBlue));
}

TEST(GdiIcon, RejectsWhatIsNotAPicture) {
    const std::vector<unsigned char> junk = {'n', 'o', 't', ' ', 'p', 'n', 'g'};
    EXPECT_EQ(CIcon::FromPng(junk), nullptr);
    EXPECT_EQ(CIcon::Load(99999), nullptr);
}

// ---- PNG output ----

TEST(GdiPng, WrittenPictureReadsBackPixelForPixel) {
    auto section = Numbered(7, 5);
    const std::vector<uint8_t> png = CPngWriter::WriteMemory(*section);
    ASSERT_FALSE(png.empty());
    const auto back = CIcon::FromPng(png);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Width(), 7);
    ASSERT_EQ(back->Height(), 5);
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
            const ColorRef c = section->ColorOf(x, y);
            const uint8_t* rgba = back->Pixel(x, y);
            EXPECT_EQ(MakeColorRef(rgba[0], rgba[1], rgba[2]), c) << x << "," << y;
            EXPECT_EQ(rgba[3], 255);
        }
    }
}

TEST(GdiPng, UnwritablePathFails) {
    auto section = Numbered(2, 2);
    EXPECT_FALSE(CPngWriter::WriteFile(*section, "/nonexistent-dir/x.png"));
}

// ---- Information context ----

TEST(GdiInformationContext, DrawsNothingAndHasNoClip) {
    CDeviceContext info = CDeviceContext::InformationContext(120);
    EXPECT_EQ(info.Section(), nullptr);
    EXPECT_EQ(info.PixelsPerInch(), 120);
    EXPECT_TRUE(info.GetClipBox().IsEmpty());
    info.FillRect({0, 0, 10, 10}, CBrush::Black());
    info.Rectangle({0, 0, 10, 10});
    info.TextOut(0, 0, "x");
}

} // namespace

namespace {

// ---- Palettes ----

TEST(GdiPalette, RealizingPutsThePaletteIntoTheColourTable) {
    std::array<CPaletteEntry, 256> entries{};
    entries[3] = {255, 0, 0, 0};
    entries[200] = {0, 0, 255, 0};
    const CPalette palette(entries);
    TestCanvas canvas(4, 4);
    EXPECT_EQ(canvas.dc->SelectPalette(&palette), nullptr);
    EXPECT_GT(canvas.dc->RealizePalette(), 200);
    EXPECT_EQ(canvas.dc->RealizePalette(), 0);
    EXPECT_EQ(canvas.dc->GetNearestPaletteIndex(kRedColor), 3);
    EXPECT_EQ(canvas.dc->GetNearestPaletteIndex(kBlueColor), 200);
    canvas.dc->FillRect({0, 0, 4, 4}, CBrush::Solid(kRedColor));
    EXPECT_EQ(canvas.section->ColorOf(2, 2), kRedColor);
}

} // namespace
