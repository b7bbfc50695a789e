#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// An event the UI loop waits on besides its input. Any thread may signal it;
// the loop resets it and runs its callback on the UI thread. Every event is
// entered in the process-wide table at creation, at the end, and leaves it when
// destroyed. Creation and destruction belong to the UI thread.
class CNamedEvent {
public:
    using Callback = std::function<void(uint32_t)>;

    CNamedEvent(Callback callback, uint32_t argument, std::string name);
    ~CNamedEvent();
    CNamedEvent(const CNamedEvent&) = delete;
    CNamedEvent& operator=(const CNamedEvent&) = delete;

    const std::string& Name() const { return m_name; }

    // Any thread.
    void Signal();
    bool IsSignalled() const { return m_signalled.load(std::memory_order_acquire); }

    // UI loop: resets the event and runs the callback.
    void Service();

private:
    Callback m_callback;
    uint32_t m_argument;
    std::atomic<bool> m_signalled{false};
    std::string m_name;
};

// First event whose name equals name exactly (case-sensitive), or null.
CNamedEvent* FindNamedEvent(std::string_view name);

// The table in creation order; UI thread only.
std::span<CNamedEvent* const> NamedEvents();
