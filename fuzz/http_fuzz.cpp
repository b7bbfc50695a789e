// Feeds arbitrary response bytes, cut into arbitrary chunks, through the HTTP
// header parser and body delivery. Beyond surviving, the reader must keep its
// promises: the header ends at most once and before any body, a declared
// length is never overrun, a header never grows past its limit, and the close
// calls a body short only when it is.
#include "net/CHttpResponseReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class CCheckingSink final : public CHttpResponseReader::Sink {
public:
    CHttpResponseReader::Verdict OnHeaderEnd(int, const HttpHeaders& headers) override {
        if (m_headerEnded)
            __builtin_trap();
        m_headerEnded = true;
        for (const auto& [name, value] : headers)
            m_headerBytes += name.size() + value.size();
        if (m_headerBytes > CHttpHeaderParser::MaxHeaderBytes)
            __builtin_trap();
        return CHttpResponseReader::Verdict::Continue;
    }
    CHttpResponseReader::Verdict OnBody(const char* bytes, size_t count) override {
        if (!m_headerEnded || (count > 0 && !bytes))
            __builtin_trap();
        m_body += count;
        return CHttpResponseReader::Verdict::Continue;
    }
    uint64_t Body() const { return m_body; }

private:
    bool m_headerEnded = false;
    uint64_t m_headerBytes = 0;
    uint64_t m_body = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the cutting pattern; the rest is the response.
    if (size == 0)
        return 0;
    const uint8_t pattern = data[0];
    std::string_view response(reinterpret_cast<const char*>(data + 1), size - 1);
    CCheckingSink sink;
    CHttpResponseReader reader(sink);
    size_t at = 0;
    size_t turn = 0;
    CHttpResponseReader::Outcome outcome = CHttpResponseReader::Outcome::NeedMore;
    while (at < response.size()) {
        // Chunk lengths from 1 to 64 that vary with the pattern and position.
        const size_t length = 1 + ((pattern * 31u + turn * 17u + response[at]) % 64u);
        std::string_view chunk = response.substr(at, length);
        at += chunk.size();
        ++turn;
        outcome = reader.Feed(chunk);
        if (reader.ContentLength() != 0 && sink.Body() > reader.ContentLength())
            __builtin_trap();
        if (outcome != CHttpResponseReader::Outcome::NeedMore)
            break;
    }
    // The close settles whatever was still open, within the same promises.
    if (outcome == CHttpResponseReader::Outcome::NeedMore) {
        CHttpResponseReader::Ending ending = reader.EndOfStream();
        if (ending == CHttpResponseReader::Ending::Short &&
            reader.BodyReceived() >= reader.ContentLength())
            __builtin_trap();
        if (reader.ContentLength() != 0 && sink.Body() > reader.ContentLength())
            __builtin_trap();
    }
    if (sink.Body() != reader.BodyReceived())
        __builtin_trap();
    return 0;
}
