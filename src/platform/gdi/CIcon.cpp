#include "platform/gdi/CIcon.h"

#include "platform/CMutex.h"
#include "platform/CResources.h"
#include "platform/Verify.h"

#include <map>
#include <string>

#include <png.h>

namespace {

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

} // namespace

std::unique_ptr<CIcon> CIcon::FromPng(std::span<const unsigned char> bytes) {
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size()))
        return nullptr;
    const auto width = static_cast<int32_t>(png.image.width);
    const auto height = static_cast<int32_t>(png.image.height);
    if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension)
        return nullptr;
    png.image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png.image));
    if (!png_image_finish_read(&png.image, nullptr, rgba.data(), 0, nullptr))
        return nullptr;
    return std::make_unique<CIcon>(CreateKey{}, width, height, std::move(rgba));
}

std::shared_ptr<const CIcon> CIcon::Load(int id) {
    // Icons are few and small and live as long as the program.
    struct Cache {
        CMutex mutex;
        std::map<int, std::shared_ptr<const CIcon>> icons GUARDED_BY(mutex);
    };
    static Cache cache;
    CMutexGuard lock(cache.mutex);
    auto& slot = cache.icons[id];
    if (!slot) {
        const auto bytes = FindResource("icons/" + std::to_string(id) + ".png");
        if (bytes)
            slot = FromPng(*bytes);
    }
    return slot;
}

CIcon::CIcon(CreateKey, int32_t width, int32_t height, std::vector<uint8_t> rgba)
    : m_width(width), m_height(height), m_rgba(std::move(rgba)) {
    VERIFY(m_rgba.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

const uint8_t* CIcon::Pixel(int32_t x, int32_t y) const {
    VERIFY(x >= 0 && x < m_width && y >= 0 && y < m_height);
    return m_rgba.data() +
           (static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)) * 4;
}
