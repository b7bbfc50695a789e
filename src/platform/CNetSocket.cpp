#include "platform/CNetSocket.h"

#include "platform/CLatchFd.h"
#include "platform/WsaErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Polls the descriptors, riding out signals, until one is ready or the limit
// (negative: none) has passed; false when it passed. The revents of both are
// left in the entries.
bool PollBoth(pollfd (&entries)[2], std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int timeout = -1;
        if (limit.count() >= 0) {
            // Rounded up, so the wait never ends a little before the limit.
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
        }
        int ready = poll(entries, 2, timeout);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return true; // the next call on the socket reports what is wrong
    }
}

} // namespace

CNetSocket::~CNetSocket() {
    Close();
}

CNetSocket::CNetSocket(CNetSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CNetSocket& CNetSocket::operator=(CNetSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

CNetSocket CNetSocket::CreateStream(int& error) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    error = fd < 0 ? WsaFromErrno(errno) : 0;
    // Closing never lingers for unsent data here by default, which is what
    // the engine asks of its sockets.
    return CNetSocket(fd);
}

void CNetSocket::Close() {
    if (m_fd >= 0)
        close(std::exchange(m_fd, -1));
}

int CNetSocket::Connect(in_addr address, uint16_t port) const {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr = address;
    int result;
    do {
        result = connect(m_fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    } while (result < 0 && errno == EINTR);
    return result == 0 ? 0 : WsaFromErrno(errno);
}

int CNetSocket::PendingError() const {
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) < 0)
        return WsaFromErrno(errno);
    return error == 0 ? 0 : WsaFromErrno(error);
}

CNetSocket::IoResult CNetSocket::Send(const char* data, size_t count) const {
    for (;;) {
        ssize_t sent = send(m_fd, data, count, MSG_NOSIGNAL);
        if (sent >= 0)
            return {static_cast<size_t>(sent), 0};
        if (errno != EINTR)
            return {0, WsaFromErrno(errno)};
    }
}

CNetSocket::IoResult CNetSocket::Receive(char* buffer, size_t capacity) const {
    for (;;) {
        ssize_t got = recv(m_fd, buffer, capacity, 0);
        if (got >= 0)
            return {static_cast<size_t>(got), 0};
        if (errno != EINTR)
            return {0, WsaFromErrno(errno)};
    }
}

void CNetSocket::SetNoDelay() const {
    int on = 1;
    // As on the original platform, a refusal changes nothing the caller sees.
    (void)setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool CNetSocket::PollReadable() const {
    pollfd entry{m_fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&entry, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready > 0 && entry.revents != 0;
}

CNetSocket::WaitOutcome CNetSocket::Wait(Direction direction, const CLatchFd& cancel,
                                         std::chrono::milliseconds limit) const {
    const short events = direction == Direction::Readable ? POLLIN : POLLOUT;
    pollfd entries[2] = {{cancel.Fd(), POLLIN, 0}, {m_fd, events, 0}};
    if (!PollBoth(entries, limit))
        return WaitOutcome::TimedOut;
    // An error or hang-up on the socket also ends the wait: the next call on
    // it reports what happened.
    return entries[0].revents != 0 ? WaitOutcome::Cancelled : WaitOutcome::Ready;
}

bool WaitForLatch(const CLatchFd& ready, const CLatchFd& cancel) {
    pollfd entries[2] = {{cancel.Fd(), POLLIN, 0}, {ready.Fd(), POLLIN, 0}};
    (void)PollBoth(entries, CNetSocket::NoLimit);
    return entries[0].revents == 0;
}
