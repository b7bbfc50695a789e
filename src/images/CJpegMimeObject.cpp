#include "images/CJpegMimeObject.h"

#include "images/CColorCube.h"
#include "images/ImageLimits.h"
#include "images/JpegDecoder.h"
#include "platform/gdi/CDibSection.h"

#include <cstdio>
#include <cstring>

namespace {

// The library bounds a side at 65,500 pixels, well inside int32_t.
size_t StrideOf(uint32_t width) {
    return static_cast<size_t>(CDibSection::StrideFor(static_cast<int32_t>(width)));
}

} // namespace

CJpegMimeObject::CJpegMimeObject(std::string url, std::string contentType)
    : CSingleElementObject(std::move(url), std::move(contentType),
                           Caps::Document | Caps::InlineImage),
      m_decoder(std::make_unique<JpegDecoder>()) {}

CJpegMimeObject::~CJpegMimeObject() = default;

Status CJpegMimeObject::Write(const char* bytes, size_t count) {
    if (!m_decoder || m_lastResult.load() != Status::Continue)
        return m_lastResult.load();
    m_decoder->Append(bytes, count);
    const Status status = Decode();
    if (status != Status::Continue)
        m_lastResult = status;
    return status;
}

Status CJpegMimeObject::Fail() {
    NotifyClients(Notify::ImageData);
    return Status::Failed;
}

Status CJpegMimeObject::Decode() {
    JpegDecoder& decoder = *m_decoder;
    if (!m_headerRead) {
        if (const JpegDecoder::Step step = decoder.ReadHeader(); step != JpegDecoder::Step::Ready)
            return step == JpegDecoder::Step::Suspended ? Status::Continue : Fail();
        m_headerRead = true;
        if (StrideOf(decoder.ImageWidth()) * decoder.ImageHeight() > kMaxImageBytes)
            return Fail();
    }
    if (decoder.ArithmeticCoded() && !m_allReceived)
        return Status::Continue;
    if (!m_bits.load()) {
        // Multi-scan files do not start until all their data is here; the
        // header stays read and the start is tried again on the next write.
        if (const JpegDecoder::Step step = decoder.StartDecompress();
            step != JpegDecoder::Step::Ready)
            return step == JpegDecoder::Step::Suspended ? Status::Continue : Fail();
        if (const Status status = StartPicture(); status != Status::Continue)
            return status;
    }
    bool stored = false;
    while (decoder.OutputScanline() < decoder.OutputHeight()) {
        switch (decoder.ReadScanline()) {
        case JpegDecoder::Step::Suspended:
            if (stored)
                NotifyClients(Notify::ImageData);
            return Status::Continue;
        case JpegDecoder::Step::Failed:
            return Fail();
        case JpegDecoder::Step::Ready:
            break;
        }
        StoreRow(decoder.OutputScanline() - 1);
        stored = true;
    }
    NotifyClients(Notify::ImageData);
    return Status::Complete;
}

Status CJpegMimeObject::StartPicture() {
    JpegDecoder& decoder = *m_decoder;
    const size_t size = StrideOf(decoder.OutputWidth()) * decoder.OutputHeight();
    if (size == 0 || size > kMaxImageBytes)
        return Fail();
    m_paletteMap = decoder.PaletteMap();
    // Filled before the lock is taken: readers wait only for the hand-over.
    auto display = std::make_unique_for_overwrite<uint8_t[]>(size);
    std::memset(display.get(), kTransparentMarker, size);
    {
        CSemLockGuard guard(m_lock);
        m_width = static_cast<int32_t>(decoder.OutputWidth());
        m_height = static_cast<int32_t>(decoder.OutputHeight());
        m_displayBuffer = std::move(display);
        m_bits = m_displayBuffer.get();
    }
    NotifyClients(Notify::ImageData);
    return Status::Continue;
}

void CJpegMimeObject::StoreRow(uint32_t row) {
    const uint32_t width = m_decoder->OutputWidth();
    const JSAMPLE* samples = m_decoder->Row();
    uint8_t* out = m_displayBuffer.get() + row * StrideOf(width);
    CSemLockGuard guard(m_lock); // painting copies the rows meanwhile
    for (uint32_t x = 0; x < width; ++x)
        out[x] = m_paletteMap[samples[x]];
}

Status CJpegMimeObject::EndOfData() {
    Status status = GetStatus();
    if (m_decoder && status == Status::Continue && m_headerRead && m_decoder->ArithmeticCoded()) {
        m_allReceived = true;
        status = Decode();
    }
    if (m_decoder) {
        // A picture cut short is not finished: the library would only
        // complain about the missing data.
        if (status == Status::Complete)
            m_decoder->Finish();
        CSemLockGuard guard(m_lock);
        m_decoder.reset();
    }
    const Status result = status == Status::Complete ? Status::Complete : Status::Failed;
    m_lastResult = result;
    return result;
}

std::string CJpegMimeObject::GetTitle() {
    if (!HasImage())
        return {};
    char title[64];
    std::snprintf(title, sizeof title, "JPEG Image (%d by %d)", m_width.load(), m_height.load());
    return title;
}

void CJpegMimeObject::GetImageSize(int32_t& width, int32_t& height) {
    width = m_width.load();
    height = m_height.load();
}

int32_t CJpegMimeObject::GetBitmapInfo(CBitmapInfo& info) {
    const int32_t width = m_width.load();
    info = {width, m_height.load(), 1, 8};
    return static_cast<int32_t>(StrideOf(static_cast<uint32_t>(width)));
}

ContentTypeRegistration RegisterJpegType() {
    return ContentTypeTable().Register(
        {PrefixMatcher("image/jpeg"),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CJpegMimeObject>(url, type);
         },
         Caps::Document | Caps::InlineImage, "image/jpeg"});
}
