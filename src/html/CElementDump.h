#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class CMimeObject;
class CHtmlElement;
class CTextStore;

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
