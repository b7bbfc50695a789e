#include "platform/CNamedEvent.h"

#include "platform/CWakeFd.h"

#include <algorithm>
#include <vector>

namespace {

// UI thread only: workers reach events through pointers they were given, never
// through the table.
std::vector<CNamedEvent*>& Table() {
    static std::vector<CNamedEvent*> table;
    return table;
}

} // namespace

CNamedEvent::CNamedEvent(Callback callback, uint32_t argument, std::string name)
    : m_callback(std::move(callback)), m_argument(argument), m_name(std::move(name)) {
    Table().push_back(this);
}

CNamedEvent::~CNamedEvent() {
    auto& table = Table();
    table.erase(std::find(table.begin(), table.end(), this));
}

void CNamedEvent::Signal() {
    // Only the first signal since the last service rings: the loop looks at
    // every event's state each time round, so a ring per data block would
    // only cost a system call.
    if (!m_signalled.exchange(true, std::memory_order_acq_rel))
        UiWake().Ring();
}

void CNamedEvent::Service() {
    m_signalled.store(false, std::memory_order_release);
    // The callback may destroy this event; run it from copies.
    auto callback = m_callback;
    uint32_t argument = m_argument;
    if (callback)
        callback(argument);
}

CNamedEvent* FindNamedEvent(std::string_view name) {
    for (CNamedEvent* event : Table())
        if (event->Name() == name)
            return event;
    return nullptr;
}

std::span<CNamedEvent* const> NamedEvents() {
    return Table();
}
