#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The rules that turn what the user typed, or what a page posted, into the
// bytes an SMTP server is sent. No sockets here, so that the fuzzer can feed
// them whatever a page could.

// The content type a "mailto:" load announces, whose object composes or
// carries the mail.
inline constexpr std::string_view MailPostType = "internal/smtp-post";

// A body line longer than this is broken, at its last run of spaces when it
// has one within the limit (RFC 5322 section 2.1.1 recommends 78).
inline constexpr size_t MailBodyLineLimit = 78;

// text without CR and LF: what comes from a page or a URL may stand on one
// header or command line, never start a line of its own.
[[nodiscard]] std::string WithoutLineBreaks(std::string_view text);

// The header text of a mail composed in the dialog, each line ended by one
// LF: "To: ", "Subject: " ("(no subject)" when empty), and "cc: " only when
// one is given. Line breaks in the values are dropped.
[[nodiscard]] std::string ComposeHeaderText(std::string_view to, std::string_view subject,
                                            std::string_view cc);

// The body typed into the dialog as lines of at most MailBodyLineLimit
// characters, each ended by CR LF. A line break of the input is CR LF, CR or
// LF; a NUL ends the input. A line that does not fit is broken before its
// last run of spaces that starts within the limit (the run is dropped), else
// hard after the limit. Lines beginning with "." are left as they are: the
// send step makes them transparent.
[[nodiscard]] std::string FormatMailBody(std::string_view typed);

// The address of a "mailto:" URL: the text after the scheme up to any "?",
// %-escapes decoded, line breaks dropped.
[[nodiscard]] std::string MailtoAddress(std::string_view url);

// RFC 5321 section 4.5.2 transparency, with the line ends made plain first
// (section 2.3.8): every CR and LF that is not part of a CR LF pair becomes
// CR LF, then every line that begins with "." gets one more in front. After
// this nothing in the text can end the DATA early, and no server or relay can
// find a line end where another saw none.
[[nodiscard]] std::string SmtpTransparent(std::string_view text);

// What a POST to a "mailto:" address sends.
struct MailMessage {
    // What follows "RCPT TO:": the value of the last "to" header line as
    // written (its leading blank kept).
    std::string recipient;
    // What follows DATA: the headers, From and Reply-To, an empty line, the
    // body, all transparent, then the end of the data.
    std::string data;
};

// Builds the message from the request's header text (lines "Name: value",
// each ended by LF or CR LF; a line without ":" or without a line end ends
// them), the user's name and address, and the body. Without a "to" line the
// address of the URL is the recipient, and a "To:" line names it.
[[nodiscard]] MailMessage BuildMailMessage(std::string_view headerText, std::string_view url,
                                           std::string_view userName, std::string_view userEmail,
                                           std::string_view body);
