#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class CMimeObject;
class CHtmlElement;
class CTextStore;

// value as a JSON string, quotes included: quotes, backslashes and control
// characters escaped, and bytes above 127 written as \u00XX of the same code,
// so that Latin-1 text keeps its meaning. The layout dump writes the same.
[[nodiscard]] std::string JsonQuoted(std::string_view value);

// Writes a content object's element list as one JSON object per line: the
// kind, the record's fields, and for text elements the characters they show.
class CElementDump {
public:
    explicit CElementDump(CMimeObject& object) : m_object(object) {}

    [[nodiscard]] std::string ToString();
    void Write(std::FILE* out);

    // One element as a JSON object, without the line end.
    [[nodiscard]] static std::string Line(const CHtmlElement& element, const CTextStore& text);

private:
    CMimeObject& m_object;
};
