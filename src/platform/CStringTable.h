#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// One argument of a formatted message: a byte string or an integer. Its text
// is only ever copied into the result, never read as a format, so a URL or a
// server's reply line cannot steer the formatting. It refers to the caller's
// bytes, so it is meant to live only for the call it is passed to.
class CFormatArg {
public:
    using Value = std::variant<std::string_view, std::int64_t, std::uint64_t>;

    CFormatArg(std::string_view text) : m_value(text) {}
    CFormatArg(const char* text) : m_value(text ? std::string_view(text) : std::string_view()) {}
    CFormatArg(const std::string& text) : m_value(std::string_view(text)) {}
    CFormatArg(int value) : m_value(static_cast<std::int64_t>(value)) {}
    CFormatArg(long value) : m_value(static_cast<std::int64_t>(value)) {}
    CFormatArg(long long value) : m_value(static_cast<std::int64_t>(value)) {}
    CFormatArg(unsigned value) : m_value(static_cast<std::uint64_t>(value)) {}
    CFormatArg(unsigned long value) : m_value(static_cast<std::uint64_t>(value)) {}
    CFormatArg(unsigned long long value) : m_value(static_cast<std::uint64_t>(value)) {}

    [[nodiscard]] const Value& GetValue() const { return m_value; }

private:
    Value m_value;
};

// The program's numbered texts (error messages, the User-Agent, the
// application name) and the printf-like formatting they are used with. The
// texts are compiled in; ids are in platform/StringIds.h.
//
// Formatting understands %s, %d, %ld, %u, %lu, %x, %lx and %%, taking the
// arguments in order. A missing argument gives empty text for %s and 0 for the
// others; a text given to a number conversion is copied as it is, and a number
// given to %s prints in decimal. Anything else after a "%" is copied as it is.
class CStringTable {
public:
    // The text of id, or empty text when the table has no such id.
    [[nodiscard]] static std::string_view Load(unsigned id);
    [[nodiscard]] static bool Has(unsigned id);
    [[nodiscard]] static std::string FormatText(std::string_view format,
                                                std::initializer_list<CFormatArg> args);
    [[nodiscard]] static std::string Format(unsigned id, std::initializer_list<CFormatArg> args);
};

[[nodiscard]] inline std::string_view LoadString(unsigned id) {
    return CStringTable::Load(id);
}

[[nodiscard]] inline bool HasString(unsigned id) {
    return CStringTable::Has(id);
}

[[nodiscard]] inline std::string FormatText(std::string_view format,
                                            std::initializer_list<CFormatArg> args) {
    return CStringTable::FormatText(format, args);
}

[[nodiscard]] inline std::string FormatString(unsigned id, std::initializer_list<CFormatArg> args) {
    return CStringTable::Format(id, args);
}
