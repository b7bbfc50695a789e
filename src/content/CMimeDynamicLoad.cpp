#include "content/CMimeDynamicLoad.h"

#include "content/CMimeObject.h"
#include "content/CObjectTable.h"
#include "content/CRegistryTables.h"
#include "content/CScheduler.h"
#include "platform/Verify.h"

#include <algorithm>
#include <cstring>

CMimeDynamicLoad::CMimeDynamicLoad(CLoadOwner& owner, std::string_view url, Method method,
                                   std::string headers, std::string postData, bool fromHistory,
                                   uint32_t requiredCaps)
    : CDynamicLoad(owner, url, method, std::move(headers), std::move(postData)),
      m_fromHistory(fromHistory), m_requiredCaps(requiredCaps) {}

CMimeDynamicLoad::~CMimeDynamicLoad() {
    Detach();
}

CMimeObject* CMimeDynamicLoad::GetObject() {
    CSemLockGuard guard(Lock());
    return m_object;
}

ObjectKey CMimeDynamicLoad::Key() {
    Request request = GetRequest();
    return {std::move(request.url), request.method, std::move(request.headers),
            std::move(request.postData)};
}

void CMimeDynamicLoad::DisableCaching() {
    if (CMimeObject* object = GetObject())
        object->DisableCaching();
}

void CMimeDynamicLoad::Attach(CMimeObject* object) {
    Scheduler().AddClient(*object, this);
    CSemLockGuard guard(Lock());
    m_object = object;
}

Status CMimeDynamicLoad::Begin() {
    CObjectTable* table = ObjectTable();
    VERIFY(table);
    CSemLockGuard tableGuard(table->Lock());
    ObjectKey key = Key();
    CMimeObject* found = table->FindInUse(key);
    if (!found && (found = table->FindCached(key)))
        table->MoveToInUse(found);
    if (found) {
        Attach(found);
        AddFlags(Notify::Attached);
        return Status::Complete;
    }
    if (!m_fromHistory)
        return Status::Continue;
    return ShowPostNotice(*table, key);
}

Status CMimeDynamicLoad::ShowPostNotice(CObjectTable& table, const ObjectKey& key) {
    const ContentTypeEntry* html = FindContentType("text/html", 0);
    if (!html)
        return Status::Failed;
    CMimeObject* notice = table.AddInUse(html->creator(key.url, "text/html"), key);
    Attach(notice);
    (void)notice->Write(PostNotice, std::strlen(PostNotice));
    (void)notice->EndOfData();
    // Failed, so that the notice is never cached in place of the real result.
    notice->SetStatus(Status::Failed);
    AddFlags(Notify::Attached);
    return Status::Failed;
}

Status CMimeDynamicLoad::OnHeaders(const HeaderMap& headers) {
    // A restarted load answers with a new response.
    Detach();
    auto type = headers.find("content-type");
    std::string contentType = type == headers.end() ? "unknown" : type->second;
    CObjectTable* table = ObjectTable();
    VERIFY(table);
    CSemLockGuard tableGuard(table->Lock());
    const ContentTypeEntry* entry = FindContentType(contentType, m_requiredCaps);
    if (!entry)
        return Status::Failed;
    ObjectKey key = Key();
    Attach(table->AddInUse(entry->creator(key.url, contentType), key));
    AddFlags(Notify::Data);
    return Status::Continue;
}

Status CMimeDynamicLoad::OnData(const char* bytes, size_t count) {
    CMimeObject* object = GetObject();
    if (!object)
        return Status::Failed;
    object->SetStatus(Result());
    Status written = object->Write(bytes, count);
    object->SetStatus(written);
    return written;
}

Status CMimeDynamicLoad::OnComplete() {
    CMimeObject* object = GetObject();
    if (!object)
        return Status::Failed;
    object->SetStatus(Result());
    Status ended = object->EndOfData();
    object->SetStatus(ended);
    return ended;
}

void CMimeDynamicLoad::Detach() {
    CMimeObject* object = GetObject();
    if (!object)
        return;
    CObjectTable* table = ObjectTable();
    VERIFY(table);
    CSemLockGuard tableGuard(table->Lock());
    bool last;
    {
        CSemLockGuard objectGuard(object->Lock());
        last = Scheduler().RemoveClient(*object, this);
    }
    {
        CSemLockGuard guard(Lock());
        m_object = nullptr;
    }
    if (last)
        table->Release(object);
}
