#include "content/CLoadOwner.h"

#include "content/CDynamicLoad.h"
#include "content/CScheduler.h"

CLoadOwner::~CLoadOwner() {
    DeleteAllLoads();
}

void CLoadOwner::DeleteLoad(CDynamicLoad* load) {
    for (auto it = m_loads.begin(); it != m_loads.end(); ++it) {
        if (it->get() == load) {
            Scheduler().Cancel(load);
            // Unlink before destroying: the destructor of a load may run code
            // that looks at this list.
            std::unique_ptr<CDynamicLoad> doomed = std::move(*it);
            m_loads.erase(it);
            return;
        }
    }
}

void CLoadOwner::DeleteAllLoads(const CDynamicLoad* except) {
    std::list<std::unique_ptr<CDynamicLoad>> doomed;
    for (auto it = m_loads.begin(); it != m_loads.end();) {
        auto next = std::next(it);
        if (it->get() != except) {
            Scheduler().Cancel(it->get());
            doomed.splice(doomed.end(), m_loads, it);
        }
        it = next;
    }
}

void CLoadOwner::CancelAllLoads() {
    for (auto& load : m_loads)
        Scheduler().Cancel(load.get());
}
