#pragma once

#include "content/LoadTypes.h"
#include "platform/CCountingSemaphore.h"
#include "platform/CThread.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

class CDynamicLoad;

// Fetches the bytes of one load for its scheme. Created by the scheduler on
// the UI thread, which also calls Start, Abort and Join and deletes it.
class CLoadWorker {
public:
    CLoadWorker(CDynamicLoad& load, std::string url);
    virtual ~CLoadWorker();
    CLoadWorker(const CLoadWorker&) = delete;
    CLoadWorker& operator=(const CLoadWorker&) = delete;

    virtual void Start() = 0;
    // Stops the transfer and waits until the worker has ended.
    virtual void Abort() = 0;
    // Waits until the worker, which has said it ended, really has.
    virtual void Join() = 0;

protected:
    // A redirect: the load's URL and fragment, and this worker's copy.
    void SetUrl(std::string_view url);
    Status DeliverHeaders(const HeaderMap& headers);
    Status DeliverData(const char* bytes, size_t count);
    void SetResult(Status result);
    void AddFlags(uint32_t bits);
    // Wakes the UI thread to pick up a new status text.
    void SignalNotify();

    CDynamicLoad& m_load;
    std::string m_url;
};

// A worker with a thread of its own. The thread's last acts are always
// SetResult (when it has one to give), AddFlags with WorkerEnded, and the
// release of the finished semaphore that Abort and Join wait for.
class CThreadedWorker : public CLoadWorker {
public:
    using CLoadWorker::CLoadWorker;
    ~CThreadedWorker() override;

    void Start() override;
    void Abort() override;
    void Join() override;

protected:
    virtual void Run() = 0;

    bool AbortRequested() const { return m_abort.load(std::memory_order_acquire); }
    // Called by Abort on the UI thread once the abort flag is set and before
    // it waits: a worker blocked in a call that never looks at the flag (a
    // socket wait) makes that call return here.
    virtual void InterruptBlockingCall() {}
    // Ends the thread's work: result, flags, then the semaphore.
    void Finish(Status result, uint32_t extraFlags = 0);
    // Ends with the result the load already has (the pump's OnComplete sets it).
    void FinishKeepingResult(uint32_t extraFlags = 0);
    // Ends after an abort: no flags, the scheduler finishes the load.
    void FinishAborted();
    // Ends with the load's URL replaced: the redirect bit alone makes the
    // pump restart the load.
    void FinishRedirected();

private:
    std::atomic<bool> m_abort{false};
    CCountingSemaphore m_finished{0, 1};
    CThread m_thread;
};
