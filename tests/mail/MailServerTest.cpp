// Mail composed in the dialog or posted by a form, delivered to a real SMTP
// server (aiosmtpd) that stores each message and its envelope.
#include "mail/MailFixture.h"

#include "net/ServerProcess.h"
#include "platform/CStringTable.h"
#include "platform/LocalHostName.h"
#include "platform/StringIds.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char* const Python = "/usr/bin/python3";

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

class MailServer : public MailTest {
protected:
    void SetUp() override {
        if (FindProgram({Python}).empty())
            GTEST_SKIP() << Python << " is missing";
        const uint16_t port = FreeLoopbackPort();
        std::string error;
        m_server = CServerProcess::Start(
            {"/usr/bin/env", "PYTHONPATH=" VESTRIAL_SOURCE_DIR "/tests/mail", Python, "-m",
             "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port), "-c",
             "smtp_store.StoreHandler", m_store.Path().string()},
            port, error);
        ASSERT_TRUE(m_server) << "aiosmtpd (python3-aiosmtpd) did not start: " << error;
        SetServer("127.0.0.1", port);
    }

    // The stored envelope and message of the Nth mail, from 1; empty when
    // there is none.
    std::string Envelope(int n) {
        return ReadAll(m_store.Path() / (std::to_string(n) + ".envelope"));
    }
    std::string Message(int n) {
        return ReadAll(m_store.Path() / (std::to_string(n) + ".message"));
    }

    // The envelope of a mail from the settings' sender to one recipient.
    static std::string EnvelopeTo(const std::string& recipient) {
        return "HELO " + LocalHostName() + "\nMAIL FROM:ann@example.org\nRCPT TO:" + recipient +
               "\n";
    }
    static std::string Sender() {
        return "From:Ann Example <ann@example.org>\r\nReply-To:ann@example.org\r\n\r\n";
    }

    TempDir m_store;
    std::unique_ptr<CServerProcess> m_server;
};

TEST_F(MailServer, DialogMailArrivesWithItsHeadersAndEveryLineIntact) {
    const std::string word(100, 'w');
    const std::string words = "These words run on past the end of the line, so the line breaks "
                              "at its last   run of spaces.";
    QueueDialog({{"subject", "Greetings"},
                 {"cc", "carol@example.org"},
                 {"body", word + "\n" + words + "\n.hidden\n.\n..\nend"}},
                true);
    FollowLink("mailto:bob@example.org");
    ASSERT_EQ(m_ui.MailsShown().size(), 1u);
    EXPECT_EQ(m_ui.MailsShown()[0].fields.to, "bob@example.org");
    EXPECT_TRUE(m_ui.Shown().empty()) << m_ui.Shown()[0].text;
    EXPECT_EQ(m_lastStatus, "Send successful. Connection to SMTP server \"127.0.0.1\" closed.");
    // The cc is written into the message but gets no RCPT TO.
    EXPECT_EQ(Envelope(1), EnvelopeTo("bob@example.org"));
    EXPECT_EQ(Message(1), "To: bob@example.org\r\nSubject: Greetings\r\ncc: carol@example.org\r\n" +
                              Sender() + word.substr(0, 78) + "\r\n" + word.substr(78) + "\r\n" +
                              "These words run on past the end of the line, so the line breaks "
                              "at its last\r\nrun of spaces.\r\n"
                              ".hidden\r\n.\r\n..\r\nend\r\n\r\n");
}

TEST_F(MailServer, DialogWithoutSubjectOrCcAndTheQueryKeptInTo) {
    QueueDialog({{"body", "hi"}}, true);
    FollowLink("mailto:bob@example.org?subject=x");
    EXPECT_EQ(Message(1), "To: bob@example.org?subject=x\r\nSubject: (no subject)\r\n" + Sender() +
                              "hi\r\n\r\n");
    // Cancel sends nothing.
    QueueDialog({{"body", "never"}}, false);
    FollowLink("mailto:bob@example.org");
    EXPECT_EQ(m_ui.MailsShown().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(m_store.Path() / "2.message"));
    // The same mail again is sent again, not taken from a cache.
    QueueDialog({{"body", "hi"}}, true);
    FollowLink("mailto:bob@example.org?subject=x");
    EXPECT_EQ(Message(2), Message(1));
}

TEST_F(MailServer, FormPostToAMailtoActionGoesToTheActionsAddress) {
    // What a form with a "mailto:" action posts: its content type and
    // length, and "name value" lines.
    const std::string body = "name Ann\r\ncomment .dots. stay\r\n.\r\n";
    m_document.Navigate({.url = "mailto:forms%40example.org",
                         .method = Method::Post,
                         .headers = "Content-type: application/x-www-form-urlencoded\r\n"
                                    "Content-length: " +
                                    std::to_string(body.size()) + "\r\n",
                         .postData = body});
    Settle(false);
    EXPECT_TRUE(m_ui.MailsShown().empty());
    EXPECT_EQ(Envelope(1), EnvelopeTo("forms@example.org"));
    EXPECT_EQ(Message(1), "Content-type: application/x-www-form-urlencoded\r\nContent-length: " +
                              std::to_string(body.size()) + "\r\nTo: forms@example.org\r\n" +
                              Sender() + body + "\r\n");
}

TEST_F(MailServer, LineBreaksInALinksAddressInjectNothing) {
    // Stripped of its line break, the address is one the server refuses:
    // one RCPT TO, refused, and no mail for anyone.
    for (const std::string url : {"mailto:bob@example.org%0D%0ARCPT%20TO:eve@example.org",
                                  "mailto:bob@example.org\r\nRCPT TO:eve@example.org"}) {
        QueueDialog({{"body", "hi"}}, true);
        FollowLink(url);
        ASSERT_FALSE(m_ui.Shown().empty()) << url;
        EXPECT_TRUE(m_ui.Shown().back().text.starts_with(
            "The SMTP server \"127.0.0.1\" returned the following error message:\n501 "))
            << m_ui.Shown().back().text;
    }
    EXPECT_FALSE(std::filesystem::exists(m_store.Path() / "1.message"));
    // Where the address survives whole, the header stays one line.
    m_document.Navigate({.url = "mailto:bob@example.org%0D%0A%0D%0A",
                         .method = Method::Post,
                         .headers = "Content-type: text/plain\r\n",
                         .postData = "x\r\n"});
    Settle(false);
    EXPECT_EQ(Envelope(1), EnvelopeTo("bob@example.org"));
    EXPECT_EQ(Message(1),
              "Content-type: text/plain\r\nTo: bob@example.org\r\n" + Sender() + "x\r\n\r\n");
}

TEST_F(MailServer, MissingSettingsShowTheirMessageInsteadOfTheDialog) {
    const std::vector<std::pair<std::string, std::string>> senders = {{"", "ann@example.org"},
                                                                      {"Ann", ""}};
    for (const auto& [name, email] : senders) {
        SetSender(name, email);
        FollowLink("mailto:bob@example.org");
    }
    SetSender("Ann", "ann@example.org");
    SetServer("", 25);
    FollowLink("mailto:bob@example.org");
    ASSERT_EQ(m_ui.Shown().size(), 3u);
    for (const auto& shown : m_ui.Shown())
        EXPECT_EQ(shown.text, LoadString(StringId::MailSettingsMissing));
    EXPECT_TRUE(m_ui.MailsShown().empty());
}
