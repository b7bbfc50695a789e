#pragma once

#include "content/CDynamicLoad.h"

#include <cstdint>
#include <list>
#include <memory>
#include <utility>

// Whoever asked for loads: a document, or the control installer. It owns them;
// a load is deleted only through its owner, and destroying the owner cancels
// and deletes every load it still has. UI thread only.
class CLoadOwner {
public:
    CLoadOwner() = default;
    virtual ~CLoadOwner();
    CLoadOwner(const CLoadOwner&) = delete;
    CLoadOwner& operator=(const CLoadOwner&) = delete;

    // Called by the pump on the UI thread. The owner may delete load here.
    virtual void OnLoadNotify(uint32_t flags, CDynamicLoad* load) = 0;

    template <class Load, class... Args> Load* NewLoad(Args&&... args) {
        auto load = std::make_unique<Load>(*this, std::forward<Args>(args)...);
        Load* raw = load.get();
        m_loads.push_back(std::move(load));
        return raw;
    }

    // Cancels the load if it is still waiting or running, then deletes it.
    void DeleteLoad(CDynamicLoad* load);
    // The same for every load but except (every load when except is null).
    void DeleteAllLoads(const CDynamicLoad* except = nullptr);
    // Cancels every load without deleting any.
    void CancelAllLoads();

    const std::list<std::unique_ptr<CDynamicLoad>>& Loads() const { return m_loads; }

private:
    std::list<std::unique_ptr<CDynamicLoad>> m_loads;
};
