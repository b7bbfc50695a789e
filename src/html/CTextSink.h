#pragma once

#include "html/CHtmlParseState.h"

#include <cstddef>
#include <string>

class CHtmlObject;

// Where the characters of a page go: the title, a textarea, an option, or the
// document's text, folded as normal or preformatted text.
class CTextSink {
public:
    CTextSink(CHtmlObject& document, CHtmlParseState& state);

    void Sink(const char* bytes, size_t count);
    void EmitNormal(const char* bytes, size_t count);
    void EmitPreformatted(const char* bytes, size_t count, uint32_t style);
    void EmitPlainText(const char* bytes, size_t count);

private:
    void SinkTextArea(const char* bytes, size_t count);
    void SinkOption(const char* bytes, size_t count);
    void FlushRun(uint32_t style);
    void LineBreak(uint32_t style);

    CHtmlObject& m_document;
    CHtmlParseState& m_state;
    std::string m_run; // characters of the preformatted run being built
};
