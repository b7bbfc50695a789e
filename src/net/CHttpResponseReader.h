#pragma once

#include "net/CHttpHeaderParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Splits the bytes of one HTTP/1.0 response, in whatever chunks they arrive,
// into the header and the body, and hands both to a sink. It knows nothing of
// sockets, so the worker and the fuzzer drive it alike.
class CHttpResponseReader {
public:
    enum class Verdict { Continue, Stop };

    class Sink {
    public:
        virtual ~Sink() = default;
        // The header has ended (status code 0: the response had none).
        virtual Verdict OnHeaderEnd(int statusCode, const HttpHeaders& headers) = 0;
        // A block of body; the first one may be empty when the header ended
        // exactly at the end of a chunk.
        virtual Verdict OnBody(const char* bytes, size_t count) = 0;
    };

    enum class Outcome {
        NeedMore,       // feed the next chunk
        Stopped,        // the sink said stop
        BodyComplete,   // the declared content length has been delivered
        HeaderTooLarge, // the header passed CHttpHeaderParser::MaxHeaderBytes
    };
    // What the end of the stream made of the response.
    enum class Ending {
        Whole,    // the close ended the body, as HTTP/1.0 allows
        Stopped,  // the sink said stop
        InHeader, // no page at all: the header never ended
        Short,    // fewer body bytes than the declared content length
    };

    explicit CHttpResponseReader(Sink& sink) : m_sink(sink) {}

    [[nodiscard]] Outcome Feed(std::string_view chunk);
    // The connection closed, after every Feed asked for more. A header-less
    // answer still waiting for the end of its first line reaches the sink
    // here.
    [[nodiscard]] Ending EndOfStream();

    // From "content-length" of a 2xx answer; 0 when not given or not a number.
    [[nodiscard]] uint64_t ContentLength() const { return m_contentLength; }
    [[nodiscard]] uint64_t BodyReceived() const { return m_bodyReceived; }

private:
    Outcome EndHeader(std::string_view chunk, size_t bodyOffset);
    Outcome DeliverBody(std::string_view body);

    Sink& m_sink;
    CHttpHeaderParser m_parser;
    bool m_headerDone = false;
    uint64_t m_contentLength = 0;
    uint64_t m_bodyReceived = 0;
};

// The value of a content-length header: its leading decimal digits; 0 when
// there are none or the number does not fit in 64 bits.
[[nodiscard]] uint64_t ParseContentLength(std::string_view value);
