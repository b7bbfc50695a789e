#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Response headers: lower-case names to values (the last of a repeated name).
using HttpHeaders = std::map<std::string, std::string>;

// Reads an HTTP/1.0 response header a chunk at a time, as it arrives. CRs are
// dropped wherever they are; lines end at LF; the header ends at an empty
// line. A first line that does not start with "HTTP/" means the server sent
// no header at all (an HTTP/0.9 answer): the response is then HTML and every
// byte received is body.
class CHttpHeaderParser {
public:
    // A header that has not ended after this many bytes never will in any
    // sane server; giving up bounds the memory a hostile one can make us use.
    static constexpr uint64_t MaxHeaderBytes = 1 << 20;

    enum class State { InHeader, Complete, TooLarge };

    struct Progress {
        State state = State::InHeader;
        // When Complete: where the body starts in the chunk just fed.
        size_t bodyOffset = 0;
    };

    [[nodiscard]] Progress Feed(std::string_view chunk);
    // The stream ended. A first line still waiting for its line feed that
    // is not a status line makes a response without a header, like any
    // other: true, and the header is complete with EarlierBodyBytes the
    // whole body. False when the header stays incomplete.
    [[nodiscard]] bool EndOfStream();

    [[nodiscard]] State GetState() const { return m_state; }
    // 0 until a status line has been read, and for a response without one.
    [[nodiscard]] int StatusCode() const { return m_statusCode; }
    [[nodiscard]] bool HasStatusLine() const { return m_hasStatusLine; }
    [[nodiscard]] const HttpHeaders& Headers() const { return m_headers; }
    // For a response without a header: the bytes of its first line that came
    // in chunks before the one that ended it (at the end of the stream: all of
    // them), which are body too.
    [[nodiscard]] std::string_view EarlierBodyBytes() const { return m_firstLineRaw; }

private:
    // True when the line ended the header.
    bool EndLine(size_t lineEnd, Progress& progress);
    // Whether the first line so far shows the response has no header.
    [[nodiscard]] bool FirstLineIsNotStatus() const;
    void EndWithoutHeader();
    void ReadStatusLine();
    void ReadHeaderLine();

    State m_state = State::InHeader;
    bool m_onFirstLine = true;
    bool m_hasStatusLine = false;
    int m_statusCode = 0;
    uint64_t m_headerBytes = 0;
    std::string m_line;
    // Raw bytes of the first line from earlier chunks (see EarlierBodyBytes).
    std::string m_firstLineRaw;
    HttpHeaders m_headers;
};
