#pragma once

#include "content/CMimeObject.h"
#include "platform/gdi/GdiTypes.h"
#include "support/TempDir.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Pictures for the decoder tests: made at test time by other tools
// (ImageMagick's convert, libjpeg-turbo's cjpeg and djpeg) and by a small
// GIF writer of our own for exact LZW code streams.

// A file named name in dir, as the tools take it.
inline std::string PathIn(const TempDir& dir, const std::string& name) {
    return (dir.Path() / name).string();
}

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
// Runs a shell command; true when it exited with 0.
bool RunCommand(const std::string& command);

// An RGB picture.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> pixels;
    [[nodiscard]] const Rgb& At(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y * width + x)];
    }
};
void WritePpm(const std::string& path, const RgbImage& image);

// ImageMagick's own decode of the first frame: RGBA, frame size only. A size
// known already saves asking ImageMagick for it.
struct RgbaFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::array<uint8_t, 4>> pixels;
};
RgbaFrame DecodeWithImageMagick(const std::string& path, int32_t width = 0, int32_t height = 0);
// The same from ImageMagick's 16-bit samples, each rounded to the nearest of
// 8 bits (v x 255 / 65535): ImageMagick's own reduction to 8 bits rounds
// some values down.
RgbaFrame DecodeWithImageMagickRounded(const std::string& path, int32_t width, int32_t height);

// A straightforward serpentine Floyd-Steinberg with the converters' limits
// and rounding, written the textbook way: each pixel pushes 7/16 of its error
// to the next pixel in the row and 3/16, 5/16, 1/16 into a separate array for
// the row below, which becomes the input of the next row. A pixel whose alpha
// is below 128 is not drawn and passes no error on.
class RgbaReferenceDither {
public:
    explicit RgbaReferenceDither(int width);
    std::vector<uint8_t> Row(const std::vector<std::array<uint8_t, 4>>& rgba);

private:
    static int FloorDiv16(int v) { return v >= 0 ? v / 16 : -((-v + 15) / 16); }
    static int Limit(int e);
    void Add(std::vector<int>& row, int x, int ch, int value) const;

    int m_width;
    std::vector<int> m_fromAbove;
    bool m_odd = false;
};

// The display buffer (stride x height) of a picture with colours of its own:
// its rows diffused in order.
std::vector<uint8_t> ReferenceDisplay(const RgbaFrame& frame);

// The structure of a GIF's first image as the file states it.
struct GifLayout {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    std::array<CRgbQuad, 256> colors{}; // global, then the local table over it
    bool hasGlobalTable = false;
    bool hasLocalTable = false;
    int32_t transparent = -1;
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    int32_t minimumCodeSize = 0;
    size_t descriptorOffset = 0; // of the "," that starts the image
};
GifLayout ReadGifLayout(std::string_view gif);
// The same GIF with its global table moved into a local one of the first
// image; with keepGlobal a table of other colours stays behind as the global.
std::string MoveTableToLocal(std::string_view gif, bool keepGlobal);

// The display buffer an image object should hold for a GIF after its end of
// data, from ImageMagick's decode of the same file: the frame's colours
// turned back into indices of its colour table and diffused in order.
std::vector<uint8_t> ExpectedGifDisplay(const std::string& path);

// Writes a GIF from explicit LZW codes, for exact cases.
class GifWriter {
public:
    GifWriter(int32_t width, int32_t height, const std::vector<Rgb>& globalTable);
    void GraphicControl(int32_t transparentIndex);
    void RawBytes(std::string_view bytes) { m_bytes += bytes; }
    void Image(int32_t left, int32_t top, int32_t width, int32_t height, bool interlaced,
               int32_t minimumCodeSize);
    // Codes of the given widths, packed least significant bit first.
    void Code(int32_t code, int32_t bits);
    // Literal pixels after a clear, with the code widths a decoder expects.
    void Literals(const std::vector<uint8_t>& pixels, bool endCode = true);
    // Ends the image data (sub-blocks of at most blockSize bytes, then the
    // terminator) and the file.
    std::string Finish(size_t blockSize = 255);

private:
    std::string m_bytes;
    std::string m_data;
    uint32_t m_accumulator = 0;
    int32_t m_bitCount = 0;
    int32_t m_minimumCodeSize = 0;
};

// Feeds an object as a load does: the status follows each result, feeding
// stops at the first result that ends the transfer, and the end of data
// follows when end is set. Returns the last result.
Status Feed(CMimeObject& object, std::string_view bytes, size_t piece, bool end = true);
// The display buffer (stride x height), empty without one.
std::vector<uint8_t> DisplayOf(CMimeObject& object);

// An 8-bit BMP as djpeg writes it: indices top row first and the palette.
struct IndexedBmp {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> indices;
    std::vector<Rgb> palette;
};
IndexedBmp ReadIndexedBmp(const std::string& path);
// djpeg with the settings of the JPEG object.
IndexedBmp DecodeWithDjpeg(const std::string& jpeg);

// The palette entry nearest a colour, never the marker 1.
uint8_t NearestPaletteIndex(const Rgb& color);
Rgb PaletteColor(uint8_t index);
