#include "net/CConnectReplyReader.h"

CConnectReplyReader::Outcome CConnectReplyReader::Feed(std::string_view chunk) {
    if (m_outcome != Outcome::NeedMore)
        return m_outcome;
    CHttpHeaderParser::Progress progress = m_parser.Feed(chunk);
    switch (progress.state) {
    case CHttpHeaderParser::State::InHeader:
        return m_outcome;
    case CHttpHeaderParser::State::TooLarge:
        return m_outcome = Outcome::TooLarge;
    case CHttpHeaderParser::State::Complete:
        break;
    }
    return m_outcome = Judge(chunk, progress.bodyOffset);
}

CConnectReplyReader::Outcome CConnectReplyReader::Judge(std::string_view chunk,
                                                        size_t bodyOffset) const {
    if (!m_parser.HasStatusLine())
        return Outcome::NotHttp;
    const int code = m_parser.StatusCode();
    if (code < 200 || code > 299)
        return Outcome::Refused;
    return bodyOffset < chunk.size() ? Outcome::EarlyBytes : Outcome::Open;
}
