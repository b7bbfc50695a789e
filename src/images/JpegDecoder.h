#pragma once

#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

// One JPEG picture being decoded by the JPEG library while its bytes arrive.
// The delivered bytes the library has not consumed are kept; it reads them
// through a data source that suspends when they run out, and each call
// resumes where the library stopped.
//
// The library reports errors through an error exit that must not return.
// It leaves with longjmp to the guarded call that entered the library. Only
// the library's C frames and our own callbacks lie between, and none of
// them (nor the guarded calls themselves) has a local with a destructor, so
// the jump skips no C++ clean-up; an exception thrown through the library's
// C code would not be safe. The error never leaves this class: each guarded
// call returns Step::Failed instead.
class JpegDecoder {
public:
    enum class Step {
        Ready,     // the call finished
        Suspended, // the data ran out; call again when more has arrived
        Failed,    // the library reported an error
    };

    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    void Append(const char* bytes, size_t count);

    // Reads the header and chooses the output: 216 colours in one pass,
    // dithered, fast integer inverse DCT, plain upsampling.
    Step ReadHeader();
    // Progressive files suspend here until their last scan has arrived.
    Step StartDecompress();
    // One scanline into Row().
    Step ReadScanline();
    // Lets the library read to the end of the file; the outcome is not used.
    void Finish();

    // Valid once the header has been read.
    [[nodiscard]] uint32_t ImageWidth() const { return m_info.image_width; }
    [[nodiscard]] uint32_t ImageHeight() const { return m_info.image_height; }
    // The library's arithmetic decoder cannot suspend: running out of data
    // in its scans is an error, so such a file is decoded only once all of
    // it is here.
    [[nodiscard]] bool ArithmeticCoded() const { return m_info.arith_code != 0; }
    // Valid once decompression has started.
    [[nodiscard]] uint32_t OutputWidth() const { return m_info.output_width; }
    [[nodiscard]] uint32_t OutputHeight() const { return m_info.output_height; }
    [[nodiscard]] uint32_t OutputScanline() const { return m_info.output_scanline; }
    [[nodiscard]] const JSAMPLE* Row() const { return m_row[0]; }

    // The shared-palette index of each entry of the colour map the library
    // built, so that a row is reduced with one lookup per pixel.
    [[nodiscard]] std::array<uint8_t, 256> PaletteMap() const;

private:
    struct ErrorManager {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
        bool armed; // a guarded call is running, so jump is the way out
    };
    struct Source {
        jpeg_source_mgr pub;
        JpegDecoder* decoder;
        int32_t startOfFile;
        size_t position; // bytes of m_received handed to the library so far
        JOCTET* copy;    // what the last fill handed out
        size_t capacity;
    };

    bool Create();

    static void ErrorExit(j_common_ptr info);
    static void EmitMessage(j_common_ptr info, int level);
    static void InitSource(j_decompress_ptr info);
    static boolean FillInputBuffer(j_decompress_ptr info);
    static void SkipInputData(j_decompress_ptr info, long count);
    static void TermSource(j_decompress_ptr info);

    std::vector<uint8_t> m_received;
    jpeg_decompress_struct m_info{};
    ErrorManager m_error{};
    Source* m_source = nullptr; // in the library's permanent pool
    JSAMPARRAY m_row = nullptr; // in the library's image pool
    bool m_created = false;
};
