#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

// A real server (lighttpd, tinyproxy) run by a test on 127.0.0.1: started in
// the foreground, ready once its port accepts, stopped with the test.
class CServerProcess {
public:
    ~CServerProcess();
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    // Null, with the reason in error, when it cannot start or its port does
    // not accept within the bound.
    static std::unique_ptr<CServerProcess>
    Start(const std::vector<std::string>& argv, uint16_t port, std::string& error,
          std::chrono::seconds bound = std::chrono::seconds(10));

    // Owns the running child pid; use Start.
    explicit CServerProcess(pid_t pid) : m_pid(pid) {}

    // Ends the server and waits until it has exited, so that what it logs
    // on the way out (lighttpd keeps its access log in memory) is on disk.
    void Stop();

private:
    pid_t m_pid;
};

// A port on 127.0.0.1 that nothing listens on right now.
uint16_t FreeLoopbackPort();
// The first of the paths that is an executable file, or empty.
std::string FindProgram(const std::vector<std::string>& candidates);
