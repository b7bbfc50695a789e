#pragma once

#include "html/CHtmlElement.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CFormControl.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CFormControlItem;

// What a form control needs of its field. It is copied from the layout's
// item once: every layout of the page has the same fields, so a relayout
// moves the control but never changes it.
struct CFormField {
    FieldType type = FieldType::Text;
    std::string name;
    int32_t maxlength = -1; // -1: none
    std::string value;      // the initial text, or a button's caption
    bool checked = false;
    bool multiple = false;
    std::vector<COptionRecord> options;
    int32_t rows = 1; // a select's visible size

    [[nodiscard]] static CFormField From(const CFormControlItem& item);
};

// One field of a form on the page, with the control that shows it.
struct CFormControlRecord {
    std::unique_ptr<CFormControl> control; // none for hidden and image fields
    size_t form = 0;                       // its form's place among the page's forms
    CFormField field;
    CRect rect; // the one last applied to the control, document coordinates
    uint32_t commandId = 0;
};

// The page's form controls by their item's identifier: a hash map of 17
// buckets, a key in bucket (key >> 4) mod 17 and new entries in front of
// their bucket. A form is submitted in this map's order (bucket 0 to 16,
// front to back), which is therefore part of what a server receives.
class CFormControlMap {
public:
    static constexpr size_t BucketCount = 17;
    [[nodiscard]] static constexpr size_t BucketOf(uint32_t key) {
        return (key >> 4) % BucketCount;
    }

    [[nodiscard]] CFormControlRecord* Find(uint32_t key) const;
    [[nodiscard]] CFormControlRecord* FindByCommand(uint32_t commandId) const;
    // key must not be in the map yet.
    CFormControlRecord& Insert(uint32_t key, std::unique_ptr<CFormControlRecord> record);
    void Clear();
    [[nodiscard]] size_t Size() const { return m_byKey.size(); }

    // In the map's order.
    template <class Visit> void ForEach(Visit visit) const {
        for (const auto& bucket : m_buckets)
            for (const Entry& entry : bucket)
                visit(*entry.record);
    }

private:
    struct Entry {
        uint32_t key;
        std::unique_ptr<CFormControlRecord> record;
    };
    std::array<std::deque<Entry>, BucketCount> m_buckets;
    // Lookups without walking a bucket: a page may have thousands of fields,
    // and every layout step looks each of them up.
    std::unordered_map<uint32_t, CFormControlRecord*> m_byKey;
    std::unordered_map<uint32_t, CFormControlRecord*> m_byCommand;
};
