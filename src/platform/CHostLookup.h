#pragma once

#include "platform/CHostResolver.h"
#include "platform/CLatchFd.h"
#include "platform/CMutex.h"

#include <memory>
#include <string>
#include <thread>

// One host lookup that the waiting thread can walk away from. The name
// service call cannot be interrupted, so it runs on a helper thread that
// shares its result block (and the resolver) with this object: a lookup that
// is abandoned finishes on its own and writes only into memory it co-owns.
class CHostLookup {
public:
    // Starts the lookup at once. A host in dotted form is looked up by
    // address, anything else by name.
    explicit CHostLookup(const std::string& host);
    ~CHostLookup();
    CHostLookup(const CHostLookup&) = delete;
    CHostLookup& operator=(const CHostLookup&) = delete;

    // 0, or the error number when no helper thread could be started.
    [[nodiscard]] int StartError() const { return m_startError; }

    // Waits until the answer is in (true) or cancel is set (false).
    [[nodiscard]] bool Wait(const CLatchFd& cancel);
    // The answer; only after Wait returned true.
    [[nodiscard]] HostAnswer TakeAnswer();

private:
    struct Shared {
        CLatchFd done;
        CMutex mutex;
        HostAnswer answer GUARDED_BY(mutex);
    };
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    int m_startError = 0;
};
