#pragma once

#include "platform/CInputSource.h"

#include <deque>
#include <functional>

// Input without a display: a script of inputs that tests (or the headless
// shell) queue on the UI thread. Each counts for idle processing unless said
// otherwise, as a key press or click would.
class CHeadlessInput final : public CInputSource {
public:
    enum class Kind { Idle, NotIdle };

    void Queue(std::function<void()> input, Kind kind = Kind::Idle);
    void QueueQuit();

    bool InputPending() override;
    void Wait(int wakeFd, int timeoutMs) override;
    Dispatched DispatchOne() override;

private:
    struct Entry {
        std::function<void()> run;
        Dispatched kind;
    };
    std::deque<Entry> m_script; // UI thread only
};
