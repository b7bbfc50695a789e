#include "images/JpegDecoder.h"

#include "images/CColorCube.h"
#include "images/CSharedPalette.h"
#include "images/ImageLimits.h"
#include "platform/Verify.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <jerror.h>

namespace {

constexpr int kQuantizedColors = 216;

// The palette entry nearest a colour, never the marker's entry.
uint8_t NearestPaletteIndex(int red, int green, int blue) {
    const auto& entries = CSharedPalette::Entries();
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (i == kTransparentMarker)
            continue;
        const CPaletteEntry& e = entries[static_cast<size_t>(i)];
        const int dr = e.red - red, dg = e.green - green, db = e.blue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

// Cube colours go through the cube table, which also settles the four cube
// colours that the palette replaces by a pure one.
uint8_t PaletteIndexFor(int red, int green, int blue) {
    if (red % 51 == 0 && green % 51 == 0 && blue % 51 == 0)
        return CColorCube::BlueMajor()[static_cast<size_t>(
            CColorCube::BlueMajorIndex(red / 51, green / 51, blue / 51))];
    return NearestPaletteIndex(red, green, blue);
}

} // namespace

JpegDecoder::JpegDecoder() {
    m_created = Create();
}

JpegDecoder::~JpegDecoder() {
    if (m_source)
        std::free(m_source->copy);
    if (m_created)
        jpeg_destroy_decompress(&m_info);
}

bool JpegDecoder::Create() {
    m_info.err = jpeg_std_error(&m_error.pub);
    m_error.pub.error_exit = ErrorExit;
    m_error.pub.emit_message = EmitMessage;
    if (setjmp(m_error.jump)) {
        // A library that failed half-way through its creation owns nothing
        // that destroying it would not free.
        jpeg_destroy_decompress(&m_info);
        return false;
    }
    m_error.armed = true;
    jpeg_create_decompress(&m_info);
    m_info.mem->max_memory_to_use = kMaxJpegLibraryMemory;
    m_source = static_cast<Source*>((*m_info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&m_info), JPOOL_PERMANENT, sizeof(Source)));
    m_source->pub.init_source = InitSource;
    m_source->pub.fill_input_buffer = FillInputBuffer;
    m_source->pub.skip_input_data = SkipInputData;
    m_source->pub.resync_to_restart = jpeg_resync_to_restart;
    m_source->pub.term_source = TermSource;
    m_source->pub.next_input_byte = nullptr;
    m_source->pub.bytes_in_buffer = 0;
    m_source->decoder = this;
    m_source->startOfFile = 1;
    m_source->position = 0;
    m_source->copy = nullptr;
    m_source->capacity = 0;
    m_info.src = &m_source->pub;
    m_error.armed = false;
    return true;
}

void JpegDecoder::Append(const char* bytes, size_t count) {
    // A suspended library backs up at most to the bytes it has not consumed,
    // and those are handed out again from here: everything before them is
    // never read again, so a large picture is not held twice while it loads.
    if (m_source) {
        const size_t consumed =
            std::min(m_source->position - m_source->pub.bytes_in_buffer, m_received.size());
        m_received.erase(m_received.begin(),
                         m_received.begin() + static_cast<std::ptrdiff_t>(consumed));
        m_source->position -= consumed;
    }
    m_received.insert(m_received.end(), reinterpret_cast<const uint8_t*>(bytes),
                      reinterpret_cast<const uint8_t*>(bytes) + count);
}

JpegDecoder::Step JpegDecoder::ReadHeader() {
    if (!m_created)
        return Step::Failed;
    if (setjmp(m_error.jump))
        return Step::Failed;
    m_error.armed = true;
    if (jpeg_read_header(&m_info, TRUE) == JPEG_SUSPENDED) {
        m_error.armed = false;
        return Step::Suspended;
    }
    m_info.quantize_colors = TRUE;
    m_info.two_pass_quantize = FALSE;
    m_info.desired_number_of_colors = kQuantizedColors;
    m_info.dct_method = JDCT_IFAST;
    m_info.do_fancy_upsampling = FALSE;
    m_error.armed = false;
    return Step::Ready;
}

JpegDecoder::Step JpegDecoder::StartDecompress() {
    if (setjmp(m_error.jump))
        return Step::Failed;
    m_error.armed = true;
    if (!jpeg_start_decompress(&m_info)) {
        m_error.armed = false;
        return Step::Suspended;
    }
    // Quantised output has one sample, a colour index, per pixel.
    m_row = (*m_info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m_info), JPOOL_IMAGE,
                                        m_info.output_width, 1);
    m_error.armed = false;
    return Step::Ready;
}

JpegDecoder::Step JpegDecoder::ReadScanline() {
    if (setjmp(m_error.jump))
        return Step::Failed;
    m_error.armed = true;
    const JDIMENSION read = jpeg_read_scanlines(&m_info, m_row, 1);
    m_error.armed = false;
    return read == 1 ? Step::Ready : Step::Suspended;
}

void JpegDecoder::Finish() {
    if (setjmp(m_error.jump))
        return;
    m_error.armed = true;
    (void)jpeg_finish_decompress(&m_info);
    m_error.armed = false;
}

std::array<uint8_t, 256> JpegDecoder::PaletteMap() const {
    std::array<uint8_t, 256> map{};
    const int colors = std::min(m_info.actual_number_of_colors, 256);
    const int components = m_info.out_color_components;
    JSAMPARRAY colormap = m_info.colormap;
    for (int i = 0; i < colors; ++i) {
        const auto at = [&](int component) { return int{colormap[component][i]}; };
        int red = at(0), green = red, blue = red;
        if (m_info.out_color_space == JCS_CMYK && components == 4) {
            // Adobe's files hold the inks inverted; others hold them plain.
            int c = at(0), m = at(1), y = at(2), k = at(3);
            if (!m_info.saw_Adobe_marker) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            red = c * k / 255;
            green = m * k / 255;
            blue = y * k / 255;
        } else if (components >= 3) {
            green = at(1);
            blue = at(2);
        }
        map[static_cast<size_t>(i)] = PaletteIndexFor(red, green, blue);
    }
    return map;
}

void JpegDecoder::ErrorExit(j_common_ptr info) {
    (*info->err->output_message)(info);
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    VERIFY(error->armed);
    error->armed = false;
    std::longjmp(error->jump, 1);
}

// The library's own rule: the first warning of a picture (all of them when
// tracing), and trace messages up to the trace level.
void JpegDecoder::EmitMessage(j_common_ptr info, int level) {
    jpeg_error_mgr* err = info->err;
    if (level < 0) {
        if (err->num_warnings == 0 || err->trace_level >= 3)
            (*err->output_message)(info);
        ++err->num_warnings;
    } else if (err->trace_level >= level) {
        (*err->output_message)(info);
    }
}

void JpegDecoder::InitSource(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    source->startOfFile = 1;
    source->position = 0;
    std::free(source->copy);
    source->copy = nullptr;
    source->capacity = 0;
}

// Hands the library every received byte it has not had yet. When there is
// none it suspends, and the bytes it had not consumed since its last
// committed point are handed out again with the next fill.
boolean JpegDecoder::FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    const std::vector<uint8_t>& received = source->decoder->m_received;
    const size_t available =
        received.size() > source->position ? received.size() - source->position : 0;
    if (available == 0) {
        source->position -= source->pub.bytes_in_buffer;
        source->pub.bytes_in_buffer = 0;
        return FALSE;
    }
    if (source->capacity < available) {
        std::free(source->copy);
        source->capacity = 0;
        source->copy = static_cast<JOCTET*>(std::malloc(available));
        if (!source->copy)
            ERREXIT(info, JERR_OUT_OF_MEMORY);
        source->capacity = available;
    }
    std::memcpy(source->copy, received.data() + source->position, available);
    source->position += available;
    source->pub.next_input_byte = source->copy;
    source->pub.bytes_in_buffer = available;
    source->startOfFile = 0;
    return TRUE;
}

// A skip past the bytes handed out moves the position on, even beyond what
// has arrived, so the next fill resumes exactly after the skipped bytes.
void JpegDecoder::SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    auto* source = reinterpret_cast<Source*>(info->src);
    const auto n = static_cast<size_t>(count);
    if (source->pub.bytes_in_buffer > n) {
        source->pub.next_input_byte += n;
        source->pub.bytes_in_buffer -= n;
    } else {
        source->position += n - source->pub.bytes_in_buffer;
        source->pub.bytes_in_buffer = 0;
    }
}

void JpegDecoder::TermSource(j_decompress_ptr) {}
