#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <png.h>

// One PNG picture decoded by libpng's push reader while its bytes arrive.
// Every colour type and depth comes out as rows of red, green, blue and alpha
// bytes (palettes and greys expanded, tRNS turned into alpha, 16-bit samples
// scaled). An interlaced picture comes pass by pass: each row of a pass is
// handed on as the whole row it now gives, the pass's pixels widened over the
// columns and repeated over the rows that later passes fill in; the decoder
// keeps the picture so far, which later passes build on.
//
// libpng reports errors by a longjmp to the guarded call that entered it
// (Feed). Between the two lie only libpng's C frames and our callbacks, and
// neither the callbacks nor Feed hold a local with a destructor while they
// are in libpng, so the jump skips no C++ clean-up. The sink's calls return
// before any libpng call that may fail; no exception leaves them. The error
// never leaves this class: Feed answers Failed instead.
class PngDecoder {
public:
    struct Header {
        uint32_t width = 0;
        uint32_t height = 0;
        bool interlaced = false;
        bool transparency = false; // an alpha channel or a tRNS chunk
    };
    // Where the picture goes. Called from inside Feed; must not throw.
    class ISink {
    public:
        virtual ~ISink() = default;
        // The header has been read; false refuses the picture.
        virtual bool OnHeader(const Header& header) = 0;
        // Row y as width x 4 bytes, in the given pass (0 for a picture that is
        // not interlaced); valid during the call.
        virtual void OnRow(uint32_t y, int32_t pass, const uint8_t* rgba) = 0;
    };

    enum class Step {
        Continue, // wants more data
        Complete, // the end of the picture has been read
        Failed,   // libpng reported an error, or the sink refused the picture
    };

    explicit PngDecoder(ISink& sink);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    [[nodiscard]] Step Feed(const uint8_t* bytes, size_t count);

    // An interlaced picture as decoded so far, width x 4 bytes per row; null
    // for one that is not interlaced.
    [[nodiscard]] const uint8_t* Picture() const { return m_picture.get(); }

private:
    static void OnInfo(png_structp png, png_infop info);
    static void OnRow(png_structp png, png_bytep row, png_uint_32 y, int pass);
    static void OnEnd(png_structp png, png_infop info);
    static void OnError(png_structp png, png_const_charp message);
    static void OnWarning(png_structp png, png_const_charp message);

    // The output format, set up while libpng reads the header; answers the
    // picture's header.
    static Header ChooseOutput(png_structp png, png_infop info);
    // Keeps the picture of an interlaced file; false when it is too large.
    bool AllocatePicture(const Header& header);

    ISink& m_sink;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    std::unique_ptr<uint8_t[]> m_picture;
    size_t m_rowBytes = 0;
    uint32_t m_height = 0;
    bool m_complete = false;
    bool m_failed = false;
};
