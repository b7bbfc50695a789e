#include "images/CColorCube.h"
#include "images/CJpegMimeObject.h"
#include "images/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>

namespace {

// A photograph-like picture: smooth gradients, a sharp-edged block and fine
// stripes, at a size that is not a whole number of blocks.
RgbImage Photo(int32_t width, int32_t height) {
    RgbImage image{width, height, {}};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            Rgb p{static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(y * 255 / height),
                  static_cast<uint8_t>(128 + 100 * std::sin((x + 2 * y) / 9.0))};
            if (x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2)
                p = {230, 40, 30};
            if (y > 3 * height / 4 && (x / 2) % 2 == 0)
                p = {20, 20, 200};
            image.pixels.push_back(p);
        }
    }
    return image;
}

struct MadeJpeg {
    TempDir dir;
    std::string path;
    std::string bytes;
};

void MakeJpeg(MadeJpeg& jpeg, const std::string& cjpegOptions, int32_t width = 157,
              int32_t height = 93) {
    const std::string ppm = PathIn(jpeg.dir, "in.ppm");
    WritePpm(ppm, Photo(width, height));
    jpeg.path = PathIn(jpeg.dir, "out.jpg");
    ASSERT_TRUE(RunCommand("cjpeg -quality 85 " + cjpegOptions + " -outfile '" + jpeg.path + "' '" +
                           ppm + "'"));
    jpeg.bytes = ReadFile(jpeg.path);
}

std::vector<uint8_t> Decode(std::string_view bytes, size_t piece, Status* result = nullptr) {
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    const Status status = Feed(object, bytes, piece);
    if (result)
        *result = status;
    return DisplayOf(object);
}

// djpeg's indices address the same 6 x 6 x 6 map, red major.
std::vector<uint8_t> ExpectedFromDjpeg(const std::string& path) {
    const IndexedBmp bmp = DecodeWithDjpeg(path);
    EXPECT_GE(bmp.palette.size(), 216u);
    for (size_t i = 0; i < 216 && i < bmp.palette.size(); ++i)
        EXPECT_EQ(bmp.palette[i],
                  (Rgb{static_cast<uint8_t>(i / 36 * 51), static_cast<uint8_t>(i / 6 % 6 * 51),
                       static_cast<uint8_t>(i % 6 * 51)}));
    const size_t stride = (static_cast<size_t>(bmp.width) + 3) & ~size_t{3};
    std::vector<uint8_t> display(stride * static_cast<size_t>(bmp.height), 1);
    for (int32_t y = 0; y < bmp.height; ++y)
        for (int32_t x = 0; x < bmp.width; ++x)
            display[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] =
                CColorCube::RedMajor()[bmp.indices[static_cast<size_t>(y * bmp.width + x)]];
    return display;
}

class JpegAgainstDjpeg : public ::testing::TestWithParam<const char*> {};

TEST_P(JpegAgainstDjpeg, DisplayMatchesDjpegWholeAndByteByByte) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, GetParam());
    const std::vector<uint8_t> expected = ExpectedFromDjpeg(jpeg.path);
    Status result = Status::Unknown;
    EXPECT_EQ(Decode(jpeg.bytes, jpeg.bytes.size(), &result), expected);
    EXPECT_EQ(result, Status::Complete);
    EXPECT_EQ(Decode(jpeg.bytes, 1, &result), expected);
    EXPECT_EQ(result, Status::Complete);
    EXPECT_EQ(Decode(jpeg.bytes, 700, &result), expected);
    EXPECT_EQ(result, Status::Complete);
}

INSTANTIATE_TEST_SUITE_P(Files, JpegAgainstDjpeg,
                         ::testing::Values("", "-sample 1x1", "-restart 1", "-progressive",
                                           "-optimize -sample 2x1", "-arithmetic",
                                           "-arithmetic -progressive"),
                         [](const auto& info) {
                             std::string name;
                             for (const char* c = info.param; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name.empty() ? std::string("baseline") : name;
                         });

TEST(JpegHandler, SizeAndTitleOnceTheHeaderIsRead) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "", 64, 48);
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.GetTitle(), "");
    EXPECT_EQ(object.Write(jpeg.bytes.data(), 100), Status::Continue);
    EXPECT_FALSE(object.HasImage());
    // The header ends where the scan begins.
    const size_t scan = jpeg.bytes.find("\xFF\xDA") + 20;
    EXPECT_EQ(object.Write(jpeg.bytes.data() + 100, scan - 100), Status::Continue);
    EXPECT_TRUE(object.HasImage());
    EXPECT_EQ(object.GetTitle(), "JPEG Image (64 by 48)");
    int32_t width = 0, height = 0;
    object.GetImageSize(width, height);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 48);
    CBitmapInfo info;
    EXPECT_EQ(object.GetBitmapInfo(info), 64);
    EXPECT_TRUE(object.NeedsBackground());
}

TEST(JpegHandler, ProgressiveFileShowsOnceComplete) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "-progressive");
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    const size_t half = jpeg.bytes.size() / 2;
    EXPECT_EQ(object.Write(jpeg.bytes.data(), half), Status::Continue);
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.Write(jpeg.bytes.data() + half, jpeg.bytes.size() - half), Status::Complete);
    EXPECT_TRUE(object.HasImage());
}

TEST(JpegHandler, ArithmeticFileIsDecodedAtTheEndOfData) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "-arithmetic", 64, 48);
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    EXPECT_EQ(Feed(object, jpeg.bytes, jpeg.bytes.size(), false), Status::Continue);
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.EndOfData(), Status::Complete);
    EXPECT_TRUE(object.HasImage());
    EXPECT_FALSE(object.NeedsBackground());

    CJpegMimeObject cut("file:///t.jpg", "image/jpeg");
    const std::string_view half = std::string_view(jpeg.bytes).substr(0, jpeg.bytes.size() / 2);
    EXPECT_EQ(Feed(cut, half, 100, false), Status::Continue);
    EXPECT_EQ(cut.EndOfData(), Status::Failed);
}

TEST(JpegHandler, CutTransferLeavesTheLowerPartUndrawn) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "", 160, 120);
    const std::vector<uint8_t> whole = Decode(jpeg.bytes, jpeg.bytes.size());
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    const std::string_view part = std::string_view(jpeg.bytes).substr(0, jpeg.bytes.size() / 2);
    EXPECT_EQ(Feed(object, part, 512, false), Status::Continue);
    EXPECT_EQ(object.GetStatus(), Status::Continue);
    EXPECT_TRUE(object.NeedsBackground());
    // The transfer ended without an error of its own; the picture did not.
    EXPECT_EQ(object.EndOfData(), Status::Failed);
    EXPECT_TRUE(object.NeedsBackground());
    const std::vector<uint8_t> display = DisplayOf(object);
    ASSERT_EQ(display.size(), whole.size());
    // Some rows at the top are as in the whole picture, the last row is
    // untouched, and nothing in between is anything else.
    const size_t stride = 160;
    EXPECT_TRUE(std::equal(display.begin(), display.begin() + 16 * stride, whole.begin()));
    EXPECT_EQ(std::vector<uint8_t>(display.end() - stride, display.end()),
              std::vector<uint8_t>(stride, kTransparentMarker));
    for (size_t i = 0; i < display.size(); ++i)
        ASSERT_TRUE(display[i] == whole[i] || display[i] == kTransparentMarker) << i;
}

TEST(JpegHandler, PictureTooLargeToHoldFailsAtTheHeader) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "", 16, 16);
    // The frame header claims 60000 x 60000 pixels.
    std::string bytes = jpeg.bytes;
    const size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    for (size_t at : {frame + 5, frame + 7}) {
        bytes[at] = static_cast<char>(60000 >> 8);
        bytes[at + 1] = static_cast<char>(60000 & 0xFF);
    }
    CJpegMimeObject object("file:///t.jpg", "image/jpeg");
    EXPECT_EQ(object.Write(bytes.data(), bytes.size()), Status::Failed);
    EXPECT_FALSE(object.HasImage());
    EXPECT_EQ(object.GetBits(), nullptr);
}

TEST(JpegHandler, GifServedAsJpegFails) {
    TempDir dir;
    const std::string gif = PathIn(dir, "a.gif");
    ASSERT_TRUE(RunCommand("/usr/bin/convert -size 30x20 xc:red '" + gif + "'"));
    const std::string bytes = ReadFile(gif);
    CJpegMimeObject object("file:///a.gif", "image/jpeg");
    EXPECT_EQ(object.Write(bytes.data(), bytes.size()), Status::Failed);
    EXPECT_FALSE(object.HasImage());
    object.SetStatus(Status::Failed);
    EXPECT_EQ(object.EndOfData(), Status::Failed);
}

TEST(JpegHandler, MarkerSegmentSkippedInPartsResumesExactly) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "", 80, 60);
    // A comment of 30000 bytes after the start-of-image marker, which the
    // library skips over while it arrives piece by piece.
    std::string comment(30000, 'c');
    for (size_t i = 0; i < comment.size(); ++i)
        comment[i] = static_cast<char>('a' + i % 26);
    std::string bytes = jpeg.bytes.substr(0, 2) + "\xFF\xFE";
    bytes += static_cast<char>((comment.size() + 2) >> 8);
    bytes += static_cast<char>((comment.size() + 2) & 0xFF);
    bytes += comment + jpeg.bytes.substr(2);
    const std::string path = PathIn(jpeg.dir, "comment.jpg");
    WriteFile(path, bytes);
    const std::vector<uint8_t> expected = ExpectedFromDjpeg(path);
    EXPECT_EQ(Decode(bytes, 1000), expected);
    EXPECT_EQ(Decode(bytes, 7), expected);
}

// The mean colour of a square of the display, as the palette shows it.
Rgb MeanColor(const std::vector<uint8_t>& display, size_t stride, int32_t x0, int32_t y0,
              int32_t size) {
    int sums[3] = {};
    for (int32_t y = y0; y < y0 + size; ++y) {
        for (int32_t x = x0; x < x0 + size; ++x) {
            const Rgb c = PaletteColor(display[static_cast<size_t>(y) * stride + x]);
            sums[0] += c.r;
            sums[1] += c.g;
            sums[2] += c.b;
        }
    }
    const int n = size * size;
    return {static_cast<uint8_t>(sums[0] / n), static_cast<uint8_t>(sums[1] / n),
            static_cast<uint8_t>(sums[2] / n)};
}

int Distance(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Four flat patches: the colours a file shows wherever it is decoded.
const Rgb kPatches[4] = {{200, 30, 40}, {40, 160, 60}, {50, 70, 200}, {128, 128, 128}};

void MakePatches(const std::string& path) {
    RgbImage image{64, 64, {}};
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            image.pixels.push_back(kPatches[(y / 32) * 2 + x / 32]);
    WritePpm(path, image);
}

TEST(JpegHandler, CmykFileShowsItsColors) {
    TempDir dir;
    MakePatches(PathIn(dir, "in.ppm"));
    const std::string cmyk = PathIn(dir, "cmyk.jpg");
    ASSERT_TRUE(RunCommand("/usr/bin/convert '" + PathIn(dir, "in.ppm") + "' -colorspace CMYK '" +
                           cmyk + "'"));
    ASSERT_TRUE(
        RunCommand("/usr/bin/identify -format '%[colorspace]' '" + cmyk + "' | grep -q CMYK"));
    const RgbaFrame reference = DecodeWithImageMagick(cmyk);
    ASSERT_EQ(reference.width, 64);
    CJpegMimeObject object("file:///cmyk.jpg", "image/jpeg");
    EXPECT_EQ(Feed(object, ReadFile(cmyk), 4096), Status::Complete);
    const std::vector<uint8_t> display = DisplayOf(object);
    for (int32_t patch = 0; patch < 4; ++patch) {
        const int32_t x = (patch % 2) * 32 + 8, y = (patch / 2) * 32 + 8;
        const auto& ref = reference.pixels[static_cast<size_t>((y + 8) * 64 + x + 8)];
        const Rgb shown = MeanColor(display, 64, x, y, 16);
        // Within the spread of a 6-level cube, dithered.
        EXPECT_LE(Distance(shown, {ref[0], ref[1], ref[2]}), 45) << "patch " << patch;
        EXPECT_LE(Distance(shown, kPatches[patch]), 45) << "patch " << patch;
    }
}

TEST(JpegHandler, GreyscaleFileShowsGreysAsDjpegQuantisesThem) {
    MadeJpeg jpeg;
    MakeJpeg(jpeg, "-grayscale");
    const IndexedBmp bmp = DecodeWithDjpeg(jpeg.path);
    ASSERT_EQ(bmp.width, 157);
    CJpegMimeObject object("file:///g.jpg", "image/jpeg");
    EXPECT_EQ(Feed(object, jpeg.bytes, 1000), Status::Complete);
    const std::vector<uint8_t> display = DisplayOf(object);
    const size_t stride = 160;
    for (int32_t y = 0; y < bmp.height; ++y) {
        for (int32_t x = 0; x < bmp.width; ++x) {
            const Rgb grey = bmp.palette[bmp.indices[static_cast<size_t>(y * bmp.width + x)]];
            ASSERT_EQ(grey.r, grey.b);
            const uint8_t shown = display[static_cast<size_t>(y) * stride + x];
            ASSERT_EQ(shown, NearestPaletteIndex(grey)) << x << "," << y;
            // A grey of the palette (one system grey is faintly blue), close
            // to the grey the library chose.
            const Rgb c = PaletteColor(shown);
            ASSERT_LE(std::abs(c.r - c.b) + std::abs(c.g - c.b), 8);
            ASSERT_LE(std::abs(c.g - grey.g), 24);
        }
    }
}

} // namespace
