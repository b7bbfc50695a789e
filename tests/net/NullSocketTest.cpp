#include "net/CNullSocket.h"
#include "net/ScopedSilenceLimit.h"
#include "net/ScriptedResolver.h"
#include "net/ScriptedServer.h"
#include "net/SocketErrorText.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <future>
#include <netdb.h>
#include <poll.h>

using namespace std::chrono_literals;

namespace {

// Generous for a loaded machine, and still far below any test time-out.
constexpr auto Promptly = 5s;

std::string Text(unsigned id) {
    return std::string(LoadString(id));
}

// A port on 127.0.0.1 where nothing listens.
uint16_t ClosedPort() {
    CScriptedServer server([](CServerConnection&) {}, false);
    return server.Port();
}

bool HasPendingConnection(const CScriptedServer& server) {
    pollfd entry{server.ListenFd(), POLLIN, 0};
    return poll(&entry, 1, 0) > 0;
}

} // namespace

TEST(SocketConnect, DottedAddressIsLookedUpByAddressThenConnected) {
    ScopedResolver resolver;
    resolver->Map("127.0.0.1", "127.0.0.1");
    CScriptedServer server([](CServerConnection& c) { c.ReadRequest(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("127.0.0.1", server.Port()), SocketResult::Done);
    EXPECT_EQ(resolver->byAddress, 1);
    EXPECT_EQ(resolver->byName, 0);
    socket.Close();
}

TEST(SocketConnect, DottedAddressWithoutReverseNameFailsWithLookupTextAndNeverConnects) {
    ScopedResolver resolver;
    CScriptedServer server([](CServerConnection&) {}, false);
    CNullSocket socket;
    EXPECT_EQ(socket.Connect("127.0.0.1", server.Port()), SocketResult::Failed);
    EXPECT_EQ(socket.GetErrorText(), "The host does not exist.");
    EXPECT_FALSE(HasPendingConnection(server));
    socket.Close();
}

TEST(SocketConnect, NameIsLookedUpByName) {
    ScopedResolver resolver;
    resolver->Map("server.test", "127.0.0.1");
    CScriptedServer server([](CServerConnection& c) { c.ReadRequest(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("server.test", server.Port()), SocketResult::Done);
    EXPECT_EQ(resolver->byName, 1);
    socket.Close();
}

TEST(SocketConnect, SystemResolverFindsLocalhost) {
    CScriptedServer server([](CServerConnection& c) { c.ReadRequest(); });
    CNullSocket socket;
    EXPECT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    socket.Close();
}

TEST(SocketConnect, RefusedConnectionGivesTheRejectedText) {
    CNullSocket socket;
    EXPECT_EQ(socket.Connect("localhost", ClosedPort()), SocketResult::Failed);
    EXPECT_EQ(socket.GetErrorText(), "The attempt to connect was forcefully rejected.");
    socket.Close();
}

TEST(SocketConnect, LookupErrorsGiveTheirTexts) {
    struct Case {
        int error;
        std::string text;
    };
    const Case cases[] = {
        {Wsa::HostNotFound, "The host does not exist."},
        {Wsa::TryAgain, "Host not found, or there an error resolving the host name."},
        {Wsa::NoRecovery, "A non recoverable error has occurred resolving host name."},
        {Wsa::NoData, "The DNS server could not be located."},
        {Wsa::NoBuffers, "No/insufficient buffer space is available."},
        {12345, "Unknown DNS error 12345"},
    };
    ScopedResolver resolver;
    for (const Case& c : cases) {
        resolver->Fail("name.test", c.error);
        CNullSocket socket;
        EXPECT_EQ(socket.Connect("name.test", 80), SocketResult::Failed);
        EXPECT_EQ(socket.GetErrorText(), c.text) << c.error;
        socket.Close();
    }
}

TEST(SocketErrors, EachOperationHasItsOwnTable) {
    EXPECT_EQ(ConnectErrorText(10061), Text(StringId::ConnectionRefused));
    EXPECT_EQ(ConnectErrorText(10065), "Unknown connect error 10065");
    EXPECT_EQ(ConnectErrorText(10055), "No/insufficient buffer space is available.");
    EXPECT_EQ(TransferErrorText(10055),
              "The Windows Sockets implementation reports a buffer deadlock.");
    EXPECT_EQ(TransferErrorText(10054), "The virtual circuit was reset by the remote side.");
    EXPECT_EQ(TransferErrorText(10061), "Unknown send error 10061");
    EXPECT_EQ(LookupStartErrorText(10093), "Windows Sockets has not been initialized..");
    EXPECT_EQ(LookupStartErrorText(11001), "Unknown DNS error 11001");
}

TEST(SocketErrors, SystemNumbersMapToTheSocketInterfaceNumbers) {
    EXPECT_EQ(WsaFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WsaFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WsaFromErrno(EPIPE), 10054);
    EXPECT_EQ(WsaFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WsaFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(WsaFromErrno(ENETUNREACH), 10051);
    EXPECT_EQ(WsaFromErrno(EINPROGRESS), 10035);
    EXPECT_EQ(WsaFromLookupError(EAI_NONAME), 11001);
    EXPECT_EQ(WsaFromLookupError(EAI_AGAIN), 11002);
    EXPECT_EQ(WsaFromLookupError(EAI_FAIL), 11003);
    EXPECT_EQ(WsaFromLookupError(EAI_NODATA), 11004);
}

TEST(SocketCancel, CancelBeforeConnectReturnsCancelledWithoutLookup) {
    ScopedResolver resolver;
    resolver->Map("127.0.0.1", "127.0.0.1");
    CNullSocket socket;
    socket.Cancel();
    EXPECT_EQ(socket.Connect("127.0.0.1", 80), SocketResult::Cancelled);
    EXPECT_EQ(resolver->byAddress + resolver->byName, 0);
    EXPECT_EQ(socket.GetErrorText(), "");
}

TEST(SocketCancel, CancelDuringLookupReturnsAtOnce) {
    ScopedResolver resolver;
    resolver->hold = true;
    resolver->Map("slow.test", "127.0.0.1");
    CNullSocket socket;
    auto connect = std::async(std::launch::async, [&] { return socket.Connect("slow.test", 80); });
    ASSERT_TRUE(resolver->entered.WaitFor(Promptly));
    socket.Cancel();
    ASSERT_EQ(connect.wait_for(Promptly), std::future_status::ready);
    EXPECT_EQ(connect.get(), SocketResult::Cancelled);
    EXPECT_EQ(socket.GetErrorText(), "");
    // The abandoned lookup finishes on its own and writes only what it shares.
    resolver->release.Set();
    EXPECT_TRUE(resolver->returned.WaitFor(Promptly));
}

TEST(SocketCancel, CancelWhileConnectingReturnsAtOnce) {
    // A listener that never accepts, with its queue filled: further
    // handshakes stay unanswered.
    CScriptedServer server([](CServerConnection&) {}, false, 0);
    std::vector<std::unique_ptr<CNullSocket>> fillers;
    std::future<SocketResult> connect;
    std::unique_ptr<CNullSocket> socket;
    for (int attempt = 0; attempt < 8; ++attempt) {
        socket = std::make_unique<CNullSocket>();
        CNullSocket* raw = socket.get();
        connect = std::async(std::launch::async,
                             [raw, &server] { return raw->Connect("localhost", server.Port()); });
        if (connect.wait_for(300ms) == std::future_status::timeout)
            break;
        fillers.push_back(std::move(socket));
    }
    if (!socket)
        GTEST_SKIP() << "this kernel answers every handshake; no connect ever waits";
    socket->Cancel();
    ASSERT_EQ(connect.wait_for(Promptly), std::future_status::ready);
    EXPECT_EQ(connect.get(), SocketResult::Cancelled);
    EXPECT_EQ(socket->GetErrorText(), "");
    socket->Close();
    for (auto& filler : fillers)
        filler->Close();
}

TEST(SocketCancel, CancelDuringReceiveReturnsAtOnceAndKeepsTheErrorText) {
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    auto receive = std::async(std::launch::async, [&] {
        char buffer[16];
        size_t count = 99;
        SocketResult result = socket.Receive(buffer, sizeof buffer, count);
        return std::make_pair(result, count);
    });
    EXPECT_EQ(receive.wait_for(100ms), std::future_status::timeout) << "nothing was sent";
    socket.Cancel();
    ASSERT_EQ(receive.wait_for(Promptly), std::future_status::ready);
    auto [result, count] = receive.get();
    EXPECT_EQ(result, SocketResult::Cancelled);
    EXPECT_EQ(count, 99u) << "count is not written on a cancel";
    EXPECT_EQ(socket.GetErrorText(), "");
    socket.Close();
}

TEST(SocketCancel, CancelDuringSendReturnsAtOnce) {
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    // Far more than both ends' buffers hold while nobody reads.
    std::string big(64 << 20, 'x');
    auto send = std::async(std::launch::async, [&] { return socket.Send(big.data(), big.size()); });
    EXPECT_EQ(send.wait_for(200ms), std::future_status::timeout);
    socket.Cancel();
    ASSERT_EQ(send.wait_for(Promptly), std::future_status::ready);
    EXPECT_EQ(send.get(), SocketResult::Cancelled);
    socket.Close();
}

TEST(SocketTransfer, SendLineAddsCrLfAndAPartialSendContinues) {
    std::string big(4 << 20, 'y');
    CScriptedServer server([&](CServerConnection& c) { c.ReadRequest(big.size() + 2); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    EXPECT_EQ(socket.SendLine("HELO x\r\n"), SocketResult::Done);
    EXPECT_EQ(socket.SendLine(big), SocketResult::Done);
    ASSERT_TRUE(server.WaitForRequests(1));
    std::string got = server.Requests()[0];
    EXPECT_EQ(got.substr(0, 12), "HELO x\r\n\r\nyy");
    EXPECT_EQ(got.size(), 10 + big.size() + 2);
    EXPECT_EQ(got.substr(got.size() - 3), "y\r\n");
    socket.Close();
}

TEST(SocketTransfer, SendOfNothingSucceedsWithoutAConnection) {
    CNullSocket socket;
    EXPECT_EQ(socket.Send("", 0), SocketResult::Done);
}

TEST(SocketTransfer, ReadLineEndsAtCrAndLfInEitherOrder) {
    struct Case {
        std::string sent;
        SocketResult result;
        std::string line;
    };
    const Case cases[] = {
        {"abc\r\n", SocketResult::Done, "abc"},
        {"abc\n\r", SocketResult::Done, "abc"},
        {"a\rb\r\n", SocketResult::Done, "ab"},
        {"abc", SocketResult::Cancelled, "abc"},
    };
    for (const Case& c : cases) {
        CScriptedServer server([&](CServerConnection& conn) { conn.Send(c.sent); });
        CNullSocket socket;
        ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
        std::string line;
        EXPECT_EQ(socket.ReadLine(line), c.result) << c.sent;
        if (c.result == SocketResult::Done) {
            EXPECT_EQ(line, c.line);
        }
        socket.Close();
    }
}

TEST(SocketTransfer, PeerResetDuringReceiveGivesTheResetText) {
    CScriptedServer server([](CServerConnection& c) {
        c.Send("partial");
        c.ReadRequest();
        c.Reset();
    });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    char buffer[64];
    size_t count = 0;
    ASSERT_EQ(socket.Receive(buffer, sizeof buffer, count), SocketResult::Done);
    ASSERT_EQ(socket.Send("x\r\n\r\n", 5), SocketResult::Done);
    SocketResult result = socket.Receive(buffer, sizeof buffer, count);
    while (result == SocketResult::Done && count > 0)
        result = socket.Receive(buffer, sizeof buffer, count);
    EXPECT_EQ(result, SocketResult::Failed);
    EXPECT_EQ(socket.GetErrorText(), "The virtual circuit was reset by the remote side.");
    socket.Close();
}

TEST(SocketTransfer, DrainInputDiscardsWhatHasArrivedWithoutWaiting) {
    CManualResetEvent drained;
    CScriptedServer server([&](CServerConnection& c) {
        c.Send("old data");
        (void)drained.WaitFor(10s);
        c.Send("new");
    });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    std::string line;
    // The first byte proves the old data is here; the rest is drained.
    char first;
    size_t count = 0;
    ASSERT_EQ(socket.Receive(&first, 1, count), SocketResult::Done);
    EXPECT_EQ(socket.DrainInput(), SocketResult::Done);
    EXPECT_EQ(socket.DrainInput(), SocketResult::Done) << "nothing waiting: at once";
    drained.Set();
    char buffer[16];
    ASSERT_EQ(socket.Receive(buffer, sizeof buffer, count), SocketResult::Done);
    EXPECT_EQ(std::string(buffer, count), "new");
    socket.Close();
}

TEST(SocketTransfer, DrainInputOnAClosedConnectionSucceeds) {
    CScriptedServer server([](CServerConnection& c) { c.Close(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    ASSERT_TRUE(server.WaitForScripts(1));
    EXPECT_EQ(socket.DrainInput(), SocketResult::Done);
    socket.Close();
}

TEST(SocketClose, CloseEndsTheConnectionAndASecondCloseIsHarmless) {
    std::atomic<bool> peerSawClose{false};
    CScriptedServer server([&](CServerConnection& c) { peerSawClose = c.WaitForPeerClose(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    (void)socket.SetNoDelay();
    socket.Close();
    socket.Close();
    ASSERT_TRUE(server.WaitForScripts(1));
    EXPECT_TRUE(peerSawClose);
    char buffer[4];
    size_t count = 0;
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer, count), SocketResult::Failed)
        << "a closed socket is usable only for its error text";
}

namespace {

// How long an operation took, and what it gave.
struct Timed {
    SocketResult result;
    std::chrono::steady_clock::duration took;
};

template <class Operation> Timed Time(Operation operation) {
    const auto before = std::chrono::steady_clock::now();
    SocketResult result = operation();
    return {result, std::chrono::steady_clock::now() - before};
}

} // namespace

TEST(SocketSilence, TheLimitIsTwoMinutesAndItsTextNamesIt) {
    EXPECT_EQ(CNullSocket::DefaultSilenceLimit, 120s);
    EXPECT_EQ(CNullSocket::SilenceLimit(), 120s);
    const std::pair<std::chrono::milliseconds, const char*> cases[] = {
        {120s, "The host sent nothing for 120 seconds."},
        {2s, "The host sent nothing for 2 seconds."},
        {1s, "The host sent nothing for 1 second."},
        {999ms, "The host sent nothing for 999 milliseconds."},
        {1001ms, "The host sent nothing for 1001 milliseconds."},
    };
    for (auto [limit, text] : cases)
        EXPECT_EQ(SilenceErrorText(CNetSocket::Direction::Readable, limit), text);
    EXPECT_EQ(SilenceErrorText(CNetSocket::Direction::Writable, 120s),
              "The host took no data for 120 seconds.");
}

TEST(SocketSilence, ReceiveFailsOnceThePeerHasBeenSilentForTheLimitAndNotBefore) {
    ScopedSilenceLimit limit(300ms);
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    char buffer[16];
    size_t count = 99;
    Timed timed = Time([&] { return socket.Receive(buffer, sizeof buffer, count); });
    EXPECT_EQ(timed.result, SocketResult::Failed);
    EXPECT_GE(timed.took, 300ms);
    EXPECT_LT(timed.took, Promptly);
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(socket.GetErrorText(), "The host sent nothing for 300 milliseconds.");
    socket.Close();
}

TEST(SocketSilence, OnlySilenceCountsNotTheLengthOfTheTransfer) {
    // Ten bytes a tenth of the limit apart take three times the limit in
    // all; none of the waits reaches it.
    ScopedSilenceLimit limit(300ms);
    CScriptedServer server([](CServerConnection& c) {
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(90ms);
            c.Send("x");
        }
    });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    std::string got;
    for (;;) {
        char byte;
        size_t count = 0;
        ASSERT_EQ(socket.Receive(&byte, 1, count), SocketResult::Done) << socket.GetErrorText();
        if (count == 0)
            break;
        got += byte;
    }
    EXPECT_EQ(got, "xxxxxxxxxx");
    socket.Close();
}

TEST(SocketSilence, SendFailsWhenThePeerTakesNothingForTheLimit) {
    ScopedSilenceLimit limit(300ms);
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CNullSocket socket;
    ASSERT_EQ(socket.Connect("localhost", server.Port()), SocketResult::Done);
    // Far more than both ends' buffers hold while nobody reads.
    std::string big(64 << 20, 'x');
    Timed timed = Time([&] { return socket.Send(big.data(), big.size()); });
    EXPECT_EQ(timed.result, SocketResult::Failed);
    EXPECT_GE(timed.took, 300ms);
    EXPECT_EQ(socket.GetErrorText(), "The host took no data for 300 milliseconds.");
    socket.Close();
}

TEST(SocketSilence, AnUnansweredConnectFailsAsTimedOut) {
    // A listener that never accepts, with its queue filled: a further
    // handshake stays unanswered.
    CScriptedServer server([](CServerConnection&) {}, false, 0);
    std::vector<std::unique_ptr<CNullSocket>> fillers;
    bool waited = false;
    for (int attempt = 0; attempt < 8 && !waited; ++attempt) {
        auto socket = std::make_unique<CNullSocket>();
        ScopedSilenceLimit limit(300ms);
        Timed timed = Time([&] { return socket->Connect("127.0.0.1", server.Port()); });
        if (timed.result == SocketResult::Failed) {
            waited = true;
            EXPECT_GE(timed.took, 300ms);
            EXPECT_EQ(socket->GetErrorText(), Text(StringId::ConnectTimedOut));
        }
        fillers.push_back(std::move(socket));
    }
    for (auto& filler : fillers)
        filler->Close();
    if (!waited)
        GTEST_SKIP() << "this kernel answers every handshake; no connect ever waits";
}
