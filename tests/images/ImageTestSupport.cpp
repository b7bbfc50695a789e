#include "images/ImageTestSupport.h"

#include "images/CColorCube.h"
#include "images/CDitherConverter.h"
#include "images/CSharedPalette.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void WritePpm(const std::string& path, const RgbImage& image) {
    std::string bytes =
        "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    for (const Rgb& p : image.pixels) {
        bytes += static_cast<char>(p.r);
        bytes += static_cast<char>(p.g);
        bytes += static_cast<char>(p.b);
    }
    WriteFile(path, bytes);
}

RgbaFrame DecodeWithImageMagick(const std::string& path, int32_t width, int32_t height) {
    // Written aside, as the picture may lie in the source tree.
    const TempDir scratch;
    const std::string raw = PathIn(scratch, "frame.rgba");
    RgbaFrame frame{width, height, {}};
    if (width == 0) {
        const std::string size = PathIn(scratch, "frame.size");
        if (!RunCommand("/usr/bin/identify -format '%w %h' '" + path + "[0]' > '" + size + "'"))
            return frame;
        std::istringstream(ReadFile(size)) >> frame.width >> frame.height;
    }
    if (!RunCommand("/usr/bin/convert '" + path + "[0]' -depth 8 rgba:'" + raw + "'"))
        return frame;
    const std::string bytes = ReadFile(raw);
    frame.pixels.resize(bytes.size() / 4);
    std::memcpy(frame.pixels.data(), bytes.data(), frame.pixels.size() * 4);
    EXPECT_EQ(frame.pixels.size(),
              static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
    return frame;
}

RgbaReferenceDither::RgbaReferenceDither(int width)
    : m_width(width), m_fromAbove(static_cast<size_t>(width) * 3, 0) {}

int RgbaReferenceDither::Limit(int e) {
    const int m = std::abs(e);
    const int limited = m <= 15 ? m : m <= 47 ? 16 + (m - 16) / 2 : 32;
    return e < 0 ? -limited : limited;
}

void RgbaReferenceDither::Add(std::vector<int>& row, int x, int ch, int value) const {
    if (x >= 0 && x < m_width)
        row[static_cast<size_t>(x * 3 + ch)] += value;
}

std::vector<uint8_t> RgbaReferenceDither::Row(const std::vector<std::array<uint8_t, 4>>& rgba) {
    std::vector<uint8_t> out(static_cast<size_t>(m_width));
    std::vector<int> below(static_cast<size_t>(m_width) * 3, 0);
    std::array<int, 3> carried{};
    const int dir = m_odd ? -1 : 1;
    for (int n = 0; n < m_width; ++n) {
        const int x = m_odd ? m_width - 1 - n : n;
        const auto& pixel = rgba[static_cast<size_t>(x)];
        std::array<int, 3> error{};
        if (pixel[3] < 128) {
            out[static_cast<size_t>(x)] = 1;
        } else {
            int level[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int sum = m_fromAbove[static_cast<size_t>(x * 3 + ch)] + carried[ch];
                const int e = Limit(FloorDiv16(sum + 8));
                const int value = std::clamp(pixel[static_cast<size_t>(ch)] + e, 0, 255);
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

std::vector<uint8_t> ReferenceDisplay(const RgbaFrame& frame) {
    const int32_t stride = (frame.width + 3) & ~3;
    std::vector<uint8_t> display(static_cast<size_t>(stride * frame.height), 1);
    RgbaReferenceDither dither(frame.width);
    for (int32_t y = 0; y < frame.height; ++y) {
        const auto begin = frame.pixels.begin() + y * frame.width;
        const std::vector<uint8_t> row = dither.Row({begin, begin + frame.width});
        std::copy(row.begin(), row.end(), display.begin() + y * stride);
    }
    return display;
}

RgbaFrame DecodeWithImageMagickRounded(const std::string& path, int32_t width, int32_t height) {
    const TempDir scratch;
    const std::string raw = PathIn(scratch, "frame.rgba");
    RgbaFrame frame{width, height, {}};
    if (!RunCommand("/usr/bin/convert '" + path + "[0]' -depth 16 -endian MSB rgba:'" + raw + "'"))
        return frame;
    const std::string bytes = ReadFile(raw);
    frame.pixels.resize(bytes.size() / 8);
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
        for (size_t ch = 0; ch < 4; ++ch) {
            const uint32_t value =
                (static_cast<uint32_t>(static_cast<uint8_t>(bytes[8 * i + 2 * ch])) << 8) |
                static_cast<uint8_t>(bytes[8 * i + 2 * ch + 1]);
            frame.pixels[i][ch] = static_cast<uint8_t>((value * 255 + 32767) / 65535);
        }
    }
    EXPECT_EQ(frame.pixels.size(),
              static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
    return frame;
}

namespace {

int32_t Word(std::string_view bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint8_t Byte(std::string_view bytes, size_t at) {
    return static_cast<uint8_t>(bytes.at(at));
}

void ReadTable(std::string_view gif, size_t at, int32_t count, std::array<CRgbQuad, 256>& colors) {
    for (int32_t i = 0; i < count; ++i)
        colors[static_cast<size_t>(i)] = {Byte(gif, at + 3 * i + 2), Byte(gif, at + 3 * i + 1),
                                          Byte(gif, at + 3 * i), 0};
}

// Skips a chain of sub-blocks starting at its first size byte.
size_t SkipSubBlocks(std::string_view gif, size_t at) {
    while (Byte(gif, at) != 0)
        at += Byte(gif, at) + 1u;
    return at + 1;
}

} // namespace

GifLayout ReadGifLayout(std::string_view gif) {
    GifLayout layout;
    layout.screenWidth = Word(gif, 6);
    layout.screenHeight = Word(gif, 8);
    size_t at = 13;
    if (Byte(gif, 10) & 0x80) {
        layout.hasGlobalTable = true;
        const int32_t count = 2 << (Byte(gif, 10) & 7);
        ReadTable(gif, at, count, layout.colors);
        at += 3 * static_cast<size_t>(count);
    }
    while (Byte(gif, at) == 0x21) {
        if (Byte(gif, at + 1) == 0xF9 && (Byte(gif, at + 3) & 1))
            layout.transparent = Byte(gif, at + 6);
        at = SkipSubBlocks(gif, at + 2);
    }
    if (Byte(gif, at) != 0x2C)
        throw std::runtime_error("no image in the GIF");
    layout.descriptorOffset = at;
    layout.left = Word(gif, at + 1);
    layout.top = Word(gif, at + 3);
    layout.width = Word(gif, at + 5);
    layout.height = Word(gif, at + 7);
    const uint8_t flags = Byte(gif, at + 9);
    layout.interlaced = flags & 0x40;
    at += 10;
    if (flags & 0x80) {
        layout.hasLocalTable = true;
        const int32_t count = 2 << (flags & 7);
        ReadTable(gif, at, count, layout.colors);
        at += 3 * static_cast<size_t>(count);
    }
    layout.minimumCodeSize = Byte(gif, at);
    return layout;
}

std::string MoveTableToLocal(std::string_view gif, bool keepGlobal) {
    const uint8_t screenFlags = Byte(gif, 10);
    if (!(screenFlags & 0x80))
        throw std::runtime_error("no global table to move");
    const size_t tableSize = 3 * (size_t{2} << (screenFlags & 7));
    const std::string table(gif.substr(13, tableSize));
    const GifLayout layout = ReadGifLayout(gif);
    std::string out(gif.substr(0, 13));
    if (keepGlobal) {
        // Colours that no pixel should show: the inverse of each entry.
        std::string other = table;
        for (char& c : other)
            c = static_cast<char>(255 - static_cast<uint8_t>(c));
        out += other;
    } else {
        out[10] = static_cast<char>(screenFlags & 0x78);
    }
    out += gif.substr(13 + tableSize, layout.descriptorOffset - 13 - tableSize);
    std::string descriptor(gif.substr(layout.descriptorOffset, 10));
    descriptor[9] = static_cast<char>(Byte(descriptor, 9) | 0x80 | (screenFlags & 7));
    out += descriptor + table;
    out += gif.substr(layout.descriptorOffset + 10);
    return out;
}

std::vector<uint8_t> ExpectedGifDisplay(const std::string& path) {
    const std::string gif = ReadFile(path);
    const GifLayout layout = ReadGifLayout(gif);
    const RgbaFrame frame = DecodeWithImageMagick(path, layout.width, layout.height);
    const int32_t stride = (layout.screenWidth + 3) & ~3;
    std::vector<uint8_t> display(static_cast<size_t>(stride * layout.screenHeight), 1);
    const int32_t visibleWidth = std::clamp(layout.screenWidth - layout.left, 0, layout.width);
    const int32_t visibleHeight = std::clamp(layout.screenHeight - layout.top, 0, layout.height);
    if (visibleWidth == 0 || visibleHeight == 0)
        return display;
    // The frame's colours back to indices; any index of the same colour
    // diffuses the same way, so the first one will do.
    std::vector<uint8_t> indices(static_cast<size_t>(visibleWidth * visibleHeight));
    for (int32_t y = 0; y < visibleHeight; ++y) {
        for (int32_t x = 0; x < visibleWidth; ++x) {
            const auto& p = frame.pixels[static_cast<size_t>(y * frame.width + x)];
            int32_t index = -1;
            if (p[3] == 0) {
                index = layout.transparent;
            } else {
                for (int32_t i = 0; i < 256 && index < 0; ++i) {
                    const CRgbQuad& c = layout.colors[static_cast<size_t>(i)];
                    if (i != layout.transparent && c.red == p[0] && c.green == p[1] &&
                        c.blue == p[2])
                        index = i;
                }
            }
            EXPECT_GE(index, 0) << "colour not in the table at " << x << "," << y;
            indices[static_cast<size_t>(y * visibleWidth + x)] = static_cast<uint8_t>(index);
        }
    }
    std::vector<uint8_t> frameDisplay(indices.size());
    CDitherConverter converter(layout.colors, visibleWidth, visibleWidth, layout.transparent);
    converter.DitherRows(indices, frameDisplay, visibleHeight);
    for (int32_t y = 0; y < visibleHeight; ++y)
        std::memcpy(&display[static_cast<size_t>((layout.top + y) * stride + layout.left)],
                    &frameDisplay[static_cast<size_t>(y * visibleWidth)],
                    static_cast<size_t>(visibleWidth));
    return display;
}

GifWriter::GifWriter(int32_t width, int32_t height, const std::vector<Rgb>& globalTable) {
    m_bytes = "GIF89a";
    const auto word = [this](int32_t value) {
        m_bytes += static_cast<char>(value & 0xFF);
        m_bytes += static_cast<char>(value >> 8);
    };
    word(width);
    word(height);
    int32_t bits = 0;
    while ((2 << bits) < static_cast<int32_t>(globalTable.size()))
        ++bits;
    m_bytes += static_cast<char>(globalTable.empty() ? 0 : 0x80 | bits);
    m_bytes += '\0';
    m_bytes += '\0';
    if (!globalTable.empty()) {
        for (int32_t i = 0; i < (2 << bits); ++i) {
            const Rgb c = i < static_cast<int32_t>(globalTable.size())
                              ? globalTable[static_cast<size_t>(i)]
                              : Rgb{};
            m_bytes += static_cast<char>(c.r);
            m_bytes += static_cast<char>(c.g);
            m_bytes += static_cast<char>(c.b);
        }
    }
}

void GifWriter::GraphicControl(int32_t transparentIndex) {
    m_bytes += std::string("\x21\xF9\x04\x01\x00\x00", 6);
    m_bytes += static_cast<char>(transparentIndex);
    m_bytes += '\0';
}

void GifWriter::Image(int32_t left, int32_t top, int32_t width, int32_t height, bool interlaced,
                      int32_t minimumCodeSize) {
    m_bytes += ',';
    for (int32_t value : {left, top, width, height}) {
        m_bytes += static_cast<char>(value & 0xFF);
        m_bytes += static_cast<char>(value >> 8);
    }
    m_bytes += static_cast<char>(interlaced ? 0x40 : 0);
    m_bytes += static_cast<char>(minimumCodeSize);
    m_minimumCodeSize = minimumCodeSize;
}

void GifWriter::Code(int32_t code, int32_t bits) {
    m_accumulator |= static_cast<uint32_t>(code) << m_bitCount;
    m_bitCount += bits;
    while (m_bitCount >= 8) {
        m_data += static_cast<char>(m_accumulator & 0xFF);
        m_accumulator >>= 8;
        m_bitCount -= 8;
    }
}

void GifWriter::Literals(const std::vector<uint8_t>& pixels, bool endCode) {
    const int32_t clear = 1 << m_minimumCodeSize;
    int32_t size = m_minimumCodeSize + 1;
    int32_t limit = 1 << size;
    int32_t next = clear + 2;
    Code(clear, size);
    bool first = true;
    for (uint8_t pixel : pixels) {
        Code(pixel, size);
        // The decoder defines an entry for every code but the first.
        if (!first) {
            if (next < limit)
                ++next;
            if (next >= limit && size < 12) {
                limit <<= 1;
                ++size;
            }
        }
        first = false;
    }
    if (endCode)
        Code(clear + 1, size);
}

std::string GifWriter::Finish(size_t blockSize) {
    if (m_bitCount > 0)
        m_data += static_cast<char>(m_accumulator & 0xFF);
    for (size_t at = 0; at < m_data.size(); at += blockSize) {
        const size_t count = std::min(blockSize, m_data.size() - at);
        m_bytes += static_cast<char>(count);
        m_bytes += m_data.substr(at, count);
    }
    m_bytes += '\0';
    m_bytes += ';';
    return m_bytes;
}

Status Feed(CMimeObject& object, std::string_view bytes, size_t piece, bool end) {
    Status status = Status::Continue;
    for (size_t at = 0; at < bytes.size() && status == Status::Continue; at += piece) {
        status = object.Write(bytes.data() + at, std::min(piece, bytes.size() - at));
        object.SetStatus(status);
    }
    if (end) {
        status = object.EndOfData();
        object.SetStatus(status);
    }
    return status;
}

std::vector<uint8_t> DisplayOf(CMimeObject& object) {
    const uint8_t* bits = object.GetBits();
    if (!bits)
        return {};
    CBitmapInfo info;
    const int32_t stride = object.GetBitmapInfo(info);
    return {bits, bits + static_cast<size_t>(stride) * static_cast<size_t>(info.height)};
}

IndexedBmp ReadIndexedBmp(const std::string& path) {
    const std::string bmp = ReadFile(path);
    IndexedBmp image;
    if (bmp.size() < 54 || bmp.substr(0, 2) != "BM")
        return image;
    const auto dword = [&](size_t at) {
        return static_cast<uint32_t>(Word(bmp, at)) |
               (static_cast<uint32_t>(Word(bmp, at + 2)) << 16);
    };
    const uint32_t dataOffset = dword(10);
    const uint32_t headerSize = dword(14);
    image.width = static_cast<int32_t>(dword(18));
    image.height = static_cast<int32_t>(dword(22));
    EXPECT_EQ(Word(bmp, 28), 8);
    uint32_t colors = dword(46);
    if (colors == 0)
        colors = 256;
    for (uint32_t i = 0; i < colors; ++i) {
        const size_t at = 14 + headerSize + 4 * i;
        image.palette.push_back({Byte(bmp, at + 2), Byte(bmp, at + 1), Byte(bmp, at)});
    }
    const size_t stride = (static_cast<size_t>(image.width) + 3) & ~size_t{3};
    // Rows are stored bottom row first.
    for (int32_t y = image.height - 1; y >= 0; --y) {
        const size_t at = dataOffset + static_cast<size_t>(y) * stride;
        image.indices.insert(image.indices.end(), bmp.begin() + static_cast<long>(at),
                             bmp.begin() + static_cast<long>(at) + image.width);
    }
    return image;
}

IndexedBmp DecodeWithDjpeg(const std::string& jpeg) {
    const TempDir scratch;
    const std::string bmp = PathIn(scratch, "out.bmp");
    if (!RunCommand("djpeg -colors 216 -onepass -dither fs -dct fast -nosmooth -bmp -outfile '" +
                    bmp + "' '" + jpeg + "'"))
        return {};
    return ReadIndexedBmp(bmp);
}

uint8_t NearestPaletteIndex(const Rgb& color) {
    const auto& entries = CSharedPalette::Entries();
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        if (i == 1)
            continue;
        const auto& e = entries[static_cast<size_t>(i)];
        const int dr = e.red - color.r, dg = e.green - color.g, db = e.blue - color.b;
        if (dr * dr + dg * dg + db * db < bestDistance) {
            bestDistance = dr * dr + dg * dg + db * db;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

Rgb PaletteColor(uint8_t index) {
    const auto& e = CSharedPalette::Entries()[index];
    return {e.red, e.green, e.blue};
}
