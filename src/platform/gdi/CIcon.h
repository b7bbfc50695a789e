#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// A small picture with a transparency mask, drawn at a point: the
// broken-image sign and its kind. Loaded from PNG files among the embedded
// resources.
class CIcon {
    struct CreateKey {
        explicit CreateKey() = default;
    };

public:
    static constexpr int32_t kMaxDimension = 256;

    // Null when the bytes are not a PNG file of at most maxDimension pixels
    // each way (a strip of pictures side by side may ask for more).
    [[nodiscard]] static std::unique_ptr<CIcon> FromPng(std::span<const unsigned char> bytes,
                                                        int32_t maxDimension = kMaxDimension);
    // The icon of a resource id: the embedded file "icons/<id>.png".
    [[nodiscard]] static std::shared_ptr<const CIcon> Load(int id);

    CIcon(CreateKey, int32_t width, int32_t height, std::vector<uint8_t> rgba);

    [[nodiscard]] int32_t Width() const { return m_width; }
    [[nodiscard]] int32_t Height() const { return m_height; }
    // Red, green, blue, alpha; a pixel is drawn when alpha is at least half.
    [[nodiscard]] const uint8_t* Pixel(int32_t x, int32_t y) const;
    [[nodiscard]] bool IsOpaqueAt(int32_t x, int32_t y) const { return Pixel(x, y)[3] >= 128; }

private:
    int32_t m_width;
    int32_t m_height;
    std::vector<uint8_t> m_rgba;
};
