#pragma once

#include "content/LoadTypes.h"
#include "platform/CSemLock.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <string_view>

class CMimeObject;

// The key a response is found again by: the whole request.
struct ObjectKey {
    std::string url;
    Method method = Method::Get;
    std::string headers;
    std::string postData;
};

// Every content object of the process: those that loads use, and up to
// CacheLimit complete ones that none uses any more, kept for back/forward and
// repeated images. Lock order: this table's lock before a load's, an object's
// or the scheduler's.
class CObjectTable {
public:
    static constexpr size_t CacheLimit = 50;

    CObjectTable() = default;
    ~CObjectTable();
    CObjectTable(const CObjectTable&) = delete;
    CObjectTable& operator=(const CObjectTable&) = delete;

    // A load holds it while it looks a request up and adds its object, so
    // that two loads of one request cannot both add one.
    CSemLock& Lock() RETURN_CAPABILITY(m_lock) { return m_lock; }

    CMimeObject* FindInUse(const ObjectKey& key) REQUIRES(m_lock);
    CMimeObject* FindCached(const ObjectKey& key) REQUIRES(m_lock);
    CMimeObject* AddInUse(std::unique_ptr<CMimeObject> object, const ObjectKey& key)
        REQUIRES(m_lock);
    void MoveToInUse(CMimeObject* object) REQUIRES(m_lock);
    // The object's last client has gone: cache it when it is complete and
    // cacheable, else delete it.
    void Release(CMimeObject* object) REQUIRES(m_lock);

    // Deletes the cached object of this request, so that it is fetched anew.
    void Flush(const ObjectKey& key);

    size_t InUseCount();
    size_t CachedCount();
    bool IsCached(const CMimeObject* object);

private:
    using ObjectList = std::list<std::unique_ptr<CMimeObject>>;

    static bool Matches(const CMimeObject& object, const ObjectKey& key);
    static CMimeObject* Find(ObjectList& list, const ObjectKey& key);

    CSemLock m_lock;
    ObjectList m_inUse GUARDED_BY(m_lock);
    ObjectList m_cached GUARDED_BY(m_lock); // oldest first
};

// The process's table: created at start-up, destroyed at exit.
CObjectTable* ObjectTable();
void CreateObjectTable();
void DestroyObjectTable();

// Deletes the cached object of the request named, if there is one.
void FlushObject(std::string_view url, Method method, std::string_view headers,
                 std::string_view postData);
