#include "platform/Windows1252.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<char32_t, 32> HighCharacters = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The signs of 0x80-0x9F by character, for the way back.
constexpr auto SignsByCharacter = [] {
    std::array<std::pair<char32_t, uint8_t>, 27> signs{};
    size_t n = 0;
    for (size_t i = 0; i < HighCharacters.size(); ++i)
        if (HighCharacters[i] > 0xFF)
            signs[n++] = {HighCharacters[i], static_cast<uint8_t>(0x80 + i)};
    std::sort(signs.begin(), signs.end());
    return signs;
}();

// The length of the UTF-8 sequence that lead starts, 0 when it starts none.
size_t SequenceLength(uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The character of the well-formed sequence at text[i], or nothing.
bool DecodeSequence(std::string_view text, size_t i, size_t length, char32_t& character) {
    if (length == 0 || i + length > text.size())
        return false;
    character = static_cast<uint8_t>(text[i]) & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const uint8_t next = static_cast<uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return false;
        character = (character << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return character >= Smallest[length] && character <= 0x10FFFF &&
           !(character >= 0xD800 && character <= 0xDFFF);
}

} // namespace

char32_t Windows1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return HighCharacters[byte - 0x80u];
    return byte;
}

int32_t UnicodeToWindows1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<int32_t>(character);
    const auto* sign = std::lower_bound(
        SignsByCharacter.begin(), SignsByCharacter.end(), character,
        [](const std::pair<char32_t, uint8_t>& row, char32_t c) { return row.first < c; });
    if (sign != SignsByCharacter.end() && sign->first == character)
        return sign->second;
    return -1;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (char c : text) {
        const char32_t character = Windows1252ToUnicode(static_cast<uint8_t>(c));
        if (character < 0x80) {
            utf8 += static_cast<char>(character);
        } else if (character < 0x800) {
            utf8 += static_cast<char>(0xC0 | (character >> 6));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (character >> 12));
            utf8 += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (character & 0x3F));
        }
    }
    return utf8;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t lead = static_cast<uint8_t>(utf8[i]);
        const size_t length = SequenceLength(lead);
        char32_t character;
        if (lead < 0x80 || !DecodeSequence(utf8, i, length, character)) {
            text += static_cast<char>(lead);
            ++i;
            continue;
        }
        i += length;
        int32_t byte = UnicodeToWindows1252(character);
        // The five bytes the code page leaves unassigned come back as the
        // characters they were shown as.
        if (byte < 0 && character >= 0x80 && character <= 0x9F &&
            Windows1252ToUnicode(static_cast<uint8_t>(character)) == character)
            byte = static_cast<int32_t>(character);
        text += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return text;
}
