#pragma once

// A descriptor that becomes readable once and stays readable: a wait that
// polls it next to a socket ends at once when it is set, however late the
// waiter arrives. Set from any thread; it is never cleared.
class CLatchFd {
public:
    CLatchFd();
    ~CLatchFd();
    CLatchFd(const CLatchFd&) = delete;
    CLatchFd& operator=(const CLatchFd&) = delete;

    [[nodiscard]] int Fd() const { return m_fd; }
    void Set();
    [[nodiscard]] bool IsSet() const;

private:
    int m_fd;
};
