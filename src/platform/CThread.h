#pragma once

#include <functional>
#include <thread>

// A started thread that is joined when its owner lets go of it, so no worker
// can outlive the objects it was given.
class CThread {
public:
    CThread() = default;
    explicit CThread(std::function<void()> body) : m_thread(std::move(body)) {}
    CThread(CThread&&) = default;
    CThread& operator=(CThread&& other) noexcept;
    ~CThread() { Join(); }

    bool Joinable() const { return m_thread.joinable(); }
    void Join();

private:
    std::thread m_thread;
};
