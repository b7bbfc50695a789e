#include "images/CGifMimeObject.h"

#include "images/CColorCube.h"
#include "images/CDitherConverter.h"
#include "images/ImageLimits.h"
#include "images/MapRowNearest.h"
#include "platform/gdi/CDibSection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kTableFlag = 0x80;
constexpr uint8_t kInterlaceFlag = 0x40;
constexpr uint8_t kTransparentFlag = 0x01;
// The graphic-control block: flags, delay (2 bytes), transparent index.
constexpr uint32_t kGraphicControlSize = 4;

int32_t Word(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

} // namespace

CGifMimeObject::CGifMimeObject(std::string url, std::string contentType)
    : CSingleElementObject(std::move(url), std::move(contentType),
                           Caps::Document | Caps::InlineImage),
      m_decoder(std::make_unique<GifDecoder>()) {}

CGifMimeObject::~CGifMimeObject() = default;

Status CGifMimeObject::Write(const char* bytes, size_t count) {
    if (!m_decoder || m_lastResult.load() != Status::Continue)
        return m_lastResult.load();
    const auto* input = reinterpret_cast<const uint8_t*>(bytes);
    GifDecoder& decoder = *m_decoder;
    while (decoder.gathered + count >= decoder.needed) {
        const uint32_t size = decoder.needed;
        const size_t take = size - decoder.gathered;
        std::memcpy(decoder.gather.data() + decoder.gathered, input, take);
        input += take;
        count -= take;
        decoder.gathered = 0;
        if (const Status status = HandleChunk(decoder.gather.data(), size);
            status != Status::Continue) {
            m_lastResult = status;
            return status;
        }
    }
    std::memcpy(decoder.gather.data() + decoder.gathered, input, count);
    decoder.gathered += static_cast<uint32_t>(count);
    return Status::Continue;
}

Status CGifMimeObject::HandleChunk(const uint8_t* chunk, uint32_t size) {
    GifDecoder& decoder = *m_decoder;
    switch (static_cast<Stage>(m_stage.load())) {
    case Header:
        return ReadHeader(chunk);
    case GlobalColors:
        ReadColorTable(chunk);
        SetStage(Introducer);
        decoder.needed = 1;
        return Status::Continue;
    case Introducer:
        return ReadIntroducer(chunk[0]);
    case ExtensionLabel:
        // A first sub-block of size 0 is the terminator: the extension is
        // empty and the next block follows at once.
        if (chunk[1] == 0) {
            SetStage(Introducer);
            decoder.needed = 1;
        } else {
            SetStage(chunk[0] == kGraphicControlLabel ? GraphicControl : SkippedExtension);
            decoder.needed = chunk[1] + 1u;
        }
        return Status::Continue;
    case GraphicControl:
        ReadGraphicControl(chunk, size);
        NextSubBlock(chunk[size - 1]);
        return Status::Continue;
    case SkippedExtension:
        NextSubBlock(chunk[size - 1]);
        return Status::Continue;
    case ImageDescriptor:
        ReadImageDescriptor(chunk);
        return Status::Continue;
    case LocalColors:
        ReadColorTable(chunk);
        SetStage(ImageStart);
        decoder.needed = 2;
        return Status::Continue;
    case ImageStart:
        return StartImageData(chunk);
    case ImageData:
        return ReadImageData(chunk, size);
    }
    return Status::Failed;
}

void CGifMimeObject::SetStage(Stage stage) {
    CSemLockGuard guard(m_lock);
    m_stage = stage;
}

Status CGifMimeObject::ReadHeader(const uint8_t* chunk) {
    if (std::memcmp(chunk, "GIF87a", 6) != 0 && std::memcmp(chunk, "GIF89a", 6) != 0)
        return Status::Failed;
    // A screen too large to hold is refused before anyone sees its size,
    // so that the page shows the broken picture, not a vast empty box.
    if (CDibSection::StrideFor(Word(chunk + 6)) * static_cast<size_t>(Word(chunk + 8)) >
        kMaxImageBytes)
        return Status::Failed;
    {
        CSemLockGuard guard(m_lock);
        m_width = Word(chunk + 6);
        m_height = Word(chunk + 8);
        if (chunk[10] & kTableFlag) {
            m_colorCount = 2 << (chunk[10] & 7);
            m_decoder->needed = 3 * static_cast<uint32_t>(m_colorCount);
            m_stage = GlobalColors;
        } else {
            m_decoder->needed = 1;
            m_stage = Introducer;
        }
    }
    NotifyClients(Notify::ImageData);
    return Status::Continue;
}

// Entries past the table keep what an earlier table put there.
void CGifMimeObject::ReadColorTable(const uint8_t* chunk) {
    CSemLockGuard guard(m_lock);
    for (int32_t i = 0; i < m_colorCount; ++i, chunk += 3)
        m_colorTable[static_cast<size_t>(i)] = {chunk[2], chunk[1], chunk[0], 0};
}

Status CGifMimeObject::ReadIntroducer(uint8_t introducer) {
    if (introducer == kExtensionIntroducer) {
        SetStage(ExtensionLabel);
        m_decoder->needed = 2;
        return Status::Continue;
    }
    if (introducer == kImageSeparator) {
        SetStage(ImageDescriptor);
        m_decoder->needed = 9;
        return Status::Continue;
    }
    // The trailer before any image, or a block this format does not have.
    return Status::Failed;
}

void CGifMimeObject::ReadGraphicControl(const uint8_t* chunk, uint32_t size) {
    // A block too short to hold the index has none.
    if (size - 1 < kGraphicControlSize || !(chunk[0] & kTransparentFlag))
        return;
    CSemLockGuard guard(m_lock);
    m_transparentIndex = chunk[3];
}

void CGifMimeObject::NextSubBlock(uint8_t size) {
    if (size != 0) {
        SetStage(SkippedExtension);
        m_decoder->needed = size + 1u;
    } else {
        SetStage(Introducer);
        m_decoder->needed = 1;
    }
}

void CGifMimeObject::ReadImageDescriptor(const uint8_t* chunk) {
    const int32_t width = m_width.load();
    const int32_t height = m_height.load();
    m_frameLeft = Word(chunk);
    m_frameTop = Word(chunk + 2);
    m_frameWidth = Word(chunk + 4);
    m_frameHeight = Word(chunk + 6);
    // What reaches beyond the logical screen is cut off.
    m_visibleWidth = std::clamp(width - m_frameLeft, 0, m_frameWidth);
    m_visibleHeight = std::clamp(height - m_frameTop, 0, m_frameHeight);
    m_interlaced = chunk[8] & kInterlaceFlag;
    if (chunk[8] & kTableFlag) {
        {
            CSemLockGuard guard(m_lock);
            m_colorCount = 2 << (chunk[8] & 7);
            m_stage = LocalColors;
        }
        m_decoder->needed = 3 * static_cast<uint32_t>(m_colorCount);
    } else {
        SetStage(ImageStart);
        m_decoder->needed = 2;
    }
}

Status CGifMimeObject::StartImageData(const uint8_t* chunk) {
    const int32_t minimumCodeSize = chunk[0];
    if (minimumCodeSize < 2 || minimumCodeSize > 9)
        return Status::Failed;
    const bool nothingToDecode = m_visibleWidth == 0 || m_visibleHeight == 0 || chunk[1] == 0;
    if (!nothingToDecode)
        m_decoder->StartImage(minimumCodeSize, m_frameWidth, m_frameHeight);
    m_decoder->needed = chunk[1] + 1u;
    const int32_t width = m_width.load();
    const int32_t height = m_height.load();
    const size_t stride = CDibSection::StrideFor(width);
    const size_t size = stride * static_cast<size_t>(height);
    if (size == 0) {
        SetStage(ImageData);
        return Status::Complete;
    }
    // Filled before the lock is taken: readers wait only for the hand-over.
    // Index rows are read only after they have been written.
    auto indices = std::make_unique_for_overwrite<uint8_t[]>(size);
    auto display = std::make_unique_for_overwrite<uint8_t[]>(size);
    std::memset(display.get(), kTransparentMarker, size);
    {
        CSemLockGuard guard(m_lock);
        m_stage = ImageData;
        m_indexBuffer = std::move(indices);
        m_displayBuffer = std::move(display);
        m_bits = m_displayBuffer.get();
        if (!nothingToDecode)
            m_converter = std::make_unique<CDitherConverter>(
                m_colorTable, m_visibleWidth, static_cast<int32_t>(stride), m_transparentIndex);
    }
    // An image without pixels on the screen, or without data, is complete as
    // it stands.
    return nothingToDecode ? Status::Complete : Status::Continue;
}

Status CGifMimeObject::ReadImageData(const uint8_t* chunk, uint32_t size) {
    const uint8_t next = chunk[size - 1];
    if (m_decoder->Decode({chunk, size - 1}, *this) == GifDecoder::Result::Ended)
        return Status::Complete;
    // The block terminator without an end code: the data ends here.
    if (next == 0) {
        m_decoder->FlushPartialRow(*this);
        return Status::Complete;
    }
    m_decoder->needed = next + 1u;
    return Status::Continue;
}

size_t CGifMimeObject::Offset(int32_t frameRow) const {
    return static_cast<size_t>(m_frameTop + frameRow) *
               static_cast<size_t>(CDibSection::StrideFor(m_width.load())) +
           static_cast<size_t>(m_frameLeft);
}

void CGifMimeObject::CopyIntoIndexRow(int32_t frameRow, const uint8_t* pixels) {
    std::memcpy(m_indexBuffer.get() + Offset(frameRow), pixels,
                static_cast<size_t>(m_visibleWidth));
}

void CGifMimeObject::OutputRow(int32_t number, const uint8_t* pixels) {
    if (m_interlaced) {
        OutputInterlacedRow(number, pixels);
    } else if (number < m_visibleHeight) {
        CopyIntoIndexRow(number, pixels);
        const size_t offset = Offset(number);
        const size_t end = static_cast<size_t>(CDibSection::StrideFor(m_width.load())) *
                           static_cast<size_t>(m_height.load());
        CSemLockGuard guard(m_lock); // painting copies these rows meanwhile
        DitherRows(*m_converter, {m_indexBuffer.get() + offset, end - offset},
                   {m_displayBuffer.get() + offset, end - offset}, 1);
    }
    if (number + 1 == m_frameHeight && m_frameLeft == 0 && m_frameTop == 0 &&
        m_visibleWidth == m_width.load() && m_visibleHeight == m_height.load())
        m_covered = true;
    NotifyClients(Notify::ImageData);
}

// Pass 1 takes every eighth row from 0, pass 2 every eighth from 4, pass 3
// every fourth from 2, pass 4 the odd rows; each row also fills the rows
// below it up to the next row of its pass, until a later pass replaces them.
void CGifMimeObject::OutputInterlacedRow(int32_t number, const uint8_t* pixels) {
    const int32_t h = m_frameHeight;
    const int32_t c1 = (h + 7) / 8, c2 = (h + 3) / 8, c3 = (h + 1) / 4;
    int32_t y = 0, repeat = 1;
    if (number < c1) {
        y = 8 * number;
        repeat = 8;
    } else if (number < c1 + c2) {
        y = 8 * (number - c1) + 4;
        repeat = 4;
    } else if (number < c1 + c2 + c3) {
        y = 4 * (number - c1 - c2) + 2;
        repeat = 2;
    } else {
        y = 2 * (number - c1 - c2 - c3) + 1;
    }
    const int32_t last = std::min({y + repeat, h, m_visibleHeight});
    const auto count = static_cast<size_t>(m_visibleWidth);
    CSemLockGuard guard(m_lock); // painting copies these rows meanwhile
    for (int32_t row = y; row < last; ++row) {
        CopyIntoIndexRow(row, pixels);
        uint8_t* display = m_displayBuffer.get() + Offset(row);
        if (row == y)
            MapRowNearest(m_colorTable, {pixels, count}, {display, count}, m_visibleWidth,
                          m_transparentIndex.load());
        else
            std::memcpy(display, m_displayBuffer.get() + Offset(y), count);
    }
}

int32_t CGifMimeObject::CoveredFrameRows() const {
    const int32_t done = m_decoder->RowsDone();
    // Once the first pass is through, repeated rows stand in for every row.
    if (done >= (m_frameHeight + 7) / 8)
        return m_frameHeight;
    return std::min(8 * done, m_frameHeight);
}

void CGifMimeObject::DitherFinalPicture() {
    const int32_t rows = std::min(CoveredFrameRows(), m_visibleHeight);
    const size_t offset = Offset(0);
    const size_t end = static_cast<size_t>(CDibSection::StrideFor(m_width.load())) *
                       static_cast<size_t>(m_height.load());
    CSemLockGuard guard(m_lock);
    DitherRows(*m_converter, {m_indexBuffer.get() + offset, end - offset},
               {m_displayBuffer.get() + offset, end - offset}, rows);
}

Status CGifMimeObject::EndOfData() {
    const Status status = GetStatus();
    if (m_decoder) {
        // The passes were mapped colour by colour to show early; the finished
        // picture is diffused in order, the converter still untouched.
        if (status == Status::Complete && m_interlaced && m_indexBuffer && m_converter) {
            DitherFinalPicture();
            NotifyClients(Notify::ImageData);
        }
        CSemLockGuard guard(m_lock);
        m_indexBuffer.reset();
        m_converter.reset();
        m_decoder.reset();
    }
    const Status result = status == Status::Complete ? Status::Complete : Status::Failed;
    m_lastResult = result;
    return result;
}

std::string CGifMimeObject::GetTitle() {
    if (m_stage.load() == Header)
        return {};
    char title[64];
    std::snprintf(title, sizeof title, "GIF Image (%d by %d)", m_width.load(), m_height.load());
    return title;
}

void CGifMimeObject::GetImageSize(int32_t& width, int32_t& height) {
    if (m_stage.load() == Header) {
        width = height = 32;
        return;
    }
    width = m_width.load();
    height = m_height.load();
}

// Pixels still showing the marker (not yet decoded, transparent, or outside
// the image's rectangle) must let the page through.
bool CGifMimeObject::NeedsBackground() {
    return m_lastResult.load() != Status::Complete || m_transparentIndex.load() >= 0 ||
           !m_covered.load();
}

int32_t CGifMimeObject::GetBitmapInfo(CBitmapInfo& info) {
    const int32_t width = m_width.load();
    info = {width, m_height.load(), 1, 8};
    return CDibSection::StrideFor(width);
}

ContentTypeRegistration RegisterGifType() {
    return ContentTypeTable().Register(
        {PrefixMatcher("image/gif"),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CGifMimeObject>(url, type);
         },
         Caps::Document | Caps::InlineImage, "image/gif"});
}
