#include "net/ServerProcess.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One connection attempt that waits at most bound for the handshake.
bool Accepts(uint16_t port, std::chrono::milliseconds bound) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd entry{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        connected = poll(&entry, 1, static_cast<int>(bound.count())) == 1 &&
                    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    close(fd);
    return connected;
}

bool Exited(pid_t pid) {
    int status;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

std::unique_ptr<CServerProcess> CServerProcess::Start(const std::vector<std::string>& argv,
                                                      uint16_t port, std::string& error,
                                                      std::chrono::seconds bound) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        // Quiet: the servers' own chatter is not the test's output.
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) {
        error = "fork failed";
        return nullptr;
    }
    auto server = std::make_unique<CServerProcess>(pid);
    const auto deadline = std::chrono::steady_clock::now() + bound;
    // A refused attempt returns at once; the next one waits on the handshake
    // itself, so this is bounded without sleeping between tries.
    while (std::chrono::steady_clock::now() < deadline) {
        if (Accepts(port, std::chrono::milliseconds(50)))
            return server;
        if (Exited(pid)) {
            server->m_pid = -1;
            error = argv[0] + " exited before its port accepted";
            return nullptr;
        }
        pollfd none{-1, 0, 0};
        (void)poll(&none, 1, 10);
    }
    error = argv[0] + " did not accept on its port in time";
    return nullptr;
}

CServerProcess::~CServerProcess() {
    Stop();
}

void CServerProcess::Stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

uint16_t FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

std::string FindProgram(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates)
        if (access(path.c_str(), X_OK) == 0)
            return path;
    return {};
}
