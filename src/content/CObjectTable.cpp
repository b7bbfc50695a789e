#include "content/CObjectTable.h"

#include "content/CMimeObject.h"

namespace {

std::unique_ptr<CObjectTable> g_table;

} // namespace

bool CObjectTable::Matches(const CMimeObject& object, const ObjectKey& key) {
    return object.Url() == key.url && object.m_keyPostData == key.postData &&
           object.m_keyHeaders == key.headers && object.m_keyMethod == key.method;
}

CObjectTable* ObjectTable() {
    return g_table.get();
}

void CreateObjectTable() {
    g_table = std::make_unique<CObjectTable>();
}

void DestroyObjectTable() {
    g_table.reset();
}

CObjectTable::~CObjectTable() = default;

CMimeObject* CObjectTable::Find(ObjectList& list, const ObjectKey& key) {
    for (auto& object : list)
        if (Matches(*object, key))
            return object.get();
    return nullptr;
}

CMimeObject* CObjectTable::FindInUse(const ObjectKey& key) {
    return Find(m_inUse, key);
}

CMimeObject* CObjectTable::FindCached(const ObjectKey& key) {
    return Find(m_cached, key);
}

CMimeObject* CObjectTable::AddInUse(std::unique_ptr<CMimeObject> object, const ObjectKey& key) {
    object->m_keyHeaders = key.headers;
    object->m_keyPostData = key.postData;
    object->m_keyMethod = key.method;
    CMimeObject* raw = object.get();
    raw->m_tablePosition = m_inUse.insert(m_inUse.end(), std::move(object));
    return raw;
}

void CObjectTable::MoveToInUse(CMimeObject* object) {
    m_inUse.splice(m_inUse.end(), m_cached, object->m_tablePosition);
}

void CObjectTable::Release(CMimeObject* object) {
    bool keep;
    {
        CSemLockGuard guard(object->Lock());
        keep = object->m_status == Status::Complete && object->m_cacheable;
    }
    if (!keep) {
        m_inUse.erase(object->m_tablePosition);
        return;
    }
    m_cached.splice(m_cached.end(), m_inUse, object->m_tablePosition);
    if (m_cached.size() > CacheLimit)
        m_cached.pop_front();
}

void CObjectTable::Flush(const ObjectKey& key) {
    CSemLockGuard guard(m_lock);
    if (CMimeObject* object = FindCached(key))
        m_cached.erase(object->m_tablePosition);
}

size_t CObjectTable::InUseCount() {
    CSemLockGuard guard(m_lock);
    return m_inUse.size();
}

size_t CObjectTable::CachedCount() {
    CSemLockGuard guard(m_lock);
    return m_cached.size();
}

bool CObjectTable::IsCached(const CMimeObject* object) {
    CSemLockGuard guard(m_lock);
    for (auto& cached : m_cached)
        if (cached.get() == object)
            return true;
    return false;
}

void FlushObject(std::string_view url, Method method, std::string_view headers,
                 std::string_view postData) {
    if (CObjectTable* table = ObjectTable())
        table->Flush({std::string(url), method, std::string(headers), std::string(postData)});
}
