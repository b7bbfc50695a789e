// Feeds arbitrary server replies, cut into arbitrary chunks, through the
// reader of SMTP reply lines. Beyond surviving, it must keep its promises:
// it takes only what it is given, a line never holds a CR or LF and never
// runs past the bound, and the same bytes give the same lines however they
// are cut.
#include "net/CSmtpReplyReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The lines and outcomes the reader gives for reply cut every length bytes
// (0: whole).
std::vector<std::string> Lines(std::string_view reply, size_t length) {
    CSmtpReplyReader reader;
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < reply.size()) {
        std::string_view chunk = reply.substr(at, length == 0 ? reply.size() : length);
        size_t consumed = 0;
        const CSmtpReplyReader::Outcome outcome = reader.Feed(chunk, consumed);
        if (consumed > chunk.size() || (consumed == 0 && !chunk.empty()))
            __builtin_trap();
        at += consumed;
        if (outcome == CSmtpReplyReader::Outcome::NeedMore)
            continue;
        const std::string& line = reader.Line();
        if (line.size() > CSmtpReplyReader::MaxLineBytes ||
            line.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
        // Whether the line goes on is a question of its own text.
        (void)ReplyContinues(line);
        lines.push_back(outcome == CSmtpReplyReader::Outcome::TooLong ? "!" + line : line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t length = 1 + data[0] % 16;
    std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    if (Lines(reply, 0) != Lines(reply, length))
        __builtin_trap();
    return 0;
}
