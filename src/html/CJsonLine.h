#pragma once

#include "html/CHtmlElement.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// value as a JSON string, quotes included: quotes, backslashes and control
// characters escaped, and bytes above 127 written as the \uXXXX of their
// Windows-1252 character, so that the text keeps its meaning.
[[nodiscard]] std::string JsonQuoted(std::string_view value);

// One JSON object of the dumps that print an object per line, built field by
// field in the order the fields are added.
class CJsonLine {
public:
    // The object's first field.
    CJsonLine(const char* name, int64_t value);

    CJsonLine& Number(const char* name, int64_t value);
    CJsonLine& String(const char* name, std::string_view value);
    template <class Range> CJsonLine& Numbers(const char* name, const Range& values) {
        Key(name);
        m_out += '[';
        bool first = true;
        for (const auto& value : values) {
            m_out += first ? "" : ",";
            m_out += std::to_string(static_cast<int64_t>(value));
            first = false;
        }
        m_out += ']';
        return *this;
    }
    CJsonLine& Options(const std::vector<COptionRecord>& options);

    // The object so far, without its closing brace, for a caller that adds
    // fields it can only write later.
    [[nodiscard]] const std::string& Open() const { return m_out; }
    [[nodiscard]] std::string Finish() const { return m_out + "}"; }

private:
    void Key(const char* name);

    std::string m_out;
};
