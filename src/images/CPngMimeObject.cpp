#include "images/CPngMimeObject.h"

#include "images/CColorCube.h"
#include "images/CDitherConverter.h"
#include "images/ImageLimits.h"
#include "images/MapRowNearest.h"
#include "platform/gdi/CDibSection.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kBytesPerPixel = 4;

size_t StrideOf(int32_t width) {
    return static_cast<size_t>(CDibSection::StrideFor(width));
}

} // namespace

CPngMimeObject::CPngMimeObject(std::string url, std::string contentType)
    : CSingleElementObject(std::move(url), std::move(contentType),
                           Caps::Document | Caps::InlineImage),
      m_decoder(std::make_unique<PngDecoder>(static_cast<PngDecoder::ISink&>(*this))) {}

CPngMimeObject::~CPngMimeObject() = default;

Status CPngMimeObject::Write(const char* bytes, size_t count) {
    if (!m_decoder || m_lastResult.load() != Status::Continue)
        return m_lastResult.load();
    m_changed = false;
    const PngDecoder::Step step = m_decoder->Feed(reinterpret_cast<const uint8_t*>(bytes), count);
    Status status = Status::Continue;
    if (step == PngDecoder::Step::Complete)
        status = Status::Complete;
    else if (step == PngDecoder::Step::Failed)
        status = Status::Failed;
    // Viewers hear once per write, whatever number of rows it brought.
    if (m_changed || status != Status::Continue)
        NotifyClients(Notify::ImageData);
    if (status != Status::Continue)
        m_lastResult = status;
    return status;
}

// Called by the decoder inside libpng: nothing may throw out of here.
bool CPngMimeObject::OnHeader(const PngDecoder::Header& header) {
    // libpng bounds a side at 2^31 - 1; a picture past the display limit is
    // refused before anyone sees its size, so the page shows the broken one.
    if (header.width > kMaxImageBytes || header.height > kMaxImageBytes)
        return false;
    const auto width = static_cast<int32_t>(header.width);
    const auto height = static_cast<int32_t>(header.height);
    const size_t size = StrideOf(width) * header.height;
    if (size == 0 || size > kMaxImageBytes)
        return false;
    std::unique_ptr<uint8_t[]> display(new (std::nothrow) uint8_t[size]);
    if (!display)
        return false;
    std::memset(display.get(), kTransparentMarker, size);
    try {
        if (!header.interlaced)
            m_converter = std::make_unique<CDitherConverter>(width);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_interlaced = header.interlaced;
    {
        CSemLockGuard guard(m_lock);
        m_width = width;
        m_height = height;
        m_transparency = header.transparency;
        m_displayBuffer = std::move(display);
        m_bits = m_displayBuffer.get();
    }
    m_changed = true;
    return true;
}

uint8_t* CPngMimeObject::DisplayRow(uint32_t y) const {
    return m_displayBuffer.get() + y * StrideOf(m_width.load());
}

// Called by the decoder inside libpng: nothing may throw out of here.
void CPngMimeObject::OnRow(uint32_t y, int32_t, const uint8_t* rgba) {
    const int32_t width = m_width.load();
    const auto count = static_cast<size_t>(width);
    const std::span<const uint8_t> source(rgba, kBytesPerPixel * count);
    const std::span<uint8_t> destination(DisplayRow(y), count);
    CSemLockGuard guard(m_lock); // painting copies the rows meanwhile
    if (m_converter)
        m_converter->DitherRgbaRow(source, destination);
    else
        MapRgbaRowNearest(source, destination, width);
    m_changed = true;
}

void CPngMimeObject::DitherFinalPicture() {
    const int32_t width = m_width.load();
    const auto height = static_cast<uint32_t>(m_height.load());
    const size_t rowBytes = kBytesPerPixel * static_cast<size_t>(width);
    CDitherConverter converter(width);
    CSemLockGuard guard(m_lock);
    for (uint32_t y = 0; y < height; ++y)
        converter.DitherRgbaRow({m_decoder->Picture() + y * rowBytes, rowBytes},
                                {DisplayRow(y), static_cast<size_t>(width)});
}

Status CPngMimeObject::EndOfData() {
    const Status status = GetStatus();
    if (m_decoder) {
        // The passes were mapped colour by colour to show early; the finished
        // picture is diffused in order.
        if (status == Status::Complete && m_interlaced && m_decoder->Picture()) {
            DitherFinalPicture();
            NotifyClients(Notify::ImageData);
        }
        CSemLockGuard guard(m_lock);
        m_converter.reset();
        m_decoder.reset();
    }
    const Status result = status == Status::Complete ? Status::Complete : Status::Failed;
    m_lastResult = result;
    return result;
}

std::string CPngMimeObject::GetTitle() {
    if (!HasImage())
        return {};
    char title[64];
    std::snprintf(title, sizeof title, "PNG Image (%d by %d)", m_width.load(), m_height.load());
    return title;
}

void CPngMimeObject::GetImageSize(int32_t& width, int32_t& height) {
    width = m_width.load();
    height = m_height.load();
}

// Rows not decoded yet, and pixels below half opacity, show the marker and
// must let the page through.
bool CPngMimeObject::NeedsBackground() {
    return m_lastResult.load() != Status::Complete || m_transparency.load();
}

int32_t CPngMimeObject::GetBitmapInfo(CBitmapInfo& info) {
    const int32_t width = m_width.load();
    info = {width, m_height.load(), 1, 8};
    return static_cast<int32_t>(StrideOf(width));
}

ContentTypeRegistration RegisterPngType() {
    return ContentTypeTable().Register(
        {PrefixMatcher("image/png"),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CPngMimeObject>(url, type);
         },
         Caps::Document | Caps::InlineImage, "image/png"});
}
