#include "document/Base64.h"

#include <cstdint>

std::string Base64Encode(std::string_view bytes) {
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16 |
                         static_cast<uint8_t>(bytes[i + 1]) << 8 |
                         static_cast<uint8_t>(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0})
            text += Alphabet[(group >> shift) & 0x3F];
    }
    size_t rest = bytes.size() - i;
    if (rest == 0)
        return text;
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (rest == 2)
        group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    text += Alphabet[(group >> 18) & 0x3F];
    text += Alphabet[(group >> 12) & 0x3F];
    text += rest == 2 ? Alphabet[(group >> 6) & 0x3F] : '=';
    text += '=';
    return text;
}
