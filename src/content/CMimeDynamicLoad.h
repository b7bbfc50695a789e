#pragma once

#include "content/CDynamicLoad.h"
#include "content/CObjectTable.h"

// A load whose response becomes a content object. It first looks for the same
// request in the object table; otherwise the worker's headers choose the
// content type, whose object is created and fed here.
class CMimeDynamicLoad : public CDynamicLoad {
public:
    // The notice a history entry for a POST result shows when the result is
    // no longer held: posting again is up to the user.
    static constexpr const char* PostNotice =
        "Data from the post operation is no longer available. Click on reload to post data again.";

    CMimeDynamicLoad(CLoadOwner& owner, std::string_view url, Method method, std::string headers,
                     std::string postData, bool fromHistory = false, uint32_t requiredCaps = 0);
    ~CMimeDynamicLoad() override;

    void DisableCaching() override;
    Status Begin() override;
    Status OnHeaders(const HeaderMap& headers) override;
    Status OnData(const char* bytes, size_t count) override;
    Status OnComplete() override;
    CMimeObject* GetObject() override;

    bool FromHistory() const { return m_fromHistory; }
    uint32_t RequiredCaps() const { return m_requiredCaps; }

private:
    friend class CScheduler;

    ObjectKey Key();
    // Caller holds the object table's lock.
    void Attach(CMimeObject* object);
    Status ShowPostNotice(CObjectTable& table, const ObjectKey& key) REQUIRES(table.Lock());
    void Detach();

    const bool m_fromHistory;
    const uint32_t m_requiredCaps;
    CMimeObject* m_object GUARDED_BY(Lock()) = nullptr;
};
