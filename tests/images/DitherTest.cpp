#include "images/CColorCube.h"
#include "images/CDitherConverter.h"
#include "images/CSharedPalette.h"
#include "images/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// The textbook diffusion of ImageTestSupport over a picture of colour
// indices: each index stands for its colour, the transparent one for a pixel
// not drawn.
class ReferenceDither {
public:
    ReferenceDither(const std::array<CRgbQuad, 256>& colors, int width, int transparent)
        : m_colors(colors), m_transparent(transparent), m_rgba(width) {}

    std::vector<uint8_t> Row(const std::vector<uint8_t>& source) {
        std::vector<std::array<uint8_t, 4>> row;
        for (uint8_t index : source) {
            const CRgbQuad& c = m_colors[index];
            row.push_back(
                {c.red, c.green, c.blue, static_cast<uint8_t>(index == m_transparent ? 0 : 255)});
        }
        return m_rgba.Row(row);
    }

private:
    std::array<CRgbQuad, 256> m_colors;
    int m_transparent;
    RgbaReferenceDither m_rgba;
};

std::array<CRgbQuad, 256> RandomColors(std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::array<CRgbQuad, 256> colors{};
    for (CRgbQuad& c : colors)
        c = {static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
             static_cast<uint8_t>(byte(random)), 0};
    return colors;
}

struct DitherCase {
    int width;
    int rows;
    int transparent;
    int colorsUsed;          // how many table entries the picture draws from
    std::vector<int> chunks; // rows per DitherRows call, repeated
};

TEST(DitherRows, MatchesTheTextbookDiffusionOnRandomPictures) {
    const std::vector<DitherCase> cases = {
        {1, 5, -1, 256, {1}},    {2, 6, -1, 256, {2, 1}}, {7, 9, 3, 8, {1}},
        {33, 17, -1, 4, {5, 3}}, {64, 12, 0, 2, {12}},    {100, 20, 17, 256, {1, 2, 3}},
        {5, 40, 2, 3, {7}},      {250, 4, -1, 256, {4}},
    };
    std::mt19937 random(20261206);
    for (const DitherCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " transparent " << c.transparent);
        const auto colors = RandomColors(random);
        const int stride = (c.width + 3) & ~3;
        std::uniform_int_distribution<int> pick(0, c.colorsUsed - 1);
        std::vector<uint8_t> source(static_cast<size_t>(stride * c.rows), 0xCD);
        for (int y = 0; y < c.rows; ++y) {
            for (int x = 0; x < c.width; ++x)
                source[static_cast<size_t>(y * stride + x)] = static_cast<uint8_t>(pick(random));
        }

        CDitherConverter converter(colors, c.width, stride, c.transparent);
        std::vector<uint8_t> out(source.size(), 0xEE);
        int done = 0;
        for (size_t k = 0; done < c.rows; ++k) {
            const int rows = std::min(c.chunks[k % c.chunks.size()], c.rows - done);
            const size_t offset = static_cast<size_t>(done * stride);
            DitherRows(converter, std::span(source).subspan(offset), std::span(out).subspan(offset),
                       rows);
            done += rows;
        }

        ReferenceDither reference(colors, c.width, c.transparent);
        for (int y = 0; y < c.rows; ++y) {
            const auto begin = source.begin() + y * stride;
            const auto expected = reference.Row({begin, begin + c.width});
            const auto got = out.begin() + y * stride;
            ASSERT_EQ(std::vector<uint8_t>(got, got + c.width), expected) << "row " << y;
            // The padding of each row is left alone.
            for (int x = c.width; x < stride; ++x)
                EXPECT_EQ(out[static_cast<size_t>(y * stride + x)], 0xEE);
        }
    }
}

TEST(DitherRows, ColoursOfTheirOwnMatchTheTextbookDiffusion) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    // Alpha just either side of half, and far from it.
    const std::array<uint8_t, 6> alphas = {0, 126, 127, 128, 129, 255};
    for (int width : {1, 2, 7, 64, 301}) {
        SCOPED_TRACE(width);
        CDitherConverter converter(width);
        RgbaReferenceDither reference(width);
        for (int y = 0; y < 9; ++y) {
            std::vector<std::array<uint8_t, 4>> row;
            std::vector<uint8_t> bytes;
            for (int x = 0; x < width; ++x) {
                const std::array<uint8_t, 4> pixel = {
                    static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
                    static_cast<uint8_t>(byte(random)),
                    alphas[static_cast<size_t>(byte(random)) % alphas.size()]};
                row.push_back(pixel);
                bytes.insert(bytes.end(), pixel.begin(), pixel.end());
            }
            std::vector<uint8_t> out(static_cast<size_t>(width), 0xEE);
            converter.DitherRgbaRow(bytes, out);
            const std::vector<uint8_t> expected = reference.Row(row);
            ASSERT_EQ(out, expected) << "row " << y;
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(out[static_cast<size_t>(x)] == kTransparentMarker,
                          row[static_cast<size_t>(x)][3] < 128);
        }
    }
}

TEST(DitherRows, ErrorsAreLimitedInThreeBands) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 0},     {15, 15}, {-15, -15}, {16, 16},  {17, 16},    {18, 17},   {47, 31},
        {-47, -31}, {48, 32}, {200, 32},  {255, 32}, {-255, -32}, {-20, -18},
    };
    for (const auto& [error, limited] : cases)
        EXPECT_EQ(CDitherConverter::LimitError(error), limited) << error;
}

TEST(DitherRows, ACubeColourStaysExactEverywhere) {
    std::array<CRgbQuad, 256> colors{};
    colors[5] = {153, 102, 51, 0}; // (51,102,153)
    const int width = 9, stride = 12, rows = 4;
    std::vector<uint8_t> source(static_cast<size_t>(stride * rows), 5);
    std::vector<uint8_t> out(source.size(), 0);
    CDitherConverter converter(colors, width, stride, -1);
    DitherRows(converter, source, out, rows);
    const uint8_t exact = CColorCube::BlueMajor()[CColorCube::BlueMajorIndex(1, 2, 3)];
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(out[static_cast<size_t>(y * stride + x)], exact);
    }
}

TEST(DitherRows, AFlatGreyBetweenLevelsAveragesOut) {
    std::array<CRgbQuad, 256> colors{};
    colors[0] = {128, 128, 128, 0};
    const int width = 64, rows = 64;
    std::vector<uint8_t> source(static_cast<size_t>(width * rows), 0);
    std::vector<uint8_t> out(source.size(), 0);
    CDitherConverter converter(colors, width, width, -1);
    DitherRows(converter, source, out, rows);
    long sum = 0;
    for (uint8_t index : out)
        sum += GetSharedPalette().Entry(index).green;
    const double mean = static_cast<double>(sum) / static_cast<double>(out.size());
    EXPECT_NEAR(mean, 128.0, 2.0);
}

} // namespace
