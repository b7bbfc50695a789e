#include "net/MailMessage.h"
#include "net/CSmtpReplyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Repeat(char c, size_t count) {
    return std::string(count, c);
}

struct BodyCase {
    const char* what;
    std::string typed;
    std::string sent;
};

} // namespace

TEST(MailBody, BreaksLinesAtTheLimitAndAtTheLastRunOfSpaces) {
    const std::string a78 = Repeat('a', 78);
    const std::vector<BodyCase> cases = {
        {"empty", "", ""},
        {"one line", "hello", "hello\r\n"},
        {"CR LF between lines", "a\r\nb", "a\r\nb\r\n"},
        {"the toolkit's LF", "a\nb", "a\r\nb\r\n"},
        {"a lone CR", "a\rb", "a\r\nb\r\n"},
        {"an empty line kept", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"fits exactly", a78, a78 + "\r\n"},
        {"fits exactly before a break", a78 + "\r\nb", a78 + "\r\nb\r\n"},
        {"one under", Repeat('a', 77), Repeat('a', 77) + "\r\n"},
        {"one over, no space", Repeat('a', 79), a78 + "\r\na\r\n"},
        {"100 without spaces", Repeat('x', 100),
         Repeat('x', 78) + "\r\n" + Repeat('x', 22) + "\r\n"},
        {"the last run of spaces wins, and goes", "one two" + Repeat(' ', 3) + Repeat('b', 75),
         "one two\r\n" + Repeat('b', 75) + "\r\n"},
        {"a space just past the limit leaves exactly 78", a78 + " b", a78 + "\r\nb\r\n"},
        {"a space at the limit's last place", Repeat('a', 77) + " bb",
         Repeat('a', 77) + "\r\nbb\r\n"},
        {"a space one past the reach", Repeat('a', 79) + " b", a78 + "\r\na b\r\n"},
        {"spaces up to the line end go with it", Repeat('a', 70) + Repeat(' ', 20) + "\r\nb",
         Repeat('a', 70) + "\r\nb\r\n"},
        {"a short line keeps its spaces", "  indented  ", "  indented  \r\n"},
        // The send step doubles the dot, once, for every line.
        {"a lone dot", "a\r\n.\r\nb", "a\r\n.\r\nb\r\n"},
        {"a leading dot", ".hidden", ".hidden\r\n"},
        {"a NUL ends the text", std::string("a\0b", 3), "a\r\n"},
    };
    for (const BodyCase& c : cases)
        EXPECT_EQ(FormatMailBody(c.typed), c.sent) << c.what;
}

TEST(MailHeaders, ComposedTextNamesSubjectAlwaysAndCcOnlyWhenGiven) {
    EXPECT_EQ(ComposeHeaderText("bob@example.org?subject=x", "", ""),
              "To: bob@example.org?subject=x\nSubject: (no subject)\n");
    EXPECT_EQ(ComposeHeaderText("bob@x", "Hi", "carol@x"), "To: bob@x\nSubject: Hi\ncc: carol@x\n");
    EXPECT_EQ(ComposeHeaderText("bob@x\r\nBcc: eve@x", "a\rb\nc", "d\r\ne"),
              "To: bob@xBcc: eve@x\nSubject: abc\ncc: de\n");
}

TEST(MailTransparency, LineEndsBecomeCrLfThenLeadingDotsDouble) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"a\r\nb", "a\r\nb"},
        {"a\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"},
        {"a\r\r\nb", "a\r\n\r\nb"},
        {".", ".."},
        {".a\r\n.\r\n..\r\nb.c", "..a\r\n..\r\n...\r\nb.c"},
        // A lone LF before the dot must not hide the dot from the rule.
        {"x\n.\nQUIT", "x\r\n..\r\nQUIT"},
        {"x\r.\rQUIT", "x\r\n..\r\nQUIT"},
    };
    for (const auto& [text, sent] : cases)
        EXPECT_EQ(SmtpTransparent(text), sent) << text;
}

TEST(MailtoAddress, TakesTheAddressUpToTheQueryDecodedWithoutLineBreaks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"mailto:bob@example.org", "bob@example.org"},
        {"MAILTO:bob@example.org?subject=x", "bob@example.org"},
        {"mailto:bob%40example.org", "bob@example.org"},
        {"mailto:bob%0D%0ARCPT%20TO:eve", "bobRCPT TO:eve"},
        {"mailto:bob\r\nQUIT", "bobQUIT"},
        {"mailto:a%4", "a%4"},
        {"mailto:a%zz%41", "a%zzA"},
        {"http://x/", ""},
    };
    for (const auto& [url, address] : cases)
        EXPECT_EQ(MailtoAddress(url), address) << url;
}

TEST(MailMessage, DialogHeadersThenSenderThenTransparentBodyThenEnd) {
    const MailMessage message =
        BuildMailMessage("To: bob@x\nSubject: Hi\ncc: carol@x\n", "mailto:bob@x", "Ann Example",
                         "ann@example.org", "a\r\n.\r\n.b\r\n");
    EXPECT_EQ(message.recipient, " bob@x");
    EXPECT_EQ(message.data, "To: bob@x\r\nSubject: Hi\r\ncc: carol@x\r\n"
                            "From:Ann Example <ann@example.org>\r\nReply-To:ann@example.org\r\n"
                            "\r\n"
                            "a\r\n..\r\n..b\r\n"
                            "\r\n.\r\n\r\n");
}

TEST(MailMessage, FormPostWithoutToLineSendsToTheActionsAddress) {
    const MailMessage message =
        BuildMailMessage("Content-type: application/x-www-form-urlencoded\r\nContent-length: 9\r\n",
                         "mailto:bob%40example.org?subject=form", "Ann", "ann@x", "name Ann\r\n");
    EXPECT_EQ(message.recipient, " bob@example.org");
    EXPECT_EQ(message.data, "Content-type: application/x-www-form-urlencoded\r\n"
                            "Content-length: 9\r\n"
                            "To: bob@example.org\r\n"
                            "From:Ann <ann@x>\r\nReply-To:ann@x\r\n\r\nname Ann\r\n\r\n.\r\n\r\n");
}

TEST(MailMessage, HeaderListRules) {
    struct Case {
        const char* what;
        std::string headers;
        std::string recipient;
        std::string headerLines;
    };
    const std::vector<Case> cases = {
        {"the last to line wins, in any case", "To: a\nTO: b\n", " b", "To: a\r\nTO: b\r\n"},
        {"the leading blank stays", "to:c\n", "c", "to:c\r\n"},
        {"a piece without a line end ends the list", "To: a\nSubject: b", " a", "To: a\r\n"},
        {"a line without a colon ends the list", "To: a\nbroken\nSubject: b\n", " a", "To: a\r\n"},
        {"a CR in a value never reaches the message", "To: a\rRCPT TO:<eve>\n", " aRCPT TO:<eve>",
         "To: aRCPT TO:<eve>\r\n"},
    };
    for (const Case& c : cases) {
        const MailMessage message = BuildMailMessage(c.headers, "mailto:url@x", "N", "e", "");
        EXPECT_EQ(message.recipient, c.recipient) << c.what;
        EXPECT_EQ(message.data.substr(0, c.headerLines.size()), c.headerLines) << c.what;
        EXPECT_EQ(message.data.substr(c.headerLines.size(), 5), "From:") << c.what;
    }
}

TEST(MailMessage, NothingAPageSendsEndsTheDataEarly) {
    const MailMessage message =
        BuildMailMessage("Content-type: x\r\n", "mailto:bob@x", "Ann", "ann@x",
                         "a\n.\nMAIL FROM:<eve@x>\r\n.\rRCPT TO:<victim@x>\n.\r\nDATA\r\n");
    const std::string end = "\r\n.\r\n";
    EXPECT_EQ(message.data.find(end), message.data.size() - end.size() - 2);
    for (size_t i = 0; i < message.data.size(); ++i) {
        const char c = message.data[i];
        if (c == '\r') {
            ASSERT_EQ(message.data[i + 1], '\n') << "a bare CR at " << i;
        }
        if (c == '\n') {
            ASSERT_EQ(message.data[i - 1], '\r') << "a bare LF at " << i;
        }
    }
}

TEST(SmtpReplyReader, LinesEndAfterCrAndLfInEitherOrderAndAreBounded) {
    struct Case {
        std::vector<std::string> chunks;
        CSmtpReplyReader::Outcome outcome;
        std::string line;
    };
    using O = CSmtpReplyReader::Outcome;
    const std::string longest = Repeat('5', CSmtpReplyReader::MaxLineBytes);
    const std::vector<Case> cases = {
        {{"220 ready\r\n"}, O::Line, "220 ready"},
        {{"220 ready\n\r"}, O::Line, "220 ready"},
        {{"2", "20 re", "ady\r", "\n"}, O::Line, "220 ready"},
        {{"a\rb\r\n"}, O::Line, "ab"},
        {{"220 ready\n"}, O::NeedMore, "220 ready"},
        {{longest + "\r\n"}, O::Line, longest},
        {{longest + "5"}, O::TooLong, longest},
        {{longest.substr(1) + "\r\n"}, O::Line, longest.substr(1)},
    };
    for (const Case& c : cases) {
        CSmtpReplyReader reader;
        O outcome = O::NeedMore;
        for (const std::string& chunk : c.chunks) {
            size_t consumed = 0;
            outcome = reader.Feed(chunk, consumed);
            EXPECT_EQ(consumed, chunk.size());
        }
        EXPECT_EQ(outcome, c.outcome) << c.line;
        EXPECT_EQ(reader.Line(), c.line);
    }
}

TEST(SmtpReplyReader, TakesOneLineAtATime) {
    CSmtpReplyReader reader;
    const std::string bytes = "220-first\r\n220 last\r\n";
    size_t consumed = 0;
    ASSERT_EQ(reader.Feed(bytes, consumed), CSmtpReplyReader::Outcome::Line);
    EXPECT_EQ(reader.Line(), "220-first");
    EXPECT_EQ(consumed, 11u);
    ASSERT_EQ(reader.Feed(std::string_view(bytes).substr(consumed), consumed),
              CSmtpReplyReader::Outcome::Line);
    EXPECT_EQ(reader.Line(), "220 last");
}

TEST(SmtpReply, KindAndContinuation) {
    EXPECT_TRUE(ReplyIs("250 ok", '2'));
    EXPECT_FALSE(ReplyIs("354 go on", '2'));
    EXPECT_FALSE(ReplyIs("", '2'));
    const std::vector<std::pair<std::string, bool>> cases = {
        {"220-more", true}, {"220-", true},   {"220 last", false}, {"220", false},
        {"22-x", false},    {"2a0-x", false}, {"-220-x", false},   {"", false},
    };
    for (const auto& [line, continues] : cases)
        EXPECT_EQ(ReplyContinues(line), continues) << line;
}
