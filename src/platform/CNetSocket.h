#pragma once

#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <sys/types.h>

class CLatchFd;

// One non-blocking TCP/IPv4 descriptor, closed when the object goes. Every
// failure comes back as the socket interface's error number (WsaErrors.h),
// never as errno, so that callers can pick the user's text by number.
class CNetSocket {
public:
    CNetSocket() = default;
    ~CNetSocket();
    CNetSocket(CNetSocket&& other) noexcept;
    CNetSocket& operator=(CNetSocket&& other) noexcept;
    CNetSocket(const CNetSocket&) = delete;
    CNetSocket& operator=(const CNetSocket&) = delete;

    // A new stream socket, or an invalid one with error set.
    [[nodiscard]] static CNetSocket CreateStream(int& error);

    [[nodiscard]] bool IsValid() const { return m_fd >= 0; }
    // For a layer that speaks over this connection (TLS); it stays ours.
    [[nodiscard]] int Fd() const { return m_fd; }
    void Close();

    // 0 when connected at once, Wsa::WouldBlock while the handshake runs (wait
    // for Writable, then ask PendingError), else the error.
    [[nodiscard]] int Connect(in_addr address, uint16_t port) const;
    // The outcome of a connect that was in progress: 0 or the error.
    [[nodiscard]] int PendingError() const;

    struct IoResult {
        size_t count = 0;
        int error = 0; // 0: count bytes moved (0 from Receive: the peer closed)
    };
    // Never raises SIGPIPE: a peer that went away is an error like any other.
    [[nodiscard]] IoResult Send(const char* data, size_t count) const;
    [[nodiscard]] IoResult Receive(char* buffer, size_t capacity) const;

    void SetNoDelay() const;
    // True when a read would not block (data, end of stream or an error).
    [[nodiscard]] bool PollReadable() const;

    enum class Direction { Readable, Writable };
    enum class WaitOutcome { Ready, Cancelled };
    // Waits without time limit until the socket is ready in that direction or
    // the latch is set; a set latch wins over a ready socket.
    [[nodiscard]] WaitOutcome Wait(Direction direction, const CLatchFd& cancel) const;

private:
    explicit CNetSocket(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

// Waits without time limit until either latch is set; true when `ready` is
// set and `cancel` is not.
[[nodiscard]] bool WaitForLatch(const CLatchFd& ready, const CLatchFd& cancel);
