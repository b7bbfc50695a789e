#include "view/CFormControlMap.h"

#include "layout/CDisplayItem.h"
#include "platform/Verify.h"

CFormField CFormField::From(const CFormControlItem& item) {
    return {.type = item.fieldType,
            .name = item.name,
            .maxlength = item.maxlength,
            .value = item.value,
            .checked = item.checked != 0,
            .multiple = item.multiple != 0,
            .options = item.options,
            .rows = item.rows};
}

CFormControlRecord* CFormControlMap::Find(uint32_t key) const {
    auto found = m_byKey.find(key);
    return found == m_byKey.end() ? nullptr : found->second;
}

CFormControlRecord* CFormControlMap::FindByCommand(uint32_t commandId) const {
    auto found = m_byCommand.find(commandId);
    return found == m_byCommand.end() ? nullptr : found->second;
}

CFormControlRecord& CFormControlMap::Insert(uint32_t key,
                                            std::unique_ptr<CFormControlRecord> record) {
    VERIFY(record && !m_byKey.contains(key));
    CFormControlRecord& inserted = *record;
    m_buckets[BucketOf(key)].push_front({key, std::move(record)});
    m_byKey.emplace(key, &inserted);
    m_byCommand.emplace(inserted.commandId, &inserted);
    return inserted;
}

void CFormControlMap::Clear() {
    m_byKey.clear();
    m_byCommand.clear();
    for (auto& bucket : m_buckets)
        bucket.clear();
}
