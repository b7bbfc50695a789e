// Feeds arbitrary bytes to what a form does with text: the toolkit's UTF-8
// read back into the page's code page, and the encoding of names and values
// for a request. Page text shown in a field and left alone must come back
// byte for byte, and an encoded pair must never carry a byte that ends a
// request line or separates pairs.
#include "platform/Windows1252.h"
#include "view/CFormSubmission.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // As UTF-8 from the keyboard: never longer than what came in.
    if (Utf8ToWindows1252(bytes).size() > bytes.size())
        __builtin_trap();
    // As page text through a control and back.
    if (Utf8ToWindows1252(Windows1252ToUtf8(bytes)) != bytes)
        __builtin_trap();
    const size_t half = size / 2;
    const std::vector<FormPair> pairs = {
        {std::string(bytes.substr(0, half)), std::string(bytes.substr(half))}};
    const std::string body = FormBody("http://host/", pairs);
    for (char c : body) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= ' ' || b >= 0x7F || c == '&' || c == '?' || c == '#')
            __builtin_trap();
    }
    if (FormBody("mailto:x", pairs) != pairs[0].first + " " + pairs[0].second + "\r\n")
        __builtin_trap();
    return 0;
}
