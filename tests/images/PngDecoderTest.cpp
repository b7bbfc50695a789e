#include "images/CColorCube.h"
#include "images/CPngMimeObject.h"
#include "images/ImageTestSupport.h"
#include "images/MapRowNearest.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

namespace {

// A 16-bit picture with alpha: colours that use every bit, and alpha fully
// off, fully on, and either side of half. With colours, an opaque picture
// of that many colours instead.
void WritePattern(const std::string& path, int32_t width, int32_t height, int32_t colours = 0) {
    std::string pam = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                      "\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    const auto word = [&pam](uint32_t value) {
        pam += static_cast<char>((value >> 8) & 0xFF);
        pam += static_cast<char>(value & 0xFF);
    };
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const std::array<uint32_t, 4> halves = {32767, 32768, 30000, 40000};
            const uint32_t alpha = (x + y) % 7 == 0   ? 0
                                   : (x + y) % 3 != 0 ? 65535
                                                      : halves[static_cast<size_t>(x * y) % 4];
            if (colours > 0) {
                const auto n = static_cast<uint32_t>((x / 3 + y * 2) % colours);
                word(n * 20000 % 65536);
                word(65535 - n * 9000);
                word(n * 31111 % 65536);
                word(65535);
                continue;
            }
            word(static_cast<uint32_t>(x * 1097 + y * 13) % 65536);
            word(static_cast<uint32_t>(y * 1531 + x * 7) % 65536);
            word(static_cast<uint32_t>(x * y * 211) % 65536);
            word(alpha);
        }
    }
    WriteFile(path, pam);
}

// The header of a PNG and whether it holds a tRNS chunk.
struct PngLayout {
    uint32_t width = 0, height = 0;
    int depth = 0, colorType = 0;
    bool interlaced = false, trns = false;
};

uint32_t BigEndian(std::string_view bytes, size_t at) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8) |
           static_cast<uint8_t>(bytes[at + 3]);
}

PngLayout ReadPngLayout(std::string_view png) {
    PngLayout layout;
    layout.width = BigEndian(png, 16);
    layout.height = BigEndian(png, 20);
    layout.depth = static_cast<uint8_t>(png[24]);
    layout.colorType = static_cast<uint8_t>(png[25]);
    layout.interlaced = png[28] != 0;
    for (size_t at = 8; at + 8 <= png.size(); at += 12 + BigEndian(png, at))
        layout.trns |= png.substr(at + 4, 4) == "tRNS";
    return layout;
}

struct MadePng {
    TempDir dir;
    std::string path;
    std::string bytes;
};

void MakePng(MadePng& png, const std::string& options, int32_t width = 61, int32_t height = 47,
             int32_t colours = 0) {
    const std::string pam = PathIn(png.dir, "in.pam");
    WritePattern(pam, width, height, colours);
    png.path = PathIn(png.dir, "out.png");
    // "PNG8:" names the output format in front of the file name.
    const bool prefix = options.ends_with("PNG8:");
    ASSERT_TRUE(RunCommand("/usr/bin/convert '" + pam + "' " + options + (prefix ? "" : " ") + "'" +
                           png.path + "'"));
    png.bytes = ReadFile(png.path);
}

// What the display buffer holds once the picture is complete: ImageMagick's
// own decode, diffused in order.
std::vector<uint8_t> ExpectedPngDisplay(const MadePng& png) {
    const PngLayout layout = ReadPngLayout(png.bytes);
    return ReferenceDisplay(DecodeWithImageMagickRounded(
        png.path, static_cast<int32_t>(layout.width), static_cast<int32_t>(layout.height)));
}

std::vector<uint8_t> Decode(const std::string& bytes, size_t piece, Status* result = nullptr) {
    CPngMimeObject object("file:///t.png", "image/png");
    const Status status = Feed(object, bytes, piece);
    if (result)
        *result = status;
    return DisplayOf(object);
}

struct Case {
    const char* name;
    const char* options;
    int depth;
    int colorType;
    bool interlaced;
    bool trns;
    int32_t colours = 0; // a picture of so few colours, for the small palettes
};

class PngAgainstImageMagick : public ::testing::TestWithParam<Case> {};

TEST_P(PngAgainstImageMagick, DisplayMatchesImageMagicksDecodeWholeInPiecesAndByteByByte) {
    const Case c = GetParam();
    MadePng png;
    MakePng(png, c.options, 61, 47, c.colours);
    const PngLayout layout = ReadPngLayout(png.bytes);
    ASSERT_EQ(layout.depth, c.depth);
    ASSERT_EQ(layout.colorType, c.colorType);
    ASSERT_EQ(layout.interlaced, c.interlaced);
    ASSERT_EQ(layout.trns, c.trns);

    const std::vector<uint8_t> expected = ExpectedPngDisplay(png);
    CPngMimeObject object("file:///t.png", "image/png");
    EXPECT_EQ(Feed(object, png.bytes, png.bytes.size()), Status::Complete);
    EXPECT_EQ(DisplayOf(object), expected);
    const bool alpha = (c.colorType & 4) != 0;
    EXPECT_EQ(object.NeedsBackground(), alpha || c.trns);
    EXPECT_EQ(object.GetTitle(), "PNG Image (61 by 47)");
    EXPECT_EQ(Decode(png.bytes, 97), expected);
    EXPECT_EQ(Decode(png.bytes, 1), expected);
}

// Every colour type and depth; tRNS for each type that may carry it.
INSTANTIATE_TEST_SUITE_P(
    Files, PngAgainstImageMagick,
    ::testing::Values(
        Case{"Palette8", "-alpha off -colors 50 -define png:color-type=3", 8, 3, false, false},
        Case{"Palette4", "-alpha off -colors 12 -define png:color-type=3 -define png:bit-depth=4",
             4, 3, false, false},
        // ImageMagick adds its bKGD colour to the palette unless told not to.
        Case{"Palette2",
             "-alpha off -depth 8 -define png:exclude-chunk=bKGD -define png:color-type=3 "
             "-define png:bit-depth=2",
             2, 3, false, false, 4},
        Case{"Palette1",
             "-alpha off -depth 8 -define png:exclude-chunk=bKGD -define png:color-type=3 "
             "-define png:bit-depth=1",
             1, 3, false, false, 2},
        Case{"PaletteTrns", "-channel A -threshold 50% +channel PNG8:", 8, 3, false, true},
        Case{"Grey1",
             "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=1", 1, 0,
             false, false},
        Case{"Grey2",
             "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=2", 2, 0,
             false, false},
        Case{"Grey4",
             "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=4", 4, 0,
             false, false},
        Case{"Grey8",
             "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=8", 8, 0,
             false, false},
        Case{"Grey16",
             "-alpha off -colorspace Gray -define png:color-type=0 -define png:bit-depth=16", 16, 0,
             false, false},
        Case{"GreyTrns",
             "-colorspace Gray -channel A -threshold 50% +channel -define png:color-type=0 "
             "-define png:bit-depth=8",
             8, 0, false, true},
        Case{"GreyAlpha8", "-colorspace Gray -define png:color-type=4 -define png:bit-depth=8", 8,
             4, false, false},
        Case{"GreyAlpha16", "-colorspace Gray -define png:color-type=4 -define png:bit-depth=16",
             16, 4, false, false},
        Case{"Rgb8", "-alpha off -define png:color-type=2 -define png:bit-depth=8", 8, 2, false,
             false},
        Case{"Rgb16", "-alpha off -define png:color-type=2 -define png:bit-depth=16", 16, 2, false,
             false},
        Case{"RgbTrns16",
             "-channel A -threshold 50% +channel -define png:color-type=2 -define png:bit-depth=16",
             16, 2, false, true},
        Case{"Rgba8", "-define png:color-type=6 -define png:bit-depth=8", 8, 6, false, false},
        Case{"Rgba16", "-define png:color-type=6 -define png:bit-depth=16", 16, 6, false, false},
        Case{"InterlacedRgba8", "-interlace PNG -define png:color-type=6 -define png:bit-depth=8",
             8, 6, true, false},
        Case{"InterlacedRgb16",
             "-alpha off -interlace PNG -define png:color-type=2 -define png:bit-depth=16", 16, 2,
             true, false},
        Case{"InterlacedPalette", "-alpha off -colors 30 -interlace PNG -define png:color-type=3",
             8, 3, true, false},
        Case{"InterlacedGrey1",
             "-alpha off -colorspace Gray -interlace PNG -define png:color-type=0 "
             "-define png:bit-depth=1",
             1, 0, true, false},
        Case{"InterlacedPaletteTrns", "-channel A -threshold 50% +channel -interlace PNG PNG8:", 8,
             3, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PngDecoder, InterlacedPicturesOfEverySmallSize) {
    // Pictures so small that some of the seven passes are empty.
    for (const auto& [width, height] : std::vector<std::pair<int32_t, int32_t>>{
             {1, 1}, {2, 1}, {1, 2}, {3, 3}, {5, 2}, {2, 9}, {8, 8}, {9, 9}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        MadePng png;
        MakePng(png, "-interlace PNG -define png:color-type=6 -define png:bit-depth=8", width,
                height);
        ASSERT_TRUE(ReadPngLayout(png.bytes).interlaced);
        Status status = Status::Unknown;
        EXPECT_EQ(Decode(png.bytes, 1, &status), ExpectedPngDisplay(png));
        EXPECT_EQ(status, Status::Complete);
    }
}

TEST(PngDecoder, InterlacedPictureGrowsPassByPass) {
    MadePng png;
    MakePng(png, "-alpha off -interlace PNG -define png:color-type=2 -define png:bit-depth=8", 64,
            48);
    const RgbaFrame frame = DecodeWithImageMagickRounded(png.path, 64, 48);
    CPngMimeObject object("file:///t.png", "image/png");
    // Fed until the first pass has reached the bottom row.
    size_t at = 0;
    for (; at < png.bytes.size(); ++at) {
        ASSERT_EQ(object.Write(png.bytes.data() + at, 1), Status::Continue);
        const std::vector<uint8_t> display = DisplayOf(object);
        if (!display.empty() && display[47 * 64] != kTransparentMarker)
            break;
    }
    ASSERT_LT(at, png.bytes.size() / 2) << "the first pass is a small part of the file";
    // Every pixel of the picture is covered by now; a pixel of the first pass
    // (every eighth in both directions) shows its own colour, reduced to the
    // nearest cube colour.
    const std::vector<uint8_t> display = DisplayOf(object);
    EXPECT_EQ(std::count(display.begin(), display.end(), kTransparentMarker), 0);
    for (int32_t y = 0; y < 48; y += 8) {
        for (int32_t x = 0; x < 64; x += 8) {
            const auto& p = frame.pixels[static_cast<size_t>(y * 64 + x)];
            const std::vector<uint8_t> pixel = {p[0], p[1], p[2], 255};
            std::vector<uint8_t> nearest(1);
            MapRgbaRowNearest(pixel, nearest, 1);
            EXPECT_EQ(display[static_cast<size_t>(y * 64 + x)], nearest[0]) << x << "," << y;
        }
    }
    EXPECT_TRUE(object.NeedsBackground()) << "still loading";
    // The rest, and the end of data: the picture diffused in order.
    object.SetStatus(Feed(object, std::string_view(png.bytes).substr(at + 1), 4096, false));
    EXPECT_EQ(object.EndOfData(), Status::Complete);
    EXPECT_EQ(DisplayOf(object), ExpectedPngDisplay(png));
    EXPECT_FALSE(object.NeedsBackground());
}

TEST(PngDecoder, CutTransferShowsTheRowsThatArrived) {
    MadePng png;
    MakePng(png, "-alpha off -define png:color-type=2 -define png:bit-depth=8 -quality 0", 64, 48);
    const std::vector<uint8_t> whole = ExpectedPngDisplay(png);
    CPngMimeObject object("file:///t.png", "image/png");
    const size_t half = png.bytes.size() / 2;
    EXPECT_EQ(Feed(object, std::string_view(png.bytes).substr(0, half), 100, false),
              Status::Continue);
    const std::vector<uint8_t> display = DisplayOf(object);
    ASSERT_EQ(display.size(), whole.size());
    // Rows come whole, in order: the ones that arrived are the picture's own.
    int32_t rows = 0;
    while (rows < 48 && display[static_cast<size_t>(rows * 64 + 63)] != kTransparentMarker)
        ++rows;
    EXPECT_GT(rows, 5);
    EXPECT_LT(rows, 48);
    EXPECT_TRUE(std::equal(display.begin(), display.begin() + rows * 64, whole.begin()));
    EXPECT_TRUE(std::all_of(display.begin() + rows * 64, display.end(),
                            [](uint8_t b) { return b == kTransparentMarker; }));
    object.SetStatus(Status::Continue);
    EXPECT_EQ(object.EndOfData(), Status::Failed);
    EXPECT_TRUE(object.NeedsBackground());
    EXPECT_EQ(DisplayOf(object), display);
}

// A PNG made by hand: the signature, chunks with their CRCs, and image data
// compressed by zlib.
class PngBuilder {
public:
    PngBuilder() : m_bytes("\x89PNG\r\n\x1a\n", 8) {}
    PngBuilder& Chunk(std::string_view type, std::string_view data) {
        std::string chunk(type);
        chunk += data;
        Word(static_cast<uint32_t>(data.size()), m_bytes);
        m_bytes += chunk;
        Word(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()),
                                         static_cast<uInt>(chunk.size()))),
             m_bytes);
        return *this;
    }
    PngBuilder& Header(uint32_t width, uint32_t height, int depth, int colorType, bool interlaced) {
        std::string data;
        Word(width, data);
        Word(height, data);
        data += static_cast<char>(depth);
        data += static_cast<char>(colorType);
        data += '\0';
        data += '\0';
        data += static_cast<char>(interlaced ? 1 : 0);
        return Chunk("IHDR", data);
    }
    PngBuilder& Data(std::string_view raw) {
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        std::string packed(size, '\0');
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
        packed.resize(size);
        return Chunk("IDAT", packed);
    }
    std::string End() { return Chunk("IEND", "").m_bytes; }
    [[nodiscard]] const std::string& Bytes() const { return m_bytes; }

private:
    static void Word(uint32_t value, std::string& to) {
        for (int shift = 24; shift >= 0; shift -= 8)
            to += static_cast<char>((value >> shift) & 0xFF);
    }
    std::string m_bytes;
};

// Rows that each start with filter type 0 (none).
std::string FilterlessRows(size_t rows, size_t bytes, char fill) {
    std::string data;
    for (size_t y = 0; y < rows; ++y)
        data += '\0' + std::string(bytes, fill);
    return data;
}

TEST(PngDecoder, LargestPictureIsAcceptedAndOneColumnMoreRefused) {
    // 8192 x 8192 fills the display limit exactly; 8193 columns need a
    // stride of 8196. Only the first rows' data is given: the size is known
    // once the data starts.
    struct Case {
        uint32_t width, height;
        bool interlaced;
        bool accepted;
    };
    for (const Case c : {Case{8192, 8192, false, true}, Case{8193, 8192, false, false},
                         Case{8192, 8193, false, false}, Case{8192, 8192, true, true},
                         Case{8193, 8192, true, false}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) +
                     (c.interlaced ? " interlaced" : ""));
        const std::string rows(4 * (1 + (c.width + 7) / 8), '\0');
        const std::string png =
            PngBuilder().Header(c.width, c.height, 1, 0, c.interlaced).Data(rows).Bytes();
        CPngMimeObject object("file:///big.png", "image/png");
        EXPECT_EQ(object.Write(png.data(), png.size()),
                  c.accepted ? Status::Continue : Status::Failed);
        EXPECT_EQ(object.HasImage(), c.accepted);
        int32_t width = 0, height = 0;
        object.GetImageSize(width, height);
        EXPECT_EQ(width, c.accepted ? static_cast<int32_t>(c.width) : 0);
        EXPECT_EQ(height, c.accepted ? static_cast<int32_t>(c.height) : 0);
    }
}

TEST(PngDecoder, SizeAndTitleOnceTheDataStarts) {
    const std::string png = PngBuilder()
                                .Header(3, 2, 8, 0, false)
                                .Data(std::string("\0\x80\x80\x80\0\x80\x80\x80", 8))
                                .End();
    CPngMimeObject object("file:///t.png", "image/png");
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.GetTitle(), "");
    const size_t header = 8 + 25;
    EXPECT_EQ(object.Write(png.data(), header), Status::Continue);
    EXPECT_FALSE(object.HasImage()) << "the header alone does not start the picture";
    EXPECT_EQ(object.Write(png.data() + header, png.size() - header), Status::Complete);
    EXPECT_TRUE(object.HasImage());
    EXPECT_EQ(object.GetTitle(), "PNG Image (3 by 2)");
    object.SetStatus(Status::Complete);
    EXPECT_EQ(object.EndOfData(), Status::Complete);
    // Grey 128 is between the cube's 102 and 153: diffusion mixes the two.
    for (uint8_t index : DisplayOf(object))
        EXPECT_TRUE(index == CColorCube::BlueMajor()[CColorCube::BlueMajorIndex(2, 2, 2)] ||
                    index == CColorCube::BlueMajor()[CColorCube::BlueMajorIndex(3, 3, 3)] ||
                    index == kTransparentMarker);
}

TEST(PngDecoder, BrokenFilesFail) {
    const std::string good =
        PngBuilder().Header(4, 4, 8, 2, false).Data(FilterlessRows(4, 12, '\x40')).End();
    std::string badCrc = good;
    badCrc[8 + 8 + 13] ^= 1; // the IHDR chunk's CRC
    std::string badSignature = good;
    badSignature[1] = 'Q';
    std::string badType = good;
    badType[8 + 8 + 9] = 5; // no colour type 5
    const std::string noData = PngBuilder().Header(4, 4, 8, 2, false).End();
    for (const std::string& bytes : {badCrc, badSignature, badType, noData}) {
        Status status = Status::Unknown;
        EXPECT_EQ(Decode(bytes, 7, &status), std::vector<uint8_t>());
        EXPECT_EQ(status, Status::Failed);
    }
    Status status = Status::Unknown;
    EXPECT_FALSE(Decode(good, 7, &status).empty());
    EXPECT_EQ(status, Status::Complete);
}

} // namespace
