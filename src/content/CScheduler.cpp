#include "content/CScheduler.h"

#include "app/CAppSettings.h"
#include "content/CDynamicLoad.h"
#include "content/CLoadOwner.h"
#include "content/CLoadWorker.h"
#include "content/CMimeDynamicLoad.h"
#include "content/CMimeObject.h"
#include "content/CRegistryTables.h"
#include "platform/CNamedEvent.h"
#include "platform/StringIds.h"
#include "platform/Verify.h"

#include <algorithm>
#include <chrono>
#include <utility>

CSemLock CScheduler::s_lock;

CScheduler& Scheduler() {
    static CScheduler scheduler;
    return scheduler;
}

int ConnectionLimit() {
    CAppSettings* settings = GetSettings();
    if (!settings)
        return kDefaultMaxConnections;
    // A limit below one would leave every load waiting for ever.
    return std::max(1, static_cast<int>(settings->Snapshot().maxConnections));
}

void CScheduler::SetNotifyEvent(CNamedEvent* event) {
    m_event.store(event, std::memory_order_release);
}

namespace {
thread_local int t_batchDepth = 0;
thread_local bool t_batchSignal = false; // asked for in a batch, not yet given
thread_local std::chrono::steady_clock::time_point t_lastWake{};
} // namespace

void CScheduler::Signal() {
    if (t_batchDepth > 0) {
        t_batchSignal = true;
        return;
    }
    t_batchSignal = false; // a held wake-up goes with this one
    t_lastWake = std::chrono::steady_clock::now();
    if (CNamedEvent* event = m_event.load(std::memory_order_acquire))
        event->Signal();
}

CSignalBatch::CSignalBatch(Pace pace) : m_pace(pace) {
    ++t_batchDepth;
}

CSignalBatch::~CSignalBatch() {
    if (--t_batchDepth > 0 || !t_batchSignal)
        return;
    if (m_pace == Pace::AtMostOneAFrame &&
        std::chrono::steady_clock::now() - t_lastWake < CUiLoop::ProgressInterval)
        return;
    Scheduler().Signal();
}

CScheduler::LoadList* CScheduler::ListOf(LoadState state) {
    switch (state) {
    case LoadState::Waiting:
        return &m_waiting;
    case LoadState::Active:
        return &m_active;
    case LoadState::Done:
        return &m_done;
    case LoadState::FinishedNoWorker:
        return &m_finishedNoWorker;
    case LoadState::New:
        break;
    }
    return nullptr;
}

void CScheduler::Unlink(CDynamicLoad* load) {
    if (LoadList* list = ListOf(load->m_state))
        list->erase(load->m_queuePosition);
    load->m_state = LoadState::New;
}

void CScheduler::MoveTo(CDynamicLoad* load, LoadList* list, LoadState state) {
    Unlink(load);
    load->m_state = state;
    load->m_queuePosition = list->insert(list->end(), load);
    // Bits raised after its last pass would otherwise never be taken.
    if (state == LoadState::Done && load->m_flags != 0)
        NoteNews(load);
}

void CScheduler::NoteNews(CDynamicLoad* load) {
    if (std::find(m_doneWithNews.begin(), m_doneWithNews.end(), load) == m_doneWithNews.end())
        m_doneWithNews.push_back(load);
}

void CScheduler::Start(CDynamicLoad* load) {
    const size_t limit = static_cast<size_t>(ConnectionLimit());
    Status begun = load->Begin();
    if (EndsTransfer(begun)) {
        load->SetResult(begun);
        CSemLockGuard guard(s_lock);
        MoveTo(load, &m_finishedNoWorker, LoadState::FinishedNoWorker);
        load->m_flags |= Notify::Finished;
    } else {
        bool mustWait;
        {
            CSemLockGuard guard(s_lock);
            mustWait = m_active.size() >= limit;
            if (mustWait)
                MoveTo(load, &m_waiting, LoadState::Waiting);
        }
        if (mustWait)
            load->SetResult(Status::Unknown);
        else
            Dispatch(load);
    }
    Signal();
}

void CScheduler::Dispatch(CDynamicLoad* load) {
    const std::string url = load->Url();
    const ProtocolEntry* protocol = ProtocolTable().Best(url);
    std::unique_ptr<CLoadWorker> worker;
    if (protocol)
        worker = protocol->creator(*load);
    if (!worker) {
        load->SetError(StringId::UnsupportedProtocol, {url});
        load->SetResult(Status::Failed);
        CSemLockGuard guard(s_lock);
        load->m_flags |= Notify::Finished;
        MoveTo(load, &m_finishedNoWorker, LoadState::FinishedNoWorker);
        return;
    }
    {
        CSemLockGuard guard(s_lock);
        MoveTo(load, &m_active, LoadState::Active);
    }
    load->SetResult(Status::Continue);
    load->m_worker = std::move(worker);
    load->m_worker->Start();
}

void CScheduler::StartWaitingLoads() {
    const size_t limit = static_cast<size_t>(ConnectionLimit());
    for (;;) {
        CDynamicLoad* next;
        {
            CSemLockGuard guard(s_lock);
            if (m_active.size() >= limit || m_waiting.empty())
                return;
            next = m_waiting.front();
            Unlink(next);
        }
        Dispatch(next);
    }
}

void CScheduler::Cancel(CDynamicLoad* load) {
    switch (load->m_state) {
    case LoadState::Waiting: {
        {
            CSemLockGuard guard(s_lock);
            MoveTo(load, &m_finishedNoWorker, LoadState::FinishedNoWorker);
        }
        load->SetResult(Status::Failed);
        (void)load->OnComplete();
        AddFlags(load, Notify::Finished);
        break;
    }
    case LoadState::Active: {
        // No lock is held here: the worker may need any of them to finish.
        load->m_worker->Abort();
        load->m_worker.reset();
        {
            CSemLockGuard guard(s_lock);
            MoveTo(load, &m_finishedNoWorker, LoadState::FinishedNoWorker);
        }
        load->SetResult(Status::Failed);
        (void)load->OnComplete();
        AddFlags(load, Notify::Finished);
        StartWaitingLoads();
        break;
    }
    default:
        break;
    }
    Signal();
}

void CScheduler::CancelAll() {
    // Waiting loads first, so that cancelling an active one does not start a
    // waiting one only to cancel it next.
    for (LoadList* list : {&m_waiting, &m_active}) {
        LoadList snapshot;
        {
            CSemLockGuard guard(s_lock);
            snapshot = *list;
        }
        for (CDynamicLoad* load : snapshot)
            Cancel(load);
    }
}

bool CScheduler::AnyActive() {
    CSemLockGuard guard(s_lock);
    return !m_active.empty();
}

size_t CScheduler::WaitingCount() {
    CSemLockGuard guard(s_lock);
    return m_waiting.size();
}

size_t CScheduler::ActiveCount() {
    CSemLockGuard guard(s_lock);
    return m_active.size();
}

void CScheduler::AddFlags(CDynamicLoad* load, uint32_t bits) {
    {
        CSemLockGuard guard(s_lock);
        load->m_flags |= bits;
    }
    Signal();
}

void CScheduler::NotifyClients(CMimeObject& object, uint32_t bits) {
    {
        CSemLockGuard guard(s_lock);
        for (CMimeDynamicLoad* client : object.m_clients) {
            client->m_flags |= bits;
            if (client->m_state == LoadState::Done)
                NoteNews(client);
        }
    }
    Signal();
}

uint32_t CScheduler::TakeFlags(CDynamicLoad* load) {
    CSemLockGuard guard(s_lock);
    return std::exchange(load->m_flags, 0);
}

void CScheduler::Queue(CDynamicLoad* load, uint32_t flags) {
    if (flags == 0)
        return;
    CSemLockGuard guard(s_lock);
    m_queue.push_back({load, flags});
}

void CScheduler::Finish(CDynamicLoad* load, uint32_t& flags) {
    {
        CSemLockGuard guard(s_lock);
        MoveTo(load, &m_done, LoadState::Done);
    }
    flags |= Notify::Finished;
    StartWaitingLoads();
}

void CScheduler::PumpActiveLoad(CDynamicLoad* load, std::string& statusText) {
    // Flags first: a worker sets its text before it raises the bits, so the
    // last text of a load that ends in this pass ("Connection ... closed.")
    // is taken before the load leaves the active list.
    uint32_t flags = TakeFlags(load);
    if (std::string text = load->TakeStatusText(); !text.empty())
        statusText = std::move(text);

    if (flags & Notify::Redirected) {
        load->m_worker->Join();
        load->m_worker.reset();
        {
            CSemLockGuard guard(s_lock);
            Unlink(load);
        }
        Status begun = load->Begin();
        flags |= TakeFlags(load);
        load->SetResult(begun);
        Signal();
        if (EndsTransfer(begun))
            Finish(load, flags);
        else
            Dispatch(load);
        // The remaining bits belonged to the worker that was replaced.
    } else if (flags & (Notify::AuthRequested | Notify::TransferFailed)) {
        load->m_worker->Join();
        load->m_worker.reset();
        load->SetResult(Status::Failed);
        Finish(load, flags);
    } else if (flags & Notify::WorkerEnded) {
        load->m_worker->Join();
        load->m_worker.reset();
        Status completed = load->OnComplete();
        // The object may announce its last elements as its data ends; the
        // load leaves the active list now, so those bits travel with this pass.
        flags |= TakeFlags(load);
        if (load->Result() != Status::Failed)
            load->SetResult(completed);
        Finish(load, flags);
    }
    Queue(load, flags);
}

std::string CScheduler::Pump() {
    std::string statusText;
    LoadList active;
    {
        CSemLockGuard guard(s_lock);
        active = m_active;
    }
    for (CDynamicLoad* load : active)
        PumpActiveLoad(load, statusText);

    LoadList finished;
    {
        CSemLockGuard guard(s_lock);
        finished = m_finishedNoWorker;
    }
    for (CDynamicLoad* load : finished) {
        uint32_t flags = TakeFlags(load);
        if (std::string text = load->TakeStatusText(); !text.empty())
            statusText = std::move(text);
        {
            CSemLockGuard guard(s_lock);
            MoveTo(load, &m_done, LoadState::Done);
        }
        Queue(load, flags);
    }

    LoadList withNews;
    {
        CSemLockGuard guard(s_lock);
        withNews.swap(m_doneWithNews);
    }
    for (CDynamicLoad* load : withNews)
        Queue(load, TakeFlags(load));

    // The owner may delete the load, or others, inside OnLoadNotify; their
    // queued entries go with them (Forget), so take one entry at a time.
    for (;;) {
        Notification next;
        {
            CSemLockGuard guard(s_lock);
            if (m_queue.empty())
                break;
            next = m_queue.front();
            m_queue.pop_front();
        }
        next.load->Owner().OnLoadNotify(next.flags, next.load);
    }
    return statusText;
}

void CScheduler::AddClient(CMimeObject& object, CMimeDynamicLoad* load) {
    CSemLockGuard guard(s_lock);
    object.m_clients.push_back(load);
}

bool CScheduler::RemoveClient(CMimeObject& object, CMimeDynamicLoad* load) {
    CSemLockGuard guard(s_lock);
    auto& clients = object.m_clients;
    if (clients.size() <= 1) {
        clients.clear();
        return true;
    }
    std::erase(clients, load);
    return false;
}

void CScheduler::Forget(CDynamicLoad* load) {
    // A waiting or running load is always cancelled before it is deleted.
    VERIFY(load->m_state != LoadState::Waiting && load->m_state != LoadState::Active);
    CSemLockGuard guard(s_lock);
    Unlink(load);
    std::erase(m_doneWithNews, load);
    std::erase_if(m_queue, [load](const Notification& entry) { return entry.load == load; });
}
