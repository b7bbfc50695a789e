#include "images/CColorCube.h"
#include "images/CGifMimeObject.h"
#include "images/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A picture of exactly `colors` distinct colours in runs and scattered
// pixels, so that the LZW data holds both long strings and short ones.
RgbImage Pattern(int32_t width, int32_t height, int32_t colors) {
    RgbImage image{width, height, {}};
    uint32_t seed = 12345u + static_cast<uint32_t>(colors);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int32_t n = y * width + x;
            int32_t i = (x / 5 + y / 3) % colors;
            if (n < colors)
                i = n;
            else if ((seed >> 16) % 4 == 0)
                i = static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(colors));
            image.pixels.push_back({static_cast<uint8_t>(i * 7 % 256),
                                    static_cast<uint8_t>(255 - i),
                                    static_cast<uint8_t>((i * 53 + 11) % 256)});
        }
    }
    return image;
}

struct MadeGif {
    TempDir dir;
    std::string path;
    std::string bytes;
};

// A GIF written by ImageMagick from a pattern, with extra convert options.
void MakeGif(MadeGif& gif, int32_t colors, const std::string& options, int32_t width = 61,
             int32_t height = 47) {
    const std::string ppm = PathIn(gif.dir, "in.ppm");
    WritePpm(ppm, Pattern(width, height, colors));
    gif.path = PathIn(gif.dir, "out.gif");
    ASSERT_TRUE(RunCommand("/usr/bin/convert '" + ppm + "' " + options + " '" + gif.path + "'"));
    gif.bytes = ReadFile(gif.path);
}

std::vector<uint8_t> Decode(const std::string& bytes, size_t piece, Status* result = nullptr) {
    CGifMimeObject object("file:///t.gif", "image/gif");
    const Status status = Feed(object, bytes, piece);
    if (result)
        *result = status;
    return DisplayOf(object);
}

struct Case {
    int32_t colors;
    bool interlaced;
    bool transparent;
};

class GifAgainstImageMagick : public ::testing::TestWithParam<Case> {};

TEST_P(GifAgainstImageMagick, DisplayMatchesImageMagicksDecode) {
    const Case c = GetParam();
    std::string options = c.interlaced ? "-interlace GIF" : "-interlace none";
    // The colour of the pattern's first pixel becomes the transparent one.
    if (c.transparent)
        options += " -transparent 'rgb(0,255,11)'";
    MadeGif gif;
    MakeGif(gif, c.colors, options);
    const GifLayout layout = ReadGifLayout(gif.bytes);
    EXPECT_EQ(layout.interlaced, c.interlaced);
    EXPECT_EQ(layout.transparent >= 0, c.transparent);
    int32_t expectedCodeSize = 2;
    while ((1 << expectedCodeSize) < c.colors)
        ++expectedCodeSize;
    EXPECT_EQ(layout.minimumCodeSize, std::max(2, expectedCodeSize));

    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif.bytes, 977), Status::Complete);
    EXPECT_EQ(DisplayOf(object), ExpectedGifDisplay(gif.path));
    EXPECT_EQ(object.NeedsBackground(), c.transparent);
    // Delivered a byte at a time, the picture is the same.
    EXPECT_EQ(Decode(gif.bytes, 1), DisplayOf(object));
}

INSTANTIATE_TEST_SUITE_P(CodeSizes, GifAgainstImageMagick,
                         ::testing::Values(Case{2, false, false}, Case{4, true, false},
                                           Case{8, false, true}, Case{16, true, true},
                                           Case{32, false, false}, Case{64, true, false},
                                           Case{128, false, true}, Case{256, true, false},
                                           Case{256, false, false}),
                         [](const auto& info) {
                             return std::to_string(info.param.colors) +
                                    (info.param.interlaced ? "Interlaced" : "") +
                                    (info.param.transparent ? "Transparent" : "");
                         });

TEST(GifDecoder, EveryMinimumCodeSizeFromTwoToEightIsCovered) {
    std::set<int32_t> sizes;
    for (int32_t colors : {2, 4, 8, 16, 32, 64, 128, 256}) {
        MadeGif gif;
        MakeGif(gif, colors, "", 40, 30);
        sizes.insert(ReadGifLayout(gif.bytes).minimumCodeSize);
        EXPECT_EQ(Decode(gif.bytes, 4096), ExpectedGifDisplay(gif.path)) << colors << " colours";
    }
    EXPECT_EQ(sizes, (std::set<int32_t>{2, 3, 4, 5, 6, 7, 8}));
}

TEST(GifDecoder, LocalColorTableIsUsed) {
    for (bool keepGlobal : {false, true}) {
        MadeGif gif;
        MakeGif(gif, 32, "");
        const std::string moved = MoveTableToLocal(gif.bytes, keepGlobal);
        const std::string path = PathIn(gif.dir, "local.gif");
        WriteFile(path, moved);
        const GifLayout layout = ReadGifLayout(moved);
        ASSERT_TRUE(layout.hasLocalTable);
        EXPECT_EQ(layout.hasGlobalTable, keepGlobal);
        // The same picture as before the move, by both decoders.
        EXPECT_EQ(ExpectedGifDisplay(path), ExpectedGifDisplay(gif.path));
        EXPECT_EQ(Decode(moved, 100), ExpectedGifDisplay(path)) << keepGlobal;
    }
}

TEST(GifDecoder, FrameSmallerThanTheScreenKeepsItsPlace) {
    for (const char* interlace : {"none", "GIF"}) {
        MadeGif gif;
        MakeGif(gif, 16, std::string("-interlace ") + interlace + " -page 90x70+13+9", 50, 40);
        const GifLayout layout = ReadGifLayout(gif.bytes);
        ASSERT_EQ(layout.screenWidth, 90);
        ASSERT_EQ(layout.left, 13);
        ASSERT_EQ(layout.top, 9);
        CGifMimeObject object("file:///t.gif", "image/gif");
        EXPECT_EQ(Feed(object, gif.bytes, 333), Status::Complete);
        int32_t width = 0, height = 0;
        object.GetImageSize(width, height);
        EXPECT_EQ(width, 90);
        EXPECT_EQ(height, 70);
        // Outside its rectangle the screen is left undrawn.
        const std::vector<uint8_t> display = DisplayOf(object);
        EXPECT_EQ(display, ExpectedGifDisplay(gif.path));
        EXPECT_EQ(display[0], kTransparentMarker);
        EXPECT_EQ(display[92 * 69 + 89], kTransparentMarker);
        EXPECT_TRUE(object.NeedsBackground());
    }
}

TEST(GifDecoder, FrameReachingOutsideTheScreenIsClipped) {
    MadeGif gif;
    MakeGif(gif, 8, "-page 40x30+25+20", 30, 20);
    // ImageMagick keeps frames inside the screen; shrink the screen instead.
    std::string clipped = gif.bytes;
    clipped[6] = 40;
    clipped[8] = 30;
    const std::string path = PathIn(gif.dir, "clipped.gif");
    WriteFile(path, clipped);
    const std::vector<uint8_t> expected = ExpectedGifDisplay(path);
    EXPECT_EQ(Decode(clipped, 50), expected);
    EXPECT_EQ(Decode(clipped, 1), expected);
}

TEST(GifDecoder, HeaderSplitOverTwoWritesDecodesTheSame) {
    MadeGif gif;
    MakeGif(gif, 16, "");
    CGifMimeObject object("file:///t.gif", "image/gif");
    object.SetStatus(object.Write(gif.bytes.data(), 5));
    EXPECT_FALSE(object.HasImage());
    object.SetStatus(object.Write(gif.bytes.data() + 5, gif.bytes.size() - 5));
    object.SetStatus(object.EndOfData());
    EXPECT_EQ(object.GetStatus(), Status::Complete);
    EXPECT_EQ(DisplayOf(object), Decode(gif.bytes, gif.bytes.size()));
}

TEST(GifDecoder, SizeAndTitleOnceTheHeaderIsRead) {
    MadeGif gif;
    MakeGif(gif, 4, "", 33, 21);
    CGifMimeObject object("file:///t.gif", "image/gif");
    int32_t width = 0, height = 0;
    object.GetImageSize(width, height);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(object.GetTitle(), "");
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.Write(gif.bytes.data(), 13), Status::Continue);
    EXPECT_TRUE(object.HasImage());
    EXPECT_EQ(object.GetTitle(), "GIF Image (33 by 21)");
    object.GetImageSize(width, height);
    EXPECT_EQ(width, 33);
    EXPECT_EQ(height, 21);
    CBitmapInfo info;
    EXPECT_EQ(object.GetBitmapInfo(info), 36);
    EXPECT_EQ(info.bitCount, 8);
    EXPECT_EQ(object.GetBits(), nullptr);
}

TEST(GifDecoder, WrongSignatureFails) {
    MadeGif gif;
    MakeGif(gif, 4, "");
    std::string bytes = gif.bytes;
    bytes[4] = '8';
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(object.Write(bytes.data(), bytes.size()), Status::Failed);
    EXPECT_FALSE(object.HasImage());
}

TEST(GifDecoder, UnknownBlockAndBadCodeSizeFail) {
    GifWriter unknown(4, 4, {{0, 0, 0}, {255, 255, 255}});
    unknown.RawBytes("\x07");
    CGifMimeObject first("file:///t.gif", "image/gif");
    const std::string bytes = unknown.Finish();
    EXPECT_EQ(first.Write(bytes.data(), bytes.size()), Status::Failed);

    for (int32_t size : {1, 10}) {
        GifWriter writer(4, 4, {{0, 0, 0}, {255, 255, 255}});
        writer.Image(0, 0, 4, 4, false, size);
        const std::string gif = writer.Finish();
        CGifMimeObject object("file:///t.gif", "image/gif");
        EXPECT_EQ(object.Write(gif.data(), gif.size()), Status::Failed) << size;
    }
}

TEST(GifDecoder, ScreenTooLargeToHoldFailsAtTheHeader) {
    GifWriter writer(65535, 65535, {{0, 0, 0}, {255, 255, 255}});
    writer.Image(0, 0, 4, 4, false, 2);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(object.Write(gif.data(), 13), Status::Failed);
    // Nothing of it is shown: the page draws the broken picture in its place.
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.GetBits(), nullptr);
}

TEST(GifDecoder, EmptyScreenCompletesWithoutPicture) {
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}}) {
        GifWriter writer(w, h, {{0, 0, 0}, {255, 255, 255}});
        writer.Image(0, 0, w, h, false, 2);
        writer.Literals({});
        const std::string gif = writer.Finish();
        CGifMimeObject object("file:///t.gif", "image/gif");
        EXPECT_EQ(object.Write(gif.data(), gif.size()), Status::Complete);
        EXPECT_TRUE(object.HasImage());
        EXPECT_EQ(object.GetBits(), nullptr);
    }
}

// Cube colours, so that each maps to one known palette entry.
const std::vector<Rgb> kCubeColors = {
    {0, 0, 0},     {255, 0, 0},   {0, 255, 0},     {0, 0, 255},    {255, 255, 0},
    {255, 0, 255}, {0, 255, 255}, {255, 255, 255}, {51, 102, 153}, {204, 153, 102}};

uint8_t PaletteOf(size_t colorIndex) {
    const Rgb c = kCubeColors[colorIndex];
    return CColorCube::BlueMajor()[static_cast<size_t>(
        CColorCube::BlueMajorIndex(c.r / 51, c.g / 51, c.b / 51))];
}

// With a minimum code size of 7 every code is one byte until the table
// reaches 256 entries; in sub-blocks of one byte, each sub-block is one row.
TEST(GifDecoder, InterlacedRowsFillDownwardsPassByPass) {
    GifWriter writer(1, 10, kCubeColors);
    writer.Image(0, 0, 1, 10, true, 7);
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    writer.Literals(rows);
    const std::string gif = writer.Finish(1);
    // Each code is a size byte and the code; the terminator and trailer end.
    const size_t clearAt = gif.size() - 2 - 2 * (rows.size() + 2) + 1;
    ASSERT_EQ(static_cast<uint8_t>(gif[clearAt]), 128);

    CGifMimeObject object("file:///t.gif", "image/gif");
    ASSERT_EQ(object.Write(gif.data(), clearAt + 2), Status::Continue);
    const auto column = [&] {
        std::vector<uint8_t> out;
        for (size_t y = 0; y < 10; ++y)
            out.push_back(object.GetBits()[y * 4]);
        return out;
    };
    EXPECT_EQ(column(), std::vector<uint8_t>(10, kTransparentMarker));
    const auto p = [](size_t i) { return PaletteOf(i); };
    std::vector<std::vector<uint8_t>> expected = {
        {p(1), p(1), p(1), p(1), p(1), p(1), p(1), p(1), 1, 1},
        {p(1), p(1), p(1), p(1), p(1), p(1), p(1), p(1), p(2), p(2)},
        {p(1), p(1), p(1), p(1), p(3), p(3), p(3), p(3), p(2), p(2)},
        {p(1), p(1), p(4), p(4), p(3), p(3), p(3), p(3), p(2), p(2)},
        {p(1), p(1), p(4), p(4), p(3), p(3), p(5), p(5), p(2), p(2)},
    };
    for (size_t n = 0; n < expected.size(); ++n) {
        ASSERT_EQ(object.Write(gif.data() + clearAt + 2 + 2 * n, 2), Status::Continue);
        EXPECT_EQ(column(), expected[n]) << "after decoded row " << n;
    }
    const size_t rest = clearAt + 2 + 2 * expected.size();
    object.SetStatus(object.Write(gif.data() + rest, gif.size() - rest));
    EXPECT_EQ(object.GetStatus(), Status::Complete);
    EXPECT_EQ(column(),
              (std::vector<uint8_t>{p(1), p(6), p(4), p(7), p(3), p(8), p(5), p(9), p(2), p(0)}));
    object.SetStatus(object.EndOfData());
    // Cube colours diffuse to themselves, so the final pass keeps them.
    EXPECT_EQ(column(),
              (std::vector<uint8_t>{p(1), p(6), p(4), p(7), p(3), p(8), p(5), p(9), p(2), p(0)}));
    EXPECT_FALSE(object.NeedsBackground());
}

std::vector<uint8_t> Column(CGifMimeObject& object, int32_t width, int32_t count) {
    std::vector<uint8_t> out;
    const int32_t stride = (width + 3) & ~3;
    for (int32_t i = 0; i < count; ++i)
        out.push_back(object.GetBits()[(i / width) * stride + i % width]);
    return out;
}

TEST(GifDecoder, UndefinedFirstCodeAfterClearIsPixelZero) {
    GifWriter writer(4, 1, kCubeColors);
    writer.Image(0, 0, 4, 1, false, 4);
    // Clear, 3, clear, then 20 (not defined yet), 5, 5.
    for (int32_t code : {16, 3, 16, 20, 5, 5})
        writer.Code(code, 5);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif, 3), Status::Complete);
    EXPECT_EQ(Column(object, 4, 4),
              (std::vector<uint8_t>{PaletteOf(3), PaletteOf(0), PaletteOf(5), PaletteOf(5)}));
}

TEST(GifDecoder, CodeOfTheEntryBeingDefinedRepeatsItsFirstPixel) {
    GifWriter writer(6, 1, kCubeColors);
    writer.Image(0, 0, 6, 1, false, 4);
    // 2, then 18 = "2 2" (being defined), then 19 = "2 2 2".
    for (int32_t code : {16, 2, 18, 19, 17})
        writer.Code(code, 5);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif, 1), Status::Complete);
    EXPECT_EQ(Column(object, 6, 6), std::vector<uint8_t>(6, PaletteOf(2)));
}

TEST(GifDecoder, CodeBeyondTheTableEndsTheData) {
    GifWriter writer(4, 3, kCubeColors);
    writer.Image(0, 0, 4, 3, false, 4);
    // A full row, then 1, then 30 while 22 is the next free code.
    for (int32_t code : {16, 1, 2, 3, 4, 1, 30, 2, 2, 2, 2, 17})
        writer.Code(code, 5);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(object.Write(gif.data(), gif.size()), Status::Complete);
    object.SetStatus(Status::Complete);
    EXPECT_EQ(object.EndOfData(), Status::Complete);
    const std::vector<uint8_t> display = Column(object, 4, 12);
    // The second row was cut short: what it had is shown, the third row
    // never came and stays undrawn.
    EXPECT_EQ(display[4], PaletteOf(1));
    EXPECT_EQ(std::vector<uint8_t>(display.begin() + 8, display.end()),
              std::vector<uint8_t>(4, kTransparentMarker));
    EXPECT_TRUE(object.NeedsBackground());
}

TEST(GifDecoder, LongestStringsAndTwelveBitCodesDecode) {
    // One colour: each code is the one being defined, so strings grow by a
    // pixel per code until the table is full at 4096 entries.
    const int32_t width = 1000;
    int32_t pixels = 1;
    std::vector<int32_t> codes = {4, 1};
    for (int32_t code = 6; code < 4096; ++code) {
        codes.push_back(code);
        pixels += code - 6 + 2;
    }
    // Then literals with 12-bit codes, the table full and never cleared.
    for (int32_t i = 0; i < 3000; ++i)
        codes.push_back(i % 3);
    pixels += 3000;
    const int32_t height = (pixels + width - 1) / width;
    GifWriter writer(width, height, kCubeColors);
    writer.Image(0, 0, width, height, false, 2);
    int32_t size = 3, next = 6;
    for (size_t i = 0; i < codes.size(); ++i) {
        writer.Code(codes[i], size);
        if (i >= 2) {
            if (next < (1 << size))
                ++next;
            if (next >= (1 << size) && size < 12)
                ++size;
        }
    }
    writer.Code(5, 12);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif, 255), Status::Complete);
    const std::vector<uint8_t> all = Column(object, width, pixels);
    const int32_t run = pixels - 3000;
    for (int32_t i = 0; i < run; ++i)
        ASSERT_EQ(all[static_cast<size_t>(i)], PaletteOf(1)) << i;
    for (int32_t i = 0; i < 3000; ++i)
        ASSERT_EQ(all[static_cast<size_t>(run + i)], PaletteOf(static_cast<size_t>(i % 3))) << i;
}

TEST(GifDecoder, LiteralsPastTheFullTableKeepTwelveBitCodes) {
    const int32_t width = 97, height = 80;
    std::vector<uint8_t> pixels;
    for (int32_t i = 0; i < width * height; ++i)
        pixels.push_back(static_cast<uint8_t>((i * 7 + i / 13) % 10));
    GifWriter writer(width, height, kCubeColors);
    writer.Image(0, 0, width, height, false, 4);
    writer.Literals(pixels);
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif, 1000), Status::Complete);
    EXPECT_FALSE(object.NeedsBackground());
    const std::vector<uint8_t> all = Column(object, width, width * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(all[i], PaletteOf(pixels[i])) << i;
}

TEST(GifDecoder, TransparentIndexDrawsNothing) {
    GifWriter writer(4, 1, kCubeColors);
    writer.GraphicControl(2);
    writer.Image(0, 0, 4, 1, false, 4);
    writer.Literals({1, 2, 3, 2});
    const std::string gif = writer.Finish();
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, gif, 7), Status::Complete);
    EXPECT_EQ(Column(object, 4, 4), (std::vector<uint8_t>{PaletteOf(1), kTransparentMarker,
                                                          PaletteOf(3), kTransparentMarker}));
    EXPECT_TRUE(object.NeedsBackground());
}

TEST(GifDecoder, ExtensionsBeforeTheImageAreSkipped) {
    GifWriter writer(3, 1, kCubeColors);
    // A comment in two sub-blocks, an empty comment, an application block.
    writer.RawBytes(std::string("\x21\xFE\x03"
                                "abc"
                                "\x02"
                                "de"
                                "\x00",
                                10));
    writer.RawBytes(std::string("\x21\xFE\x00", 3));
    writer.RawBytes(std::string("\x21\xFF\x0B"
                                "NETSCAPE2.0"
                                "\x03\x01\x00\x00\x00",
                                19));
    writer.Image(0, 0, 3, 1, false, 4);
    writer.Literals({4, 5, 6});
    const std::string gif = writer.Finish();
    for (size_t piece : {size_t{1}, gif.size()}) {
        CGifMimeObject object("file:///t.gif", "image/gif");
        EXPECT_EQ(Feed(object, gif, piece), Status::Complete);
        EXPECT_EQ(Column(object, 3, 3),
                  (std::vector<uint8_t>{PaletteOf(4), PaletteOf(5), PaletteOf(6)}));
    }
}

TEST(GifDecoder, DataEndingEarlyKeepsTheRowsDecoded) {
    MadeGif gif;
    MakeGif(gif, 16, "", 40, 40);
    const std::vector<uint8_t> whole = Decode(gif.bytes, 512);
    CGifMimeObject object("file:///t.gif", "image/gif");
    EXPECT_EQ(Feed(object, std::string_view(gif.bytes).substr(0, gif.bytes.size() / 2), 64),
              Status::Failed);
    const std::vector<uint8_t> part = DisplayOf(object);
    ASSERT_EQ(part.size(), whole.size());
    EXPECT_EQ(std::vector<uint8_t>(part.begin(), part.begin() + 40 * 4),
              std::vector<uint8_t>(whole.begin(), whole.begin() + 40 * 4));
    EXPECT_EQ(part.back(), kTransparentMarker);
    EXPECT_TRUE(object.NeedsBackground());
}

} // namespace
