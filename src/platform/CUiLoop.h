#pragma once

#include "platform/CInputSource.h"

#include <chrono>
#include <functional>

// The UI thread's loop. It waits at once for input, for every named event and
// for posted messages; a signalled event is reset and its callback runs here,
// so callbacks never race window work. Between inputs the idle handler runs
// with a growing count until it answers false.
class CUiLoop {
public:
    using IdleHandler = std::function<bool(long count)>;

    static constexpr int IdleTimeoutMs = 333;
    // A frame: the least time between two wake-ups of the loop for progress
    // (a layout's new lines, a file's blocks), which is all the screen shows.
    static constexpr std::chrono::milliseconds ProgressInterval{15};
    static constexpr int MaxMessagesPerPump = 50;

    CUiLoop(CInputSource& input, IdleHandler idle, int idleTimeoutMs = IdleTimeoutMs);

    // Runs until a quit message or the toolkit's quit; returns the exit code.
    int Run();

private:
    enum class Outcome { Event, Input, Timeout };

    Outcome Wait();
    bool ServiceFirstSignalledEvent();
    bool AnyEventSignalled() const;
    bool AnyInputQueued();
    // Returns false when a quit ended the loop.
    bool PumpInput();
    void RunIdleWhileQuiet();

    CInputSource& m_input;
    IdleHandler m_idle;
    int m_idleTimeoutMs;
    bool m_idleOn = true;
    long m_idleCount = 0;
    int m_exitCode = 0;
};
