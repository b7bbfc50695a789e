#pragma once

#include "net/CHttpHeaderParser.h"

#include <string_view>

// Reads a proxy's answer to "CONNECT host:port", in whatever chunks it comes.
// A 2xx answer opens the tunnel; after its empty line the next bytes belong
// to the site, and since TLS has the client speak first, a proxy that sends
// any before we have is not to be trusted with the tunnel.
class CConnectReplyReader {
public:
    enum class Outcome {
        NeedMore,   // feed the next chunk
        Open,       // a 2xx answer ended exactly with the chunk
        Refused,    // any other status: StatusCode says which
        NotHttp,    // the answer has no status line
        EarlyBytes, // bytes followed the answer's empty line
        TooLarge,   // the answer passed CHttpHeaderParser::MaxHeaderBytes
    };

    // Once the outcome is other than NeedMore it stays as it is.
    [[nodiscard]] Outcome Feed(std::string_view chunk);
    [[nodiscard]] int StatusCode() const { return m_parser.StatusCode(); }

private:
    [[nodiscard]] Outcome Judge(std::string_view chunk, size_t bodyOffset) const;

    CHttpHeaderParser m_parser;
    Outcome m_outcome = Outcome::NeedMore;
};
