#include "images/PngDecoder.h"

#include "images/ImageLimits.h"
#include "platform/Verify.h"

#include <new>

namespace {

constexpr size_t kBytesPerPixel = 4;

// Chunks that change nothing on screen: they are skipped unread, so that
// their compressed text and profiles cost neither time nor memory.
constexpr png_byte kIgnoredChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0hIST\0tIME\0";
constexpr int kIgnoredChunkCount = 8;

} // namespace

PngDecoder::PngDecoder(ISink& sink) : m_sink(sink) {
    m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (m_png)
        m_info = png_create_info_struct(m_png);
    if (!m_png || !m_info) {
        m_failed = true;
        return;
    }
    png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
    png_set_progressive_read_fn(m_png, this, OnInfo, OnRow, OnEnd);
}

PngDecoder::~PngDecoder() {
    if (m_png)
        png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
}

PngDecoder::Step PngDecoder::Feed(const uint8_t* bytes, size_t count) {
    if (m_failed)
        return Step::Failed;
    if (m_complete || count == 0)
        return m_complete ? Step::Complete : Step::Continue;
    if (setjmp(png_jmpbuf(m_png))) {
        m_failed = true;
        return Step::Failed;
    }
    png_process_data(m_png, m_info, const_cast<png_bytep>(bytes), count);
    return m_complete ? Step::Complete : Step::Continue;
}

PngDecoder::Header PngDecoder::ChooseOutput(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (trns)
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (!alpha && !trns)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    (void)png_set_interlace_handling(png);
    return {width, height, interlace != PNG_INTERLACE_NONE, alpha || trns};
}

bool PngDecoder::AllocatePicture(const Header& header) {
    m_rowBytes = header.width * kBytesPerPixel;
    m_height = header.height;
    if (!header.interlaced)
        return true;
    if (m_rowBytes * header.height > kMaxInterlacedPngBytes)
        return false;
    m_picture.reset(new (std::nothrow) uint8_t[m_rowBytes * header.height]);
    return m_picture != nullptr;
}

// No local here has a destructor: libpng may leave this frame by longjmp.
void PngDecoder::OnInfo(png_structp png, png_infop info) {
    auto* self = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    const Header header = ChooseOutput(png, info);
    png_read_update_info(png, info);
    VERIFY(png_get_rowbytes(png, info) == header.width * kBytesPerPixel);
    if (!self->AllocatePicture(header) || !self->m_sink.OnHeader(header))
        png_error(png, "picture refused");
}

// No local here has a destructor: libpng may leave this frame by longjmp.
void PngDecoder::OnRow(png_structp png, png_bytep row, png_uint_32 y, int pass) {
    auto* self = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    // Rows that the current pass leaves as they were come without data.
    if (!row)
        return;
    VERIFY(y < self->m_height);
    if (!self->m_picture) {
        self->m_sink.OnRow(y, pass, row);
        return;
    }
    uint8_t* kept = self->m_picture.get() + y * self->m_rowBytes;
    png_progressive_combine_row(png, kept, row);
    self->m_sink.OnRow(y, pass, kept);
}

void PngDecoder::OnEnd(png_structp png, png_infop) {
    static_cast<PngDecoder*>(png_get_progressive_ptr(png))->m_complete = true;
}

// libpng's own handler would print the message; a broken picture on a page
// is no news for the terminal.
void PngDecoder::OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngDecoder::OnWarning(png_structp, png_const_charp) {}
