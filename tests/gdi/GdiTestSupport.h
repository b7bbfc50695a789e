#pragma once

#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"

#include <array>
#include <memory>
#include <string>

// A colour table like the engine's: a 6 x 6 x 6 cube (index r + 6g + 36b)
// followed by 40 greys, so that anti-aliased text has greys to land on.
inline std::array<CRgbQuad, 256> TestColorTable() {
    std::array<CRgbQuad, 256> table{};
    for (int i = 0; i < 216; ++i) {
        table[static_cast<size_t>(i)] = {static_cast<uint8_t>(i / 36 * 51),
                                         static_cast<uint8_t>(i / 6 % 6 * 51),
                                         static_cast<uint8_t>(i % 6 * 51), 0};
    }
    for (int i = 216; i < 256; ++i) {
        const auto v = static_cast<uint8_t>((i - 216) * 255 / 39);
        table[static_cast<size_t>(i)] = {v, v, v, 0};
    }
    return table;
}

inline constexpr uint8_t kBlack = 0;
inline constexpr uint8_t kRed = 5;
inline constexpr uint8_t kGreen = 30;
inline constexpr uint8_t kBlue = 180;
inline constexpr uint8_t kWhite = 215;

inline constexpr ColorRef kRedColor = MakeColorRef(255, 0, 0);
inline constexpr ColorRef kGreenColor = MakeColorRef(0, 255, 0);
inline constexpr ColorRef kBlueColor = MakeColorRef(0, 0, 255);
inline constexpr ColorRef kBlackColor = MakeColorRef(0, 0, 0);

// A white section and a context on it.
struct TestCanvas {
    std::unique_ptr<CDibSection> section;
    std::unique_ptr<CDeviceContext> dc;

    TestCanvas(int32_t width, int32_t height)
        : section(CDibSection::Create(width, height, TestColorTable())),
          dc(std::make_unique<CDeviceContext>(*section)) {
        section->Fill(kWhite);
    }
    [[nodiscard]] uint8_t At(int32_t x, int32_t y) const { return section->Pixel(x, y); }
    // Pixels that are not background, and the box around them.
    [[nodiscard]] int Ink(uint8_t background = kWhite) const {
        int count = 0;
        for (int32_t y = 0; y < section->Height(); ++y) {
            for (int32_t x = 0; x < section->Width(); ++x)
                count += At(x, y) != background;
        }
        return count;
    }
    [[nodiscard]] CRect InkBox(uint8_t background = kWhite) const {
        CRect box;
        for (int32_t y = 0; y < section->Height(); ++y) {
            for (int32_t x = 0; x < section->Width(); ++x) {
                if (At(x, y) != background)
                    box = box.Union({x, y, x + 1, y + 1});
            }
        }
        return box;
    }
    // The picture as rows of characters: '.' background, '#' the given
    // index, '?' anything else; what a failing shape test prints.
    [[nodiscard]] std::string Dump(uint8_t ink) const {
        std::string out;
        for (int32_t y = 0; y < section->Height(); ++y) {
            for (int32_t x = 0; x < section->Width(); ++x)
                out += At(x, y) == kWhite ? '.' : At(x, y) == ink ? '#' : '?';
            out += '\n';
        }
        return out;
    }
};
