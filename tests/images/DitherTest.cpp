#include "images/CColorCube.h"
#include "images/CDitherConverter.h"
#include "images/CSharedPalette.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// A straightforward serpentine Floyd-Steinberg with the same limits and
// rounding, written the textbook way: each pixel pushes 7/16 of its error to
// the next pixel in the row and 3/16, 5/16, 1/16 into a separate array for
// the row below, which becomes the input of the next row.
class ReferenceDither {
public:
    ReferenceDither(const std::array<CRgbQuad, 256>& colors, int width, int transparent)
        : m_colors(colors), m_width(width), m_transparent(transparent),
          m_fromAbove(static_cast<size_t>(width) * 3, 0) {}

    std::vector<uint8_t> Row(const std::vector<uint8_t>& source) {
        std::vector<uint8_t> out(static_cast<size_t>(m_width));
        std::vector<int> below(static_cast<size_t>(m_width) * 3, 0);
        std::array<int, 3> carried{};
        const int dir = m_odd ? -1 : 1;
        for (int n = 0; n < m_width; ++n) {
            const int x = m_odd ? m_width - 1 - n : n;
            std::array<int, 3> error{};
            if (source[static_cast<size_t>(x)] == m_transparent) {
                out[static_cast<size_t>(x)] = 1;
            } else {
                const CRgbQuad& c = m_colors[source[static_cast<size_t>(x)]];
                const int channel[3] = {c.red, c.green, c.blue};
                int level[3];
                for (int ch = 0; ch < 3; ++ch) {
                    const int sum = m_fromAbove[static_cast<size_t>(x * 3 + ch)] + carried[ch];
                    const int e = Limit(FloorDiv16(sum + 8));
                    const int value = std::clamp(channel[ch] + e, 0, 255);
                    level[ch] = (value + 25) / 51;
                    error[ch] = value - 51 * level[ch];
                }
                out[static_cast<size_t>(x)] = CColorCube::BlueMajor()[static_cast<size_t>(
                    level[0] + 6 * level[1] + 36 * level[2])];
            }
            for (int ch = 0; ch < 3; ++ch) {
                carried[ch] = 7 * error[ch];
                Add(below, x - dir, ch, 3 * error[ch]);
                Add(below, x, ch, 5 * error[ch]);
                Add(below, x + dir, ch, error[ch]);
            }
        }
        m_fromAbove = below;
        m_odd = !m_odd;
        return out;
    }

private:
    static int FloorDiv16(int v) { return v >= 0 ? v / 16 : -((-v + 15) / 16); }
    static int Limit(int e) {
        const int m = std::abs(e);
        const int limited = m <= 15 ? m : m <= 47 ? 16 + (m - 16) / 2 : 32;
        return e < 0 ? -limited : limited;
    }
    void Add(std::vector<int>& row, int x, int ch, int value) const {
        if (x >= 0 && x < m_width)
            row[static_cast<size_t>(x * 3 + ch)] += value;
    }

    std::array<CRgbQuad, 256> m_colors;
    int m_width;
    int m_transparent;
    std::vector<int> m_fromAbove;
    bool m_odd = false;
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
