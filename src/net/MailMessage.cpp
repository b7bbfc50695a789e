#include "net/MailMessage.h"

#include "platform/TextUtil.h"

namespace {

constexpr std::string_view MailtoScheme = "mailto:";
// What ends the data: the last line's end, a line holding only ".", and one
// more line end, which the server reads as an empty command.
constexpr std::string_view EndOfData = "\r\n.\r\n\r\n";

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Where the line break at position ends: CR LF is one break, a lone CR or LF
// another.
size_t AfterLineBreak(std::string_view text, size_t position) {
    if (position >= text.size())
        return position;
    if (text[position] == '\r' && position + 1 < text.size() && text[position + 1] == '\n')
        return position + 2;
    return position + 1;
}

size_t LineEnd(std::string_view text, size_t position) {
    while (position < text.size() && !IsLineBreak(text[position]))
        ++position;
    return position;
}

// The start of the last run of spaces that begins within the first limit
// characters of a line starting at start; npos when none does. A run at the
// line's very start would leave nothing before it, so it does not count; a
// space right after the limit still leaves exactly limit characters.
size_t LastBreak(std::string_view text, size_t start, size_t end) {
    size_t found = std::string_view::npos;
    for (size_t i = start + 1; i <= start + MailBodyLineLimit && i < end; ++i)
        if (text[i] == ' ' && text[i - 1] != ' ')
            found = i;
    return found;
}

} // namespace

std::string WithoutLineBreaks(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (!IsLineBreak(c))
            kept += c;
    return kept;
}

std::string ComposeHeaderText(std::string_view to, std::string_view subject, std::string_view cc) {
    std::string text = "To: " + WithoutLineBreaks(to) + "\n";
    text += subject.empty() ? std::string("Subject: (no subject)\n")
                            : "Subject: " + WithoutLineBreaks(subject) + "\n";
    if (!cc.empty())
        text += "cc: " + WithoutLineBreaks(cc) + "\n";
    return text;
}

std::string FormatMailBody(std::string_view typed) {
    const std::string_view text = typed.substr(0, typed.find('\0'));
    std::string formatted;
    size_t position = 0;
    while (position < text.size()) {
        const size_t end = LineEnd(text, position);
        size_t cut = end;
        size_t next = AfterLineBreak(text, end);
        if (end - position > MailBodyLineLimit) {
            cut = LastBreak(text, position, end);
            if (cut == std::string_view::npos) {
                cut = next = position + MailBodyLineLimit;
            } else {
                // The run of spaces goes, and with it the line break when
                // the run reaches it, so no empty line follows.
                next = cut;
                while (next < end && text[next] == ' ')
                    ++next;
                if (next == end)
                    next = AfterLineBreak(text, end);
            }
        }
        formatted.append(text.substr(position, cut - position));
        formatted += "\r\n";
        position = next;
    }
    return formatted;
}

std::string MailtoAddress(std::string_view url) {
    std::string_view address =
        StartsWithNoCase(url, MailtoScheme) ? url.substr(MailtoScheme.size()) : std::string_view();
    address = address.substr(0, address.find('?'));
    return WithoutLineBreaks(PercentDecoded(address));
}

std::string SmtpTransparent(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsLineBreak(c)) {
            out += "\r\n";
            i = AfterLineBreak(text, i) - 1;
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = false;
    }
    return out;
}

MailMessage BuildMailMessage(std::string_view headerText, std::string_view url,
                             std::string_view userName, std::string_view userEmail,
                             std::string_view body) {
    MailMessage message;
    std::string text;
    bool haveRecipient = false;
    size_t position = 0;
    for (;;) {
        const size_t lineFeed = headerText.find('\n', position);
        if (lineFeed == std::string_view::npos)
            break;
        const std::string_view line = headerText.substr(position, lineFeed - position);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            break;
        // A line ended by CR LF leaves its CR behind, and a page may have put
        // one anywhere: none may reach the message, where it would start a
        // header line of its own.
        const std::string name = WithoutLineBreaks(line.substr(0, colon));
        const std::string value = WithoutLineBreaks(line.substr(colon + 1));
        text += name + ":" + value + "\r\n";
        if (EqualsNoCase(name, "to")) {
            message.recipient = value;
            haveRecipient = true;
        }
        position = lineFeed + 1;
    }
    // A form whose action is a "mailto:" address posts only its content type
    // and length: the address it names is the recipient.
    if (!haveRecipient) {
        message.recipient = " " + MailtoAddress(url);
        text += "To:" + message.recipient + "\r\n";
    }
    const std::string email = WithoutLineBreaks(userEmail);
    text += "From:" + WithoutLineBreaks(userName) + " <" + email + ">\r\n";
    text += "Reply-To:" + email + "\r\n";
    text += "\r\n";
    text.append(body);
    message.data = SmtpTransparent(text);
    message.data += EndOfData;
    return message;
}
