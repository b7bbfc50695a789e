#include "platform/CTimer.h"

#include "platform/CMutex.h"
#include "platform/CNamedEvent.h"
#include "platform/CWakeFd.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The process's timers. The helper thread moves each deadline on by its
// interval as it passes and marks the timer due; the named event's callback
// runs the due timers on the UI thread.
class CTimerService {
public:
    CTimerService()
        : m_event(std::make_unique<CNamedEvent>([this](uint32_t) { RunDue(); }, 0, "Timers")),
          m_thread([this] { Watch(); }) {}

    ~CTimerService() {
        {
            CMutexGuard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    uint64_t Add(uint32_t interval, CTimer::Callback callback) {
        uint64_t id = ++m_lastId;
        m_callbacks.emplace(id, std::move(callback));
        {
            CMutexGuard lock(m_mutex);
            auto period = std::chrono::milliseconds(interval ? interval : 1);
            m_deadlines.emplace(id, Deadline{Clock::now() + period, period});
        }
        m_changed.notify_all();
        return id;
    }

    void Remove(uint64_t id) {
        m_callbacks.erase(id);
        CMutexGuard lock(m_mutex);
        m_deadlines.erase(id);
        m_due.erase(id);
    }

private:
    struct Deadline {
        Clock::time_point next;
        Clock::duration period;
    };

    void Watch() {
        CMutexGuard lock(m_mutex);
        while (!m_stop) {
            if (m_deadlines.empty()) {
                m_changed.wait(m_mutex);
                continue;
            }
            Clock::time_point earliest = Clock::time_point::max();
            for (const auto& [id, deadline] : m_deadlines)
                earliest = std::min(earliest, deadline.next);
            if (m_changed.wait_until(m_mutex, earliest) != std::cv_status::timeout)
                continue; // something changed: look again
            Clock::time_point now = Clock::now();
            bool any = false;
            for (auto& [id, deadline] : m_deadlines) {
                if (deadline.next > now)
                    continue;
                deadline.next += deadline.period;
                if (deadline.next <= now)
                    deadline.next = now + deadline.period;
                m_due.insert(id);
                any = true;
            }
            if (any)
                m_event->Signal();
        }
    }

    // UI thread.
    void RunDue() {
        std::set<uint64_t> due;
        {
            CMutexGuard lock(m_mutex);
            due.swap(m_due);
        }
        for (uint64_t id : due) {
            // A callback may stop this timer or another one.
            auto found = m_callbacks.find(id);
            if (found == m_callbacks.end())
                continue;
            CTimer::Callback callback = found->second;
            callback();
        }
    }

    std::unique_ptr<CNamedEvent> m_event;
    uint64_t m_lastId = 0;                            // UI thread
    std::map<uint64_t, CTimer::Callback> m_callbacks; // UI thread
    CMutex m_mutex;
    std::condition_variable_any m_changed;
    std::map<uint64_t, Deadline> m_deadlines GUARDED_BY(m_mutex);
    std::set<uint64_t> m_due GUARDED_BY(m_mutex);
    bool m_stop GUARDED_BY(m_mutex) = false;
    std::thread m_thread; // last: it uses everything above
};

CTimerService& Service() {
    // Made first, so that the doorbell the helper thread rings is destroyed
    // only after the service has stopped that thread.
    (void)UiWake();
    static CTimerService service;
    return service;
}

} // namespace

CTimer::CTimer(uint32_t interval, Callback callback)
    : m_id(Service().Add(interval, std::move(callback))) {}

CTimer::~CTimer() {
    Stop();
}

CTimer::CTimer(CTimer&& other) noexcept : m_id(std::exchange(other.m_id, 0)) {}

CTimer& CTimer::operator=(CTimer&& other) noexcept {
    if (this != &other) {
        Stop();
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void CTimer::Stop() {
    if (m_id)
        Service().Remove(std::exchange(m_id, 0));
}
