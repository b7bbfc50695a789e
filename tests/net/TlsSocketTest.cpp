#include "net/CNullSocket.h"
#include "net/ScriptedServer.h"
#include "net/TestCertificates.h"
#include "net/TestSite.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>

using namespace std::chrono_literals;

namespace {

using Tls = CTestSite::Tls;
using Failure = CTlsStream::Failure;

const char* const Page = "<title>Secure</title>over TLS\n";

} // namespace

// The socket layer's TLS against lighttpd, which serves one certificate per
// port (tests/net/make_test_certs.sh), all from an authority the process
// trusts in place of the system's.
class TlsSocket : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir.Path() / "www");
        std::ofstream(m_dir.Path() / "www/index.html") << Page;
        std::string error;
        m_site = CTestSite::Start(m_dir.Path() / "www", error);
        if (!m_site)
            GTEST_SKIP() << error;
    }
    void TearDown() override { m_socket.Close(); }

    SocketResult Secure(uint16_t port, const std::string& host) {
        EXPECT_EQ(m_socket.Connect("127.0.0.1", port), SocketResult::Done);
        return m_socket.StartTls(host);
    }

    TempDir m_dir;
    std::unique_ptr<CTestSite> m_site;
    CNullSocket m_socket;
};

TEST_F(TlsSocket, RequestAndAnswerTravelThroughTheSession) {
    ASSERT_EQ(Secure(m_site->HttpsPort(Tls::Valid), "localhost"), SocketResult::Done);
    ASSERT_EQ(m_socket.SendLine("GET /index.html HTTP/1.0"), SocketResult::Done);
    ASSERT_EQ(m_socket.SendLine("Host: localhost"), SocketResult::Done);
    ASSERT_EQ(m_socket.SendLine(""), SocketResult::Done);
    std::string line;
    ASSERT_EQ(m_socket.ReadLine(line), SocketResult::Done);
    EXPECT_EQ(line, "HTTP/1.0 200 OK");
    std::string rest;
    char buffer[4096];
    size_t count = 0;
    while (m_socket.Receive(buffer, sizeof buffer, count) == SocketResult::Done && count > 0)
        rest.append(buffer, count);
    EXPECT_EQ(count, 0u) << "the server's close ends the stream like a plain one";
    const std::string_view body = Page;
    EXPECT_EQ(rest.substr(rest.find("\r\n\r\n") + 4), body) << rest;
}

struct HandshakeCase {
    const char* name;
    Tls tls;
    const char* host;
    Failure failure;   // None: the handshake succeeds
    const char* words; // the reason the socket gives
};

TEST_F(TlsSocket, CertificatesAndVersionsAreCheckedAtTheirEdges) {
    const HandshakeCase cases[] = {
        {"trusted, by name", Tls::Valid, "localhost", Failure::None, ""},
        {"trusted, by its other name", Tls::Valid, "vestrial.test", Failure::None, ""},
        {"trusted, by address", Tls::Valid, "127.0.0.1", Failure::None, ""},
        {"a name the certificate lacks", Tls::Valid, "other.test", Failure::NameMismatch,
         "hostname mismatch"},
        {"certificate for another name", Tls::OtherName, "localhost", Failure::NameMismatch,
         "hostname mismatch"},
        {"an address the certificate lacks", Tls::OtherName, "127.0.0.1", Failure::NameMismatch,
         "IP address mismatch"},
        {"expired", Tls::Expired, "localhost", Failure::Expired, "certificate has expired"},
        {"unknown authority", Tls::Untrusted, "localhost", Failure::Untrusted,
         "unable to get local issuer certificate"},
        {"TLS 1.2, the oldest spoken", Tls::Only12, "localhost", Failure::None, ""},
        {"TLS 1.1, one older", Tls::Only11, "localhost", Failure::Handshake,
         "tlsv1 alert protocol version"},
    };
    for (const HandshakeCase& c : cases) {
        CNullSocket socket;
        ASSERT_EQ(socket.Connect("127.0.0.1", m_site->HttpsPort(c.tls)), SocketResult::Done);
        const SocketResult result = socket.StartTls(c.host);
        EXPECT_EQ(result, c.failure == Failure::None ? SocketResult::Done : SocketResult::Failed)
            << c.name;
        EXPECT_EQ(socket.GetTlsFailure(), c.failure) << c.name;
        EXPECT_EQ(socket.GetErrorText(), c.words) << c.name;
        socket.Close();
    }
}

TEST_F(TlsSocket, PlainServerFailsTheHandshakeWithTheLibrarysReason) {
    EXPECT_EQ(Secure(m_site->HttpPort(), "localhost"), SocketResult::Failed);
    EXPECT_EQ(m_socket.GetTlsFailure(), Failure::Handshake);
    EXPECT_EQ(m_socket.GetErrorText(), "wrong version number");
}

TEST(TlsHandshake, ServerThatLeavesMidwayGivesItsReason) {
    ASSERT_FALSE(TestCertificates().empty());
    struct Case {
        bool reset;
        const char* words;
    };
    for (Case c : {Case{false, "The server closed the connection during the handshake."},
                   Case{true, "The virtual circuit was reset by the remote side."}}) {
        CScriptedServer server([c](CServerConnection& connection) {
            // Nothing reads as a request: the hello ends the wait at once.
            (void)connection.WaitForPeerClose(200ms);
            if (c.reset)
                connection.Reset();
        });
        CNullSocket socket;
        ASSERT_EQ(socket.Connect("127.0.0.1", server.Port()), SocketResult::Done);
        EXPECT_EQ(socket.StartTls("localhost"), SocketResult::Failed) << c.words;
        EXPECT_EQ(socket.GetTlsFailure(), Failure::Handshake) << c.words;
        EXPECT_EQ(socket.GetErrorText(), c.words);
        socket.Close();
    }
}

TEST(TlsHandshake, CancelWhileTheServerSaysNothingReturnsAtOnce) {
    ASSERT_FALSE(TestCertificates().empty());
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("127.0.0.1", server.Port()), SocketResult::Done);
    auto handshake = std::async(std::launch::async, [&] { return socket.StartTls("localhost"); });
    EXPECT_EQ(handshake.wait_for(200ms), std::future_status::timeout) << "the server never answers";
    socket.Cancel();
    ASSERT_EQ(handshake.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(handshake.get(), SocketResult::Cancelled);
    EXPECT_EQ(socket.GetErrorText(), "");
    socket.Close();
}

TEST(TlsHandshake, EmptyHostIsRefusedRatherThanLeftUnchecked) {
    ASSERT_FALSE(TestCertificates().empty());
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("127.0.0.1", server.Port()), SocketResult::Done);
    EXPECT_EQ(socket.StartTls(""), SocketResult::Failed);
    EXPECT_EQ(socket.GetTlsFailure(), Failure::Handshake);
    EXPECT_EQ(socket.GetErrorText(), "There is no host name to check the certificate against.");
    socket.Close();
}
