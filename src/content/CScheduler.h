#pragma once

#include "platform/CSemLock.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <string>

class CDynamicLoad;
enum class LoadState : int32_t;
class CMimeObject;
class CNamedEvent;

// Starts loads within the connection limit, dispatches them to the protocol
// worker of their scheme, and carries their notification bits to their owners.
// Workers only OR bits in and signal one event; the pump, on the UI thread,
// turns any number of those into one pass of OnLoadNotify calls.
//
// Everything but AddFlags and NotifyClients is called on the UI thread.
class CScheduler {
public:
    void SetNotifyEvent(CNamedEvent* event);

    void Start(CDynamicLoad* load);
    void Cancel(CDynamicLoad* load);
    // Cancels every waiting and every active load of the process.
    void CancelAll();
    bool AnyActive();

    // One pass over all loads; returns the last status text a load offered,
    // or empty text.
    std::string Pump();

    // Any thread.
    void AddFlags(CDynamicLoad* load, uint32_t bits);
    void NotifyClients(CMimeObject& object, uint32_t bits);
    void Signal();

    // Called as a load is destroyed: drops it from every list and every
    // pending notification.
    void Forget(CDynamicLoad* load);

    CSemLock& Lock() { return m_lock; }

    size_t WaitingCount();
    size_t ActiveCount();

private:
    struct Notification {
        CDynamicLoad* load;
        uint32_t flags;
    };

    using LoadList = std::list<CDynamicLoad*>;

    void Dispatch(CDynamicLoad* load);
    void StartWaitingLoads();
    void MoveTo(CDynamicLoad* load, LoadList* list, LoadState state);
    void Unlink(CDynamicLoad* load);
    uint32_t TakeFlags(CDynamicLoad* load);
    LoadList* ListOf(LoadState state);
    void Finish(CDynamicLoad* load, uint32_t& flags);
    void PumpActiveLoad(CDynamicLoad* load, std::string& statusText);
    void Queue(CDynamicLoad* load, uint32_t flags);

    CSemLock m_lock;
    LoadList m_waiting;               // guarded by m_lock
    LoadList m_active;                // guarded by m_lock
    LoadList m_finishedNoWorker;      // guarded by m_lock
    LoadList m_done;                  // guarded by m_lock
    std::deque<Notification> m_queue; // guarded by m_lock
    std::atomic<CNamedEvent*> m_event{nullptr};
};

CScheduler& Scheduler();

// The connection limit, read from the settings each time it is needed.
int ConnectionLimit();
