#include "html/CJsonLine.h"

#include "platform/Windows1252.h"

#include <cstdio>

std::string JsonQuoted(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u > 127) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x",
                          static_cast<unsigned>(Windows1252ToUnicode(u)));
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

CJsonLine::CJsonLine(const char* name, int64_t value) {
    m_out = "{\"";
    m_out += name;
    m_out += "\":" + std::to_string(value);
}

CJsonLine& CJsonLine::Number(const char* name, int64_t value) {
    Key(name);
    m_out += std::to_string(value);
    return *this;
}

CJsonLine& CJsonLine::String(const char* name, std::string_view value) {
    Key(name);
    m_out += JsonQuoted(value);
    return *this;
}

CJsonLine& CJsonLine::Options(const std::vector<COptionRecord>& options) {
    Key("options");
    m_out += '[';
    for (size_t i = 0; i < options.size(); ++i) {
        m_out += i ? ",{\"text\":" : "{\"text\":";
        m_out += JsonQuoted(options[i].text) + ",\"value\":" + JsonQuoted(options[i].value) +
                 ",\"selected\":" + std::to_string(options[i].selected) + "}";
    }
    m_out += ']';
    return *this;
}

void CJsonLine::Key(const char* name) {
    m_out += ",\"";
    m_out += name;
    m_out += "\":";
}
