// The SMTP dialogue against scripted loopback servers, byte for byte, and its
// failures.
#include "mail/MailFixture.h"

#include "net/ScriptedResolver.h"
#include "net/ServerProcess.h"
#include "platform/LocalHostName.h"

#include <chrono>

using namespace std::chrono_literals;

CScriptedServer::Script SmtpScript(std::vector<std::string> replies) {
    return [replies](CServerConnection& c) {
        c.Send(replies.front());
        for (size_t i = 1; i < replies.size(); ++i) {
            const bool data = replies[i - 1].starts_with('3');
            c.ReadUntil(data ? "\r\n.\r\n" : "\r\n");
            c.Send(replies[i]);
        }
        if (replies.back().starts_with('2'))
            c.ReadUntil("QUIT\r\n");
        else
            c.WaitForPeerClose();
    };
}

namespace {

const std::vector<std::string> Willing = {"220 ready\r\n", "250 hello\r\n", "250 ok\r\n",
                                          "250 ok\r\n",    "354 go on\r\n", "250 queued\r\n"};

std::string Server(const std::string& format) {
    std::string text = format;
    text.replace(text.find("%s"), 2, "127.0.0.1");
    return text;
}

} // namespace

TEST_F(MailTest, DialogueIsExactlyHeloMailRcptDataMessageQuit) {
    CScriptedServer server(SmtpScript(Willing));
    SetServer("127.0.0.1", server.Port());
    CMimeDynamicLoad* load =
        Post("mailto:bob@example.org", "To: bob@example.org\nSubject: Hi\n", "Hello\r\n.\r\n");
    ASSERT_TRUE(server.WaitForScripts(1));
    const std::string data = "To: bob@example.org\r\nSubject: Hi\r\n"
                             "From:Ann Example <ann@example.org>\r\nReply-To:ann@example.org\r\n"
                             "\r\nHello\r\n..\r\n\r\n.\r\n";
    // The empty line after the data's end is the last command's trail: the
    // drain before QUIT throws away whatever the server says to it.
    const std::vector<std::string> sent = {"HELO " + LocalHostName() + "\r\n",
                                           "MAIL FROM:ann@example.org\r\n",
                                           "RCPT TO: bob@example.org\r\n",
                                           "DATA\r\n",
                                           data,
                                           "\r\nQUIT\r\n"};
    EXPECT_EQ(server.Requests(), sent);
    // Success shows only in the status bar: the load itself says it failed.
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    EXPECT_EQ(m_lastStatus, "Send successful. Connection to SMTP server \"127.0.0.1\" closed.");
}

TEST_F(MailTest, RepliesThatFailTheDialogue) {
    struct Case {
        const char* what;
        std::vector<std::string> replies;
        size_t commandsSent;
        std::string error;
    };
    const std::string refused =
        Server("The SMTP server \"%s\" returned the following error message:\n");
    const std::vector<Case> cases = {
        {"a greeting beginning with 4", {"421 too busy\r\n"}, 0, refused + "421 too busy"},
        {"a greeting beginning with 5", {"554 no\r\n"}, 0, refused + "554 no"},
        {"HELO refused", {"220 ready\r\n", "501 who\r\n"}, 1, refused + "501 who"},
        {"RCPT refused",
         {"220 a\r\n", "250 b\r\n", "250 c\r\n", "550 no such user\r\n"},
         3,
         refused + "550 no such user"},
        {"DATA answered with 2, not 3",
         {"220 a\r\n", "250 b\r\n", "250 c\r\n", "250 d\r\n", "250 e\r\n"},
         4,
         refused + "250 e"},
        {"the message refused",
         {"220 a\r\n", "250 b\r\n", "250 c\r\n", "250 d\r\n", "354 e\r\n", "552 too big\r\n"},
         5,
         refused + "552 too big"},
        {"a multi-line refusal is judged by its first line",
         {"220 a\r\n", "250 b\r\n", "451-try\r\n451 later\r\n"},
         2,
         refused + "451-try"},
    };
    for (const Case& c : cases) {
        CScriptedServer server(SmtpScript(c.replies));
        SetServer("127.0.0.1", server.Port());
        CMimeDynamicLoad* load = Post("mailto:bob@x", "To: bob@x\n", "body\r\n");
        ASSERT_TRUE(server.WaitForScripts(1)) << c.what;
        EXPECT_EQ(server.Requests().size(), c.commandsSent) << c.what;
        EXPECT_EQ(load->Result(), Status::Failed) << c.what;
        EXPECT_EQ(load->ErrorText(), c.error) << c.what;
        m_owner.Delete(load);
    }
}

TEST_F(MailTest, MultiLineRepliesAreReadWholeWhateverTheirChunks) {
    // Each reply's last line comes in a send of its own after the client
    // has had the first: a client that read only the first line would take
    // the rest for the next command's reply, and DATA's "3" would be a "2".
    CScriptedServer server([](CServerConnection& c) {
        c.Send("220-first line\r\n");
        c.Send("220-second line\r\n220 ready\r\n");
        c.ReadLine();
        c.Send("250 hello\r\n");
        c.ReadLine();
        c.Send("250 ok\r\n");
        c.ReadLine();
        c.Send("250-recipient\r\n");
        c.Send("250 ok\r\n");
        c.ReadLine();
        c.Send("354 go on\r\n");
        c.ReadUntil("\r\n.\r\n");
        c.Send("250 queued\r\n");
        c.ReadUntil("QUIT\r\n");
    });
    SetServer("127.0.0.1", server.Port());
    CMimeDynamicLoad* load = Post("mailto:bob@x", "To: bob@x\n", "body\r\n");
    ASSERT_TRUE(server.WaitForScripts(1));
    EXPECT_EQ(load->ErrorText(), "");
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_EQ(m_lastStatus, "Send successful. Connection to SMTP server \"127.0.0.1\" closed.");
}

TEST_F(MailTest, ConnectionFailuresNameTheServerAndTheReason) {
    struct Case {
        const char* what;
        std::function<CMimeDynamicLoad*()> post;
        std::string error;
    };
    ScopedResolver resolver;
    resolver->Map("127.0.0.1", "127.0.0.1");
    const std::string connect =
        Server("Connect to SMTP host \"%s\" failed for the following reason:\n");
    const std::string unread =
        Server("Could not read from SMTP server  \"%s\" for the following reason:\n");
    const auto post = [this] { return Post("mailto:bob@x", "To: bob@x\n", "body\r\n"); };
    CScriptedServer closes([](CServerConnection& c) { c.Close(); });
    CScriptedServer greetsAndCloses([](CServerConnection& c) {
        c.Send("220 ready\r\n");
        c.ReadLine();
        c.Close();
    });
    CScriptedServer resets([](CServerConnection& c) {
        c.Send("220 ready\r\n");
        c.ReadLine();
        c.Reset();
    });
    const std::vector<Case> cases = {
        {"nothing listens",
         [&] {
             SetServer("127.0.0.1", FreeLoopbackPort());
             return post();
         },
         connect + "The attempt to connect was forcefully rejected."},
        {"no such host",
         [&] {
             SetServer("nowhere.test", 25);
             return post();
         },
         "Connect to SMTP host \"nowhere.test\" failed for the following reason:\n"
         "The host does not exist."},
        {"closed before the greeting",
         [&] {
             SetServer("127.0.0.1", closes.Port());
             return post();
         },
         unread + "The server closed the connection."},
        {"closed after the greeting, before HELO's reply",
         [&] {
             SetServer("127.0.0.1", greetsAndCloses.Port());
             return post();
         },
         unread + "The server closed the connection."},
    };
    for (const Case& c : cases) {
        CMimeDynamicLoad* load = c.post();
        EXPECT_EQ(load->Result(), Status::Failed) << c.what;
        EXPECT_EQ(load->ErrorText(), c.error) << c.what;
        m_owner.Delete(load);
    }
    SetServer("127.0.0.1", resets.Port());
    CMimeDynamicLoad* load = post();
    EXPECT_TRUE(load->ErrorText().starts_with(unread)) << load->ErrorText();
}

TEST_F(MailTest, PortsOutOfRangeReachNothing) {
    // 65535 is the last port there is: a server there is reached.
    CScriptedServer last(SmtpScript(Willing), CScriptedServer::Address{"127.0.0.1", 65535});
    if (last.Listening()) {
        SetServer("127.0.0.1", 65535);
        CMimeDynamicLoad* load = Post("mailto:bob@x", "To: bob@x\n", "body\r\n");
        EXPECT_EQ(load->ErrorText(), "");
        m_owner.Delete(load);
    }
    for (const int32_t port : {65536, -1}) {
        SetServer("127.0.0.1", port);
        CMimeDynamicLoad* load = Post("mailto:bob@x", "To: bob@x\n", "body\r\n");
        EXPECT_EQ(load->ErrorText(),
                  Server("Connect to SMTP host \"%s\" failed for the following reason:\n") +
                      "The attempt to connect was forcefully rejected.")
            << port;
        EXPECT_EQ(m_lastStatus,
                  "Connecting to SMTP server 127.0.0.1, port " + std::to_string(port));
        m_owner.Delete(load);
    }
}

TEST_F(MailTest, StopDuringTheDialogueEndsItWithinASecond) {
    CScriptedServer server([](CServerConnection& c) {
        c.Send("220 ready\r\n");
        c.ReadLine();
        c.HoldUntilStopped();
    });
    SetServer("127.0.0.1", server.Port());
    CMimeDynamicLoad* load = StartPost("mailto:bob@x", "To: bob@x\n", "body\r\n");
    RunUntil([&] { return server.Requests().size() == 1; });
    const auto stopped = std::chrono::steady_clock::now();
    Scheduler().Cancel(load);
    RunUntil([&] { return m_owner.Finished(load); });
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s);
    // A stopped mail is no failure to tell of.
    EXPECT_EQ(load->ErrorText(), "");
}

TEST_F(MailTest, LineBreaksInTheAddressNeverReachACommand) {
    CScriptedServer server(SmtpScript(Willing));
    SetServer("127.0.0.1", server.Port());
    SetSender("Ann\r\nX-Evil: 1", "ann@x\r\nRCPT TO:<eve@x>");
    Post("mailto:bob%0D%0ARCPT%20TO:%3Ceve@x%3E", "Content-type: text/plain\r\n", "body\r\n");
    ASSERT_TRUE(server.WaitForScripts(1));
    const std::vector<std::string> sent = server.Requests();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[1], "MAIL FROM:ann@xRCPT TO:<eve@x>\r\n");
    EXPECT_EQ(sent[2], "RCPT TO: bobRCPT TO:<eve@x>\r\n");
    EXPECT_TRUE(sent[4].starts_with("Content-type: text/plain\r\nTo: bobRCPT TO:<eve@x>\r\n"
                                    "From:AnnX-Evil: 1 <ann@xRCPT TO:<eve@x>>\r\n"))
        << sent[4];
}
