#pragma once

#include <cstdint>
#include <string>

enum class FontPitch : uint8_t { Default = 0, Fixed = 1, Variable = 2 };
enum class FontFamily : uint8_t { DontCare = 0, Roman = 1, Swiss = 2, Modern = 3 };

inline constexpr int32_t kFontWeightNormal = 400;
inline constexpr int32_t kFontWeightBold = 700;

// What a caller asks of a font. A positive height is the character-cell
// height in pixels (ascent plus descent); a negative one is the em height.
struct CLogFont {
    int32_t height = 0;
    int32_t weight = kFontWeightNormal;
    bool italic = false;
    bool underline = false;
    std::string faceName;
    FontPitch pitch = FontPitch::Default;
    FontFamily family = FontFamily::DontCare;
    friend bool operator==(const CLogFont&, const CLogFont&) = default;
};
