#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads the lines of an SMTP server's replies from the bytes it sends, in
// whatever chunks they come. A line ends once both a CR and an LF have
// followed its last ordinary byte, in either order; neither is kept. A line
// is bounded: RFC 5321 section 4.5.3.1.5 allows 512 octets, and a server that
// sends far more without ending it is not answering.
class CSmtpReplyReader {
public:
    // The longest line taken, without its line end.
    static constexpr size_t MaxLineBytes = 1000;

    enum class Outcome {
        NeedMore, // every byte given was taken; the line goes on
        Line,     // a line is complete: Line() holds it
        TooLong,  // the line ran past MaxLineBytes
    };

    // Takes bytes from the front of input until a line ends; consumed says
    // how many it took (the rest belongs to whatever follows the line).
    // After Line or TooLong the next call starts a new line.
    [[nodiscard]] Outcome Feed(std::string_view input, size_t& consumed);
    [[nodiscard]] const std::string& Line() const { return m_line; }

private:
    std::string m_line;
    bool m_sawCr = false;
    bool m_sawLf = false;
    bool m_complete = false;
};

// Whether a reply line is the kind expected: its first character is digit
// ('2' success, '3' go on with the data).
[[nodiscard]] bool ReplyIs(std::string_view line, char digit);

// Whether more lines of the same reply follow this one: RFC 5321 section
// 4.2.1 marks every line but the last with a "-" after the three-digit code.
[[nodiscard]] bool ReplyContinues(std::string_view line);
