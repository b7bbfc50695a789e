// Builds mail from whatever a page could post (header lines, a "mailto:"
// address, a body) and checks what reaches the SMTP server: every line ends
// in CR LF, the data ends only where the sender ends it, and the command
// argument holds no line break.
#include "net/MailMessage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The next piece of input up to a NUL byte, which separates the three.
std::string_view Piece(std::string_view& input) {
    const size_t end = input.find('\0');
    std::string_view piece = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return piece;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view headers = Piece(input);
    const std::string url = "mailto:" + std::string(Piece(input));
    const std::string_view body = input;
    const MailMessage message = BuildMailMessage(headers, url, "Ann", "ann@x", body);
    if (message.recipient.find_first_of("\r\n") != std::string::npos)
        __builtin_trap();
    const std::string& sent = message.data;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] == '\r' && (i + 1 == sent.size() || sent[i + 1] != '\n'))
            __builtin_trap();
        if (sent[i] == '\n' && (i == 0 || sent[i - 1] != '\r'))
            __builtin_trap();
    }
    constexpr std::string_view End = "\r\n.\r\n";
    if (sent.size() < End.size() + 2 || sent.find(End) != sent.size() - End.size() - 2)
        __builtin_trap();
    // The body formatter's lines fit the limit and end in CR LF.
    const std::string formatted = FormatMailBody(body);
    size_t start = 0;
    for (size_t end; (end = formatted.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (end - start > MailBodyLineLimit)
            __builtin_trap();
    if (start != formatted.size())
        __builtin_trap();
    return 0;
}
