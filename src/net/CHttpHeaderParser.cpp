#include "net/CHttpHeaderParser.h"

#include "platform/TextUtil.h"

#include <limits>

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A status code of at most a few digits: anything longer cannot be a code,
// and reading it whole could overflow.
constexpr int MaxStatusDigits = 6;

int LeadingDecimal(std::string_view text) {
    int value = 0;
    for (size_t i = 0; i < text.size() && i < MaxStatusDigits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            break;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

CHttpHeaderParser::Progress CHttpHeaderParser::Feed(std::string_view chunk) {
    Progress progress;
    if (m_state != State::InHeader) {
        progress.state = m_state;
        return progress;
    }
    for (size_t i = 0; i < chunk.size(); ++i) {
        if (++m_headerBytes > MaxHeaderBytes) {
            m_state = State::TooLarge;
            progress.state = m_state;
            return progress;
        }
        const char c = chunk[i];
        if (c == Lf) {
            if (EndLine(i, progress))
                return progress;
        } else if (c != Cr) {
            m_line += c;
        }
    }
    if (m_onFirstLine)
        m_firstLineRaw.append(chunk);
    return progress;
}

bool CHttpHeaderParser::EndLine(size_t lineEnd, Progress& progress) {
    if (m_line.empty()) {
        m_state = State::Complete;
        progress = {m_state, lineEnd + 1};
        return true;
    }
    if (m_onFirstLine) {
        if (FirstLineIsNotStatus()) {
            EndWithoutHeader();
            progress = {m_state, 0};
            return true;
        }
        ReadStatusLine();
        m_onFirstLine = false;
        m_firstLineRaw.clear();
        m_firstLineRaw.shrink_to_fit();
    } else {
        ReadHeaderLine();
    }
    m_line.clear();
    return false;
}

bool CHttpHeaderParser::FirstLineIsNotStatus() const {
    size_t start = 0;
    while (start < m_line.size() && IsBlank(m_line[start]))
        ++start;
    return std::string_view(m_line).substr(start).rfind("HTTP/", 0) != 0;
}

void CHttpHeaderParser::EndWithoutHeader() {
    // No header at all: everything received is the document.
    m_headers["content-type"] = "text/html";
    m_state = State::Complete;
}

bool CHttpHeaderParser::EndOfStream() {
    if (m_state == State::Complete)
        return true;
    // An answer of one line without a line feed ("<p>Hello", then the close)
    // is a page like any other without a status line; an empty answer, or
    // a status line cut short, is no page at all.
    if (m_state != State::InHeader || !m_onFirstLine || m_line.empty() || !FirstLineIsNotStatus())
        return false;
    EndWithoutHeader();
    return true;
}

void CHttpHeaderParser::ReadStatusLine() {
    std::string_view line(m_line);
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    size_t blank = line.find_first_of(" \t", start);
    if (blank == std::string_view::npos) {
        m_hasStatusLine = true;
        return;
    }
    size_t code = blank;
    while (code < line.size() && IsBlank(line[code]))
        ++code;
    m_statusCode = LeadingDecimal(line.substr(code));
    m_hasStatusLine = true;
}

void CHttpHeaderParser::ReadHeaderLine() {
    std::string_view line(m_line);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    size_t value = colon + 1;
    while (value < line.size() && IsBlank(line[value]))
        ++value;
    m_headers[ToLowerAscii(line.substr(0, colon))] = std::string(line.substr(value));
}
