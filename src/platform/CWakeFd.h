#pragma once

// The doorbell of the UI thread: any thread rings it after it has changed
// something the UI loop must look at (a named event, a posted message). The
// loop and the toolkit watch its descriptor; the state itself lives elsewhere,
// so the loop drains the bell before it looks, and a ring never gets lost.
class CWakeFd {
public:
    CWakeFd();
    ~CWakeFd();
    CWakeFd(const CWakeFd&) = delete;
    CWakeFd& operator=(const CWakeFd&) = delete;

    int Fd() const { return m_fd; }
    void Ring();
    void Drain();

private:
    int m_fd;
};

// The one doorbell of the process.
CWakeFd& UiWake();
