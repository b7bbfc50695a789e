#include "content/CLoadWorker.h"

#include "content/CDynamicLoad.h"
#include "content/CScheduler.h"
#include "platform/Verify.h"

CLoadWorker::CLoadWorker(CDynamicLoad& load, std::string url)
    : m_load(load), m_url(std::move(url)) {}

CLoadWorker::~CLoadWorker() = default;

void CLoadWorker::SetUrl(std::string_view url) {
    m_load.SetUrl(url);
    m_url = url.substr(0, url.find('#'));
}

Status CLoadWorker::DeliverHeaders(const HeaderMap& headers) {
    return m_load.OnHeaders(headers);
}

Status CLoadWorker::DeliverData(const char* bytes, size_t count) {
    return m_load.OnData(bytes, count);
}

void CLoadWorker::SetResult(Status result) {
    m_load.SetResult(result);
}

void CLoadWorker::AddFlags(uint32_t bits) {
    m_load.AddFlags(bits);
}

void CLoadWorker::SignalNotify() {
    Scheduler().Signal();
}

CThreadedWorker::~CThreadedWorker() {
    // The thread runs code of the derived class, which is gone by now: the
    // scheduler must have aborted or joined it first.
    VERIFY(!m_thread.Joinable());
}

void CThreadedWorker::Start() {
    m_thread = CThread([this] { Run(); });
}

void CThreadedWorker::Abort() {
    m_abort.store(true, std::memory_order_release);
    InterruptBlockingCall();
    Join();
}

void CThreadedWorker::Join() {
    if (!m_thread.Joinable())
        return;
    m_finished.Acquire();
    m_thread.Join();
}

void CThreadedWorker::Finish(Status result, uint32_t extraFlags) {
    SetResult(result);
    FinishKeepingResult(extraFlags);
}

void CThreadedWorker::FinishKeepingResult(uint32_t extraFlags) {
    AddFlags(Notify::WorkerEnded | extraFlags);
    (void)m_finished.Release();
}

void CThreadedWorker::FinishAborted() {
    (void)m_finished.Release();
}

void CThreadedWorker::FinishRedirected() {
    AddFlags(Notify::Redirected);
    (void)m_finished.Release();
}
