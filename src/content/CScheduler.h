#pragma once

#include "platform/CSemLock.h"
#include "platform/CUiLoop.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <string>

class CDynamicLoad;
enum class LoadState : int32_t;
class CMimeDynamicLoad;
class CMimeObject;
class CNamedEvent;

// Starts loads within the connection limit, dispatches them to the protocol
// worker of their scheme, and carries their notification bits to their owners.
// Workers only OR bits in and signal one event; the pump, on the UI thread,
// turns any number of those into one pass of OnLoadNotify calls.
//
// Everything but AddFlags and NotifyClients is called on the UI thread.
class CScheduler {
    // The loads' notification bits and list places and the objects' clients
    // name the scheduler's lock.
    friend class CDynamicLoad;
    friend class CMimeObject;

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
    // Wakes the UI thread's pump, or, inside a CSignalBatch on this thread,
    // when the batch ends.
    void Signal();

    // Called as a load is destroyed: drops it from every list and every
    // pending notification.
    void Forget(CDynamicLoad* load);

    // A load attached to object, or gone from it: the object's clients are
    // the loads its notifications reach. Removing answers whether load was
    // the last one.
    void AddClient(CMimeObject& object, CMimeDynamicLoad* load);
    [[nodiscard]] bool RemoveClient(CMimeObject& object, CMimeDynamicLoad* load);

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
    void MoveTo(CDynamicLoad* load, LoadList* list, LoadState state) REQUIRES(s_lock);
    void Unlink(CDynamicLoad* load) REQUIRES(s_lock);
    uint32_t TakeFlags(CDynamicLoad* load);
    LoadList* ListOf(LoadState state) REQUIRES(s_lock);
    void Finish(CDynamicLoad* load, uint32_t& flags);
    void PumpActiveLoad(CDynamicLoad* load, std::string& statusText);
    void Queue(CDynamicLoad* load, uint32_t flags);
    void NoteNews(CDynamicLoad* load) REQUIRES(s_lock);

    // There is one scheduler in the process, and its lock guards fields of
    // every load and object besides its own lists: a lock of the process.
    static CSemLock s_lock;
    LoadList m_waiting GUARDED_BY(s_lock);
    LoadList m_active GUARDED_BY(s_lock);
    LoadList m_finishedNoWorker GUARDED_BY(s_lock);
    LoadList m_done GUARDED_BY(s_lock);
    // Ended loads that an object they share has told something since: a
    // load that attached to an object still being written hears of its
    // progress through the load that writes it.
    LoadList m_doneWithNews GUARDED_BY(s_lock);
    std::deque<Notification> m_queue GUARDED_BY(s_lock);
    std::atomic<CNamedEvent*> m_event{nullptr};
};

CScheduler& Scheduler();

// The connection limit, read from the settings each time it is needed.
int ConnectionLimit();

// Holds this thread's wake-ups of the pump until it goes out of scope, then
// gives one if any was asked for: a worker handing on several blocks in a row
// wakes the UI thread once rather than once a block. The flags the
// notifications carry are set at once; only the wake-up waits. Nothing inside
// a batch may wait for the UI thread.
//
// A paced batch also holds its wake-up when this thread woke the pump less
// than a frame ago (CUiLoop::ProgressInterval); a held one goes with the thread's next
// batch, or at once with its next signal outside a batch. A producer that
// never waits between batches (a regular file) thus wakes the UI thread at
// most once a frame, and must end with a signal outside a batch (a worker's
// Finish does).
class CSignalBatch {
public:
    enum class Pace { EveryBatch, AtMostOneAFrame };

    explicit CSignalBatch(Pace pace = Pace::EveryBatch);
    ~CSignalBatch();
    CSignalBatch(const CSignalBatch&) = delete;
    CSignalBatch& operator=(const CSignalBatch&) = delete;

private:
    Pace m_pace;
};
