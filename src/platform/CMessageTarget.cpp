#include "platform/CMessageTarget.h"

#include <unordered_map>

namespace {

// UI thread only.
struct TargetTable {
    std::unordered_map<TargetHandle, CMessageTarget*> live;
    TargetHandle next = 1;
};

TargetTable& Targets() {
    static TargetTable table;
    return table;
}

} // namespace

CMessageTarget::CMessageTarget() {
    auto& table = Targets();
    // Handles are not reused while the process runs (2^32 creations away), so
    // a stale message can never reach a newer target.
    m_handle = table.next++;
    if (table.next == NoTarget)
        table.next = 1;
    table.live.emplace(m_handle, this);
}

CMessageTarget::~CMessageTarget() {
    Targets().live.erase(m_handle);
}

CMessageTarget* CMessageTarget::FromHandle(TargetHandle handle) {
    auto& live = Targets().live;
    auto it = live.find(handle);
    return it == live.end() ? nullptr : it->second;
}
