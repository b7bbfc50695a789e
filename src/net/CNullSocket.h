#pragma once

#include "platform/CLatchFd.h"
#include "platform/CNetSocket.h"
#include "platform/CSemLock.h"
#include "platform/CTlsStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Results shared by every operation of CNullSocket; callers compare against
// these numbers.
enum class SocketResult : int32_t {
    Done = 0,
    Cancelled = 1, // also: ReadLine met the end of the stream first. No error text.
    Failed = 2,    // the error text has been set
};

// A TCP connection with plain blocking calls for a worker thread, which any
// other thread can end at once with Cancel. Underneath the socket is
// non-blocking and every wait polls it together with a cancel latch; host
// lookup runs on a helper thread that a cancelled Connect walks away from.
//
// Order for one connection: Connect, optionally SetNoDelay, optionally
// StartTls, any number of transfers, Close. Cancel and GetErrorText may come
// from any thread.
class CNullSocket {
public:
    CNullSocket() = default;
    ~CNullSocket();
    CNullSocket(const CNullSocket&) = delete;
    CNullSocket& operator=(const CNullSocket&) = delete;

    [[nodiscard]] SocketResult Connect(const std::string& host, uint16_t port);
    [[nodiscard]] SocketResult Send(const char* data, size_t count);
    // One read of up to capacity bytes; count 0 means the peer closed.
    [[nodiscard]] SocketResult Receive(char* buffer, size_t capacity, size_t& count);
    // A line ended by CR and LF in either order; neither is stored.
    [[nodiscard]] SocketResult ReadLine(std::string& line);
    [[nodiscard]] SocketResult SendLine(std::string_view text);
    // Always Done; a refusal of the option changes nothing for the caller.
    SocketResult SetNoDelay();
    // Makes the connection a TLS one, its certificate checked against host;
    // Send, Receive and ReadLine go through it from then on. Failed: the
    // error text gives the reason and GetTlsFailure which check it was.
    [[nodiscard]] SocketResult StartTls(const std::string& host);
    [[nodiscard]] CTlsStream::Failure GetTlsFailure();
    // Throws away whatever the peer has already sent, without waiting (on a
    // connection without TLS).
    [[nodiscard]] SocketResult DrainInput();
    // Ends a waiting operation with Cancelled, and every later wait too.
    void Cancel();
    // Harmless when there is nothing to close.
    void Close();
    [[nodiscard]] std::string GetErrorText();

private:
    [[nodiscard]] SocketResult Fail(std::string text);
    [[nodiscard]] SocketResult Lookup(const std::string& host, in_addr& address);
    [[nodiscard]] SocketResult ConnectTo(in_addr address, uint16_t port);
    [[nodiscard]] CNetSocket::WaitOutcome Wait(CNetSocket::Direction direction);
    [[nodiscard]] SocketResult TransferFailure(int error);
    // Waits as the TLS session asks; Done when it is worth calling it again.
    [[nodiscard]] SocketResult WaitForTls(CTlsStream::Progress progress);
    [[nodiscard]] SocketResult TlsFailure();
    [[nodiscard]] SocketResult SendTls(const char* data, size_t count);
    [[nodiscard]] SocketResult ReceiveTls(char* buffer, size_t capacity, size_t& count);

    CSemLock m_lock;
    // Set once by Cancel and never cleared; every wait polls it.
    CLatchFd m_cancelled;
    // Written under m_lock; the connecting thread reads it without, since
    // only that thread replaces it before Close, which comes after it ends.
    CNetSocket m_socket;
    // Like m_socket: set by the connecting thread, taken by Close.
    std::unique_ptr<CTlsStream> m_tls;
    std::string m_errorText GUARDED_BY(m_lock);
    CTlsStream::Failure m_tlsFailure GUARDED_BY(m_lock) = CTlsStream::Failure::None;
};
