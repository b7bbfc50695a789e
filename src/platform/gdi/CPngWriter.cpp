#include "platform/gdi/CPngWriter.h"

#include "platform/gdi/CDibSection.h"

#include <array>
#include <cstdio>
#include <memory>

#include <png.h>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

struct PngImage {
    png_image image{};
    std::array<uint8_t, 256 * 3> colormap{};

    explicit PngImage(const CDibSection& section) {
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(section.Width());
        image.height = static_cast<png_uint_32>(section.Height());
        image.format = PNG_FORMAT_RGB_COLORMAP;
        image.colormap_entries = 256;
        const auto table = section.ColorTable();
        for (size_t i = 0; i < table.size(); ++i) {
            colormap[i * 3] = table[i].red;
            colormap[i * 3 + 1] = table[i].green;
            colormap[i * 3 + 2] = table[i].blue;
        }
    }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

} // namespace

bool CPngWriter::WriteFile(const CDibSection& section, const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    PngImage png(section);
    if (!png_image_write_to_stdio(&png.image, file.get(), 0, section.Bits(), section.Stride(),
                                  png.colormap.data()))
        return false;
    return std::fflush(file.get()) == 0;
}

std::vector<uint8_t> CPngWriter::WriteMemory(const CDibSection& section) {
    PngImage png(section);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, section.Bits(), section.Stride(),
                                   png.colormap.data()))
        return {};
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, section.Bits(),
                                   section.Stride(), png.colormap.data()))
        return {};
    bytes.resize(size);
    return bytes;
}
