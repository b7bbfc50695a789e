#include "html/CTextSink.h"

#include "html/CHtmlObject.h"

#include <algorithm>

namespace {

bool IsFoldedSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The characters preformatted text does not take as they come. All three lie
// at or below '\r', which the text's other characters almost never do: one
// comparison tells most of them apart.
bool IsLineEndOrTab(char c) {
    return static_cast<unsigned char>(c) <= '\r' && (c == '\r' || c == '\n' || c == '\t');
}

// A textarea keeps at most this much text; more would only be cut by the
// control that shows it.
constexpr size_t MaxFieldText = 1 << 20;
constexpr uint32_t TabStop = 8;

} // namespace

CTextSink::CTextSink(CHtmlObject& document, CHtmlParseState& state)
    : m_document(document), m_state(state) {}

void CTextSink::Sink(const char* bytes, size_t count) {
    if (count == 0 || m_state.inNoFrames)
        return;
    if (m_state.inTitle) {
        m_document.AppendTitle(bytes, count);
        return;
    }
    if (m_state.inHead)
        return;
    if (m_state.inTextArea) {
        SinkTextArea(bytes, count);
        return;
    }
    if (m_state.inSelect) {
        SinkOption(bytes, count);
        return;
    }
    if (m_state.preDepth >= 1) {
        EmitPreformatted(bytes, count, m_state.style | TextStyle::Preformatted);
        return;
    }
    EmitNormal(bytes, count);
}

void CTextSink::SinkTextArea(const char* bytes, size_t count) {
    std::string& text = m_state.textAreaText;
    if (text.empty()) {
        while (count > 0 && IsFoldedSpace(*bytes)) {
            ++bytes;
            --count;
        }
    }
    text.append(bytes, std::min(count, MaxFieldText - std::min(MaxFieldText, text.size())));
}

// An option shows its first line only. The line end is remembered, so text
// after it stays out even when it arrives in a later piece.
void CTextSink::SinkOption(const char* bytes, size_t count) {
    if (!m_state.currentOption || m_state.optionLineEnded)
        return;
    size_t end = 0;
    while (end < count && bytes[end] != '\n' && bytes[end] != '\r' && bytes[end] != '\t')
        ++end;
    m_state.optionLineEnded = end < count;
    std::string& text = m_state.currentOption->text;
    text.append(bytes, std::min(end, MaxFieldText - std::min(MaxFieldText, text.size())));
}

void CTextSink::EmitNormal(const char* bytes, size_t count) {
    m_run.resize(count);
    char* out = m_run.data();
    bool lastWasSpace = m_state.lastWasSpace;
    for (size_t i = 0; i < count; ++i) {
        char c = bytes[i];
        if (IsFoldedSpace(c)) {
            if (!lastWasSpace)
                *out++ = ' ';
            lastWasSpace = true;
        } else {
            *out++ = c;
            lastWasSpace = false;
        }
    }
    m_run.resize(static_cast<size_t>(out - m_run.data()));
    m_state.lastWasSpace = lastWasSpace;
    FlushRun(m_state.style);
}

void CTextSink::FlushRun(uint32_t style) {
    if (m_run.empty())
        return;
    m_document.AppendText(m_run.data(), m_run.size(), style);
    m_run.clear();
}

void CTextSink::LineBreak(uint32_t style) {
    FlushRun(style);
    m_document.Append<CBareElement>(ElementKind::LineBreak);
    m_state.column = 0;
}

// CR LF and LF CR make one line break, two of the same make two.
void CTextSink::EmitPreformatted(const char* bytes, size_t count, uint32_t style) {
    m_run.clear();
    for (size_t i = 0; i < count; ++i) {
        // The characters up to the next line end or tab go in as one piece.
        size_t plain = i;
        while (plain < count && !IsLineEndOrTab(bytes[plain]))
            ++plain;
        if (plain > i) {
            m_run.append(bytes + i, plain - i);
            m_state.crSeen = m_state.lfSeen = false;
            m_state.column += static_cast<uint32_t>(plain - i);
            i = plain;
            if (i == count)
                break;
        }
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            bool& own = c == '\r' ? m_state.crSeen : m_state.lfSeen;
            bool other = c == '\r' ? m_state.lfSeen : m_state.crSeen;
            if (!other) {
                LineBreak(style);
                own = true;
            }
        } else {
            uint32_t spaces = TabStop - m_state.column % TabStop;
            m_run.append(spaces, ' ');
            m_state.crSeen = m_state.lfSeen = false;
            m_state.column += spaces;
        }
    }
    FlushRun(style);
}

void CTextSink::EmitPlainText(const char* bytes, size_t count) {
    EmitPreformatted(bytes, count, TextStyle::PlainText);
}
