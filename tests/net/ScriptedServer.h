#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// One accepted connection of a CScriptedServer, driven by the test's script
// on the server's thread. Every wait is bounded, so a client that misbehaves
// fails the test instead of hanging it.
class CServerConnection {
public:
    CServerConnection(int fd, int stopFd) : m_fd(fd), m_stopFd(stopFd) {}
    ~CServerConnection();
    CServerConnection(const CServerConnection&) = delete;
    CServerConnection& operator=(const CServerConnection&) = delete;

    // Reads up to and including the empty line, then bodyBytes more.
    std::string ReadRequest(size_t bodyBytes = 0);
    // Reads up to and including terminator (a line of a line protocol, the
    // end of a mail's data); what was read when the bound ran out otherwise.
    std::string ReadUntil(std::string_view terminator);
    std::string ReadLine() { return ReadUntil("\r\n"); }
    // False once the client has gone.
    bool Send(std::string_view bytes);
    // Ends the connection with a reset (RST) instead of an orderly close.
    void Reset();
    void Close();
    // True when the client closed its side within the bound.
    bool WaitForPeerClose(std::chrono::milliseconds bound = std::chrono::seconds(10));
    // Holds the connection open without reading until the server stops.
    void HoldUntilStopped();
    // Passes bytes both ways between this connection and a new one to port
    // on 127.0.0.1, as a proxy's tunnel does, until either side closes.
    void RelayTo(uint16_t port);

private:
    // False on timeout, stop or end of stream.
    bool WaitReadable(std::chrono::milliseconds bound);
    int m_fd;
    int m_stopFd;
    std::string m_pending;
};

// A server on 127.0.0.1 (port chosen by the system) that runs the script for
// each connection it accepts, one at a time, and records what it read.
class CScriptedServer {
public:
    using Script = std::function<void(CServerConnection&)>;
    // backlog 0 and accept = false make a listener that never accepts.
    explicit CScriptedServer(Script script, bool accept = true, int backlog = 16);
    // On a given address and port (a well-known port needs the right to
    // bind it: check Listening).
    struct Address {
        const char* host;
        uint16_t port;
    };
    CScriptedServer(Script script, Address address);
    ~CScriptedServer();
    CScriptedServer(const CScriptedServer&) = delete;
    CScriptedServer& operator=(const CScriptedServer&) = delete;

    uint16_t Port() const { return m_port; }
    bool Listening() const { return m_port != 0; }
    // "http://127.0.0.1:PORT" followed by path.
    std::string Url(std::string_view path = "") const;
    int ListenFd() const { return m_listenFd; }

    // Each request that a script read with ReadRequest, in order.
    std::vector<std::string> Requests();
    // Waits (bounded) until at least count requests have been read.
    bool WaitForRequests(size_t count, std::chrono::milliseconds bound = std::chrono::seconds(10));
    // Waits (bounded) until count scripts have run to their end.
    bool WaitForScripts(size_t count, std::chrono::milliseconds bound = std::chrono::seconds(10));

private:
    friend class CServerConnection;
    void Listen(const char* address, uint16_t port, int backlog);
    void Serve();
    void Record(std::string request);

    Script m_script;
    int m_listenFd = -1;
    int m_stopFd = -1; // an eventfd: readable once the server stops
    uint16_t m_port = 0;
    bool m_accept;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_requests; // guarded by m_mutex
    size_t m_scriptsDone = 0;            // guarded by m_mutex
    std::thread m_thread;
};
