#include "net/ScriptedServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr auto IoBound = std::chrono::seconds(10);

CScriptedServer*& RunningServer() {
    thread_local CScriptedServer* server = nullptr;
    return server;
}

} // namespace

CServerConnection::~CServerConnection() {
    Close();
}

bool CServerConnection::WaitReadable(std::chrono::milliseconds bound) {
    pollfd entries[2] = {{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    int ready = poll(entries, 2, static_cast<int>(bound.count()));
    return ready > 0 && entries[1].revents == 0 && entries[0].revents != 0;
}

std::string CServerConnection::ReadRequest(size_t bodyBytes) {
    std::string request;
    size_t end;
    while ((end = m_pending.find("\r\n\r\n")) == std::string::npos ||
           m_pending.size() < end + 4 + bodyBytes) {
        if (!WaitReadable(IoBound))
            break;
        char buffer[4096];
        ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        m_pending.append(buffer, static_cast<size_t>(got));
    }
    end = m_pending.find("\r\n\r\n");
    size_t length = end == std::string::npos ? m_pending.size()
                                             : std::min(m_pending.size(), end + 4 + bodyBytes);
    request = m_pending.substr(0, length);
    m_pending.erase(0, length);
    if (CScriptedServer* server = RunningServer())
        server->Record(request);
    return request;
}

std::string CServerConnection::ReadUntil(std::string_view terminator) {
    size_t end;
    while ((end = m_pending.find(terminator)) == std::string::npos) {
        if (!WaitReadable(IoBound))
            break;
        char buffer[4096];
        ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        m_pending.append(buffer, static_cast<size_t>(got));
    }
    const size_t length = end == std::string::npos ? m_pending.size() : end + terminator.size();
    std::string read = m_pending.substr(0, length);
    m_pending.erase(0, length);
    // A peer that went away leaves nothing worth recording.
    if (CScriptedServer* server = RunningServer(); server && !read.empty())
        server->Record(read);
    return read;
}

bool CServerConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

void CServerConnection::Reset() {
    linger hard{1, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
}

void CServerConnection::Close() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool CServerConnection::WaitForPeerClose(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitReadable(left))
            return false;
        char buffer[4096];
        ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return true;
    }
}

void CServerConnection::HoldUntilStopped() {
    pollfd entry{m_stopFd, POLLIN, 0};
    (void)poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(IoBound).count() * 3));
}

namespace {

// Moves what one side has ready to the other; false once it has closed.
bool Pass(int from, int to) {
    char buffer[16384];
    ssize_t got = recv(from, buffer, sizeof buffer, 0);
    if (got <= 0)
        return false;
    for (ssize_t sent = 0; sent < got;) {
        ssize_t now = send(to, buffer + sent, static_cast<size_t>(got - sent), MSG_NOSIGNAL);
        if (now <= 0)
            return false;
        sent += now;
    }
    return true;
}

} // namespace

void CServerConnection::RelayTo(uint16_t port) {
    int site = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(site, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        if (!m_pending.empty())
            (void)!send(site, m_pending.data(), m_pending.size(), MSG_NOSIGNAL);
        m_pending.clear();
        for (;;) {
            pollfd entries[3] = {{m_fd, POLLIN, 0}, {site, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
            if (poll(entries, 3, static_cast<int>(std::chrono::milliseconds(IoBound).count())) <=
                    0 ||
                entries[2].revents != 0)
                break;
            if (entries[0].revents != 0 && !Pass(m_fd, site))
                break;
            if (entries[1].revents != 0 && !Pass(site, m_fd))
                break;
        }
    }
    close(site);
}

CScriptedServer::CScriptedServer(Script script, bool accept, int backlog)
    : m_script(std::move(script)), m_accept(accept) {
    Listen("127.0.0.1", 0, backlog);
}

CScriptedServer::CScriptedServer(Script script, Address address)
    : m_script(std::move(script)), m_accept(true) {
    Listen(address.host, address.port, 16);
}

void CScriptedServer::Listen(const char* address, uint16_t port, int backlog) {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    inet_pton(AF_INET, address, &local.sin_addr);
    m_stopFd = eventfd(0, EFD_CLOEXEC);
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(m_listenFd, backlog) != 0)
        return;
    socklen_t size = sizeof local;
    getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&local), &size);
    m_port = ntohs(local.sin_port);
    if (m_accept)
        m_thread = std::thread([this] { Serve(); });
}

CScriptedServer::~CScriptedServer() {
    uint64_t one = 1;
    (void)!write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
    close(m_listenFd);
    close(m_stopFd);
}

std::string CScriptedServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

void CScriptedServer::Serve() {
    RunningServer() = this;
    for (;;) {
        pollfd entries[2] = {{m_listenFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (poll(entries, 2, -1) < 0 && errno == EINTR)
            continue;
        if (entries[1].revents != 0)
            break;
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        {
            CServerConnection connection(fd, m_stopFd);
            m_script(connection);
        }
        std::lock_guard guard(m_mutex);
        ++m_scriptsDone;
        m_changed.notify_all();
    }
}

void CScriptedServer::Record(std::string request) {
    std::lock_guard guard(m_mutex);
    m_requests.push_back(std::move(request));
    m_changed.notify_all();
}

std::vector<std::string> CScriptedServer::Requests() {
    std::lock_guard guard(m_mutex);
    return m_requests;
}

bool CScriptedServer::WaitForRequests(size_t count, std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] { return m_requests.size() >= count; });
}

bool CScriptedServer::WaitForScripts(size_t count, std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] { return m_scriptsDone >= count; });
}
