#pragma once

#include <string>
#include <string_view>

// The base64 encoding of RFC 1521 (section 5.2): every byte value, "=" padding
// for a last group of one or two bytes, no line breaks.
std::string Base64Encode(std::string_view bytes);
