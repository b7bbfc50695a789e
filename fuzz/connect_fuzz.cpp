// Feeds arbitrary proxy answers to a CONNECT, cut into arbitrary chunks,
// through the reader that decides whether a tunnel is open. Beyond surviving,
// it must keep its promises: a verdict, once given, never changes; a tunnel
// opens only on a 2xx status, and never when bytes followed the answer in
// the same chunk.
#include "net/CConnectReplyReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the cutting pattern; the rest is the answer.
    if (size == 0)
        return 0;
    const uint8_t pattern = data[0];
    std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    CConnectReplyReader reader;
    using Outcome = CConnectReplyReader::Outcome;
    Outcome outcome = Outcome::NeedMore;
    size_t at = 0;
    for (size_t turn = 0; at < reply.size(); ++turn) {
        const size_t length = 1 + ((pattern * 29u + turn * 13u + reply[at]) % 48u);
        std::string_view chunk = reply.substr(at, length);
        at += chunk.size();
        outcome = reader.Feed(chunk);
        if (outcome != Outcome::NeedMore)
            break;
    }
    if (outcome == Outcome::NeedMore)
        return 0;
    const int code = reader.StatusCode();
    // Open only with a 2xx status, and only when what was fed ends with the
    // answer's last line feed: nothing of the site's may have been swallowed.
    if (outcome == Outcome::Open && (code < 200 || code > 299 || reply[at - 1] != '\n'))
        __builtin_trap();
    if (outcome == Outcome::Refused && code >= 200 && code <= 299)
        __builtin_trap();
    // A verdict stands whatever comes after it.
    if (reader.Feed("HTTP/1.0 200 OK\r\n\r\n") != outcome)
        __builtin_trap();
    return 0;
}
