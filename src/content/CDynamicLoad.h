#pragma once

#include "content/CScheduler.h"
#include "content/LoadTypes.h"
#include "platform/CSemLock.h"
#include "platform/CStringTable.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <string_view>

class CLoadOwner;
class CLoadWorker;
class CMimeObject;

// Where a load stands in the scheduler. UI thread only.
enum class LoadState : int32_t {
    New = 0,
    Waiting = 1,          // for a connection slot
    Active = 2,           // a worker runs
    Done = 3,             // the owner has been told it finished
    FinishedNoWorker = 4, // finished without a worker; not yet told
};

// One request: a URL, a method, extra header lines and a body. A protocol
// worker fetches it and hands headers and data to it; it reports progress to
// its owner through notification bits. Created and deleted by its owner on the
// UI thread; workers reach it through the accessors, which take its lock.
class CDynamicLoad {
public:
    CDynamicLoad(CLoadOwner& owner, std::string_view url, Method method, std::string headers,
                 std::string postData);
    virtual ~CDynamicLoad();
    CDynamicLoad(const CDynamicLoad&) = delete;
    CDynamicLoad& operator=(const CDynamicLoad&) = delete;

    virtual void DisableCaching() {}
    // Continue: fetch it; Failed: finished with a failure (or a notice in
    // place of the response); Complete: served from the object table.
    virtual Status Begin() { return Status::Continue; }
    virtual Status OnHeaders(const HeaderMap&) { return Status::Continue; }
    virtual Status OnData(const char* bytes, size_t count) = 0;
    virtual Status OnComplete() = 0;
    virtual CMimeObject* GetObject() { return nullptr; }

    CLoadOwner& Owner() const { return m_owner; }

    struct Request {
        std::string url;
        Method method;
        std::string headers;
        std::string postData;
    };
    // The whole request, read at once.
    Request GetRequest();

    std::string Url();
    std::string Fragment();
    // Splits at the first "#" into URL and fragment.
    void SetUrl(std::string_view urlWithFragment);
    Method GetMethod();
    std::string Headers();
    // A redirect may leave lines behind that were meant for the first site.
    void SetHeaders(std::string headers);
    std::string PostData();
    std::string Challenge();
    void SetChallenge(std::string challenge);
    // The redirects this load has followed; a worker counts one as it does.
    int Redirects();
    void CountRedirect();
    std::string ErrorText();
    void SetErrorText(std::string text);
    // Formats a string-table text with up to two arguments into the error text.
    void SetError(unsigned stringId, std::initializer_list<CFormatArg> args = {});
    void SetStatusText(std::string text);
    // Returns the status text and clears it.
    std::string TakeStatusText();
    Status Result();
    void SetResult(Status result);

    // Any thread: ORs notification bits in and wakes the UI thread.
    void AddFlags(uint32_t bits);

protected:
    // The load's own lock, for subclasses whose fields it guards too.
    CSemLock& Lock() RETURN_CAPABILITY(m_lock) { return m_lock; }

private:
    friend class CScheduler;

    CLoadOwner& m_owner;
    // Scheduler state: changed by the UI thread under the scheduler lock;
    // the UI thread reads it freely, other threads under that lock.
    LoadState m_state = LoadState::New;
    // Its node in the scheduler list of its state.
    std::list<CDynamicLoad*>::iterator m_queuePosition GUARDED_BY(CScheduler::s_lock);
    std::unique_ptr<CLoadWorker> m_worker;

    CSemLock m_lock;
    Method m_method GUARDED_BY(m_lock);
    std::string m_url GUARDED_BY(m_lock);
    std::string m_fragment GUARDED_BY(m_lock);
    std::string m_headers GUARDED_BY(m_lock);
    std::string m_postData GUARDED_BY(m_lock);
    std::string m_challenge GUARDED_BY(m_lock);
    std::string m_errorText GUARDED_BY(m_lock);
    std::string m_statusText GUARDED_BY(m_lock);
    Status m_result GUARDED_BY(m_lock) = Status::Unknown;
    int m_redirects GUARDED_BY(m_lock) = 0;

    uint32_t m_flags GUARDED_BY(CScheduler::s_lock) = 0;
};
