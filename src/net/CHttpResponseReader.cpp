#include "net/CHttpResponseReader.h"

#include <algorithm>
#include <limits>
#include <string>

uint64_t ParseContentLength(std::string_view value) {
    size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    uint64_t length = 0;
    const size_t first = i;
    constexpr uint64_t Max = std::numeric_limits<uint64_t>::max();
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(value[i] - '0');
        if (length > (Max - digit) / 10)
            return 0;
        length = length * 10 + digit;
    }
    return i == first ? 0 : length;
}

CHttpResponseReader::Outcome CHttpResponseReader::Feed(std::string_view chunk) {
    if (m_headerDone)
        return DeliverBody(chunk);
    CHttpHeaderParser::Progress progress = m_parser.Feed(chunk);
    switch (progress.state) {
    case CHttpHeaderParser::State::InHeader:
        return Outcome::NeedMore;
    case CHttpHeaderParser::State::TooLarge:
        return Outcome::HeaderTooLarge;
    case CHttpHeaderParser::State::Complete:
        break;
    }
    return EndHeader(chunk, progress.bodyOffset);
}

CHttpResponseReader::Ending CHttpResponseReader::EndOfStream() {
    if (!m_headerDone) {
        if (m_parser.GetState() != CHttpHeaderParser::State::InHeader || !m_parser.EndOfStream())
            return Ending::InHeader;
        // The whole answer was its first line: all of it is body.
        if (EndHeader({}, 0) == Outcome::Stopped)
            return Ending::Stopped;
    }
    if (m_contentLength != 0 && m_bodyReceived < m_contentLength)
        return Ending::Short;
    return Ending::Whole;
}

CHttpResponseReader::Outcome CHttpResponseReader::EndHeader(std::string_view chunk,
                                                            size_t bodyOffset) {
    const int code = m_parser.StatusCode();
    const HttpHeaders& headers = m_parser.Headers();
    if (code >= 200 && code <= 299) {
        auto length = headers.find("content-length");
        if (length != headers.end())
            m_contentLength = ParseContentLength(length->second);
    }
    if (m_sink.OnHeaderEnd(code, headers) == Verdict::Stop)
        return Outcome::Stopped;
    m_headerDone = true;
    std::string_view earlier = m_parser.EarlierBodyBytes();
    if (!m_parser.HasStatusLine() && !earlier.empty()) {
        // A header-less answer whose first line spanned chunks: its start is
        // body as much as the rest.
        std::string whole(earlier);
        whole.append(chunk);
        return DeliverBody(whole);
    }
    return DeliverBody(chunk.substr(bodyOffset));
}

CHttpResponseReader::Outcome CHttpResponseReader::DeliverBody(std::string_view body) {
    // Bytes past the declared length belong to nothing; the document gets
    // exactly what the server said it would send.
    if (m_contentLength != 0)
        body = body.substr(0, std::min<uint64_t>(body.size(), m_contentLength - m_bodyReceived));
    if (m_sink.OnBody(body.data(), body.size()) == Verdict::Stop)
        return Outcome::Stopped;
    m_bodyReceived += body.size();
    if (m_contentLength != 0 && m_bodyReceived >= m_contentLength)
        return Outcome::BodyComplete;
    return Outcome::NeedMore;
}
