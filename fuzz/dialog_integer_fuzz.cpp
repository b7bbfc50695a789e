// The integer fields of the preferences sheet: ParseDialogInteger against a
// reading of the same rule through std::from_chars, and the range check
// against it, for any bytes the user may type or paste.
#include "bookmarks/prefs/CDialogPrefPage.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

std::optional<int32_t> Reference(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return std::nullopt;
    }
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<int32_t> parsed = ParseDialogInteger(text);
    if (parsed != Reference(text))
        std::abort();
    std::optional<std::string> message = CheckDialogInteger(text, 1, 4);
    if (message.has_value() == (parsed && *parsed >= 1 && *parsed <= 4))
        std::abort();
    return 0;
}
