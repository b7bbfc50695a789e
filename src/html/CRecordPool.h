#pragma once

#include "content/CTextStore.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// Base of every record kept in a CRecordPool. The pool destroys each record
// through its own type's destructor, so a record needs no virtual destructor
// (and an element list of plain records no vtable pointer in every record);
// their storage belongs to the pool.
class CPoolRecord {
public:
    CPoolRecord() = default;
    CPoolRecord(const CPoolRecord&) = delete;
    CPoolRecord& operator=(const CPoolRecord&) = delete;
    // Storage is the pool's: a delete-expression must never free it.
    static void operator delete(void*) {}

protected:
    ~CPoolRecord() = default;
};

// A record whose fields need no destructor (numbers, enumerations, pointers
// the record does not own) says so with
//     static constexpr bool kPlainRecord = true;
// and Clear forgets it without a call: on a long page that saves a walk over
// every record at its end. Only a final class may say it, so that no derived
// record with a string inherits the claim.
template <class T>
concept PlainRecord = requires {
    requires T::kPlainRecord;
};

// An append-only arena of 4096-byte blocks. Each record is a 32-bit header
// word followed by the object, built in place: the word holds the record's
// total length, and its lowest bit says the object starts four bytes later,
// where a record that needs 8-byte alignment is shifted to. The list ends
// with an all-ones word, and a block that is full ends with a zero word and
// the address of the next block. Records live until Clear, which destroys
// them all.
//
// New records are staged: Allocate writes every byte of them except the one
// word that ends the published list, which keeps its all-ones value until
// Publish writes it. So a writer builds a whole batch without a lock, and
// Publish shows the batch to readers at once. The readers see published
// records only; First, Advance and At need no lock (the layout reads a long
// page's records as fast as the parser makes them, and would otherwise take
// turns with it on the owner's lock), Find does.
// Not thread-safe otherwise: one thread allocates; the owner holds its lock
// (the HTML object's) around Publish and Find; Clear runs when no reader is
// left.
class CRecordPool {
public:
    // A record's position: the address of its header, or 0 for none.
    using Position = uintptr_t;
    static constexpr size_t BlockSize = 4096;

    CRecordPool() = default;
    CRecordPool(const CRecordPool&) = delete;
    CRecordPool& operator=(const CRecordPool&) = delete;
    ~CRecordPool() { Clear(); }

    template <class T, class... Args> T* Allocate(Args&&... args) {
        static_assert(std::is_base_of_v<CPoolRecord, T>);
        static_assert(alignof(T) <= MaxAlign);
        void* storage = AllocateRaw(sizeof(T), alignof(T));
        T* record = new (storage) T(std::forward<Args>(args)...);
        if constexpr (PlainRecord<T>)
            static_assert(std::is_final_v<T>, "only a final record may be plain");
        else
            m_owning.push_back({record, &Destroy<T>});
        return record;
    }

    // Makes every record allocated since the last call visible to readers.
    void Publish();

    // Records allocated so far, staged ones included (the writer's count).
    [[nodiscard]] uint32_t Count() const { return m_count; }
    [[nodiscard]] Position First() const;
    // The record after position, or 0 after the last one.
    [[nodiscard]] Position Advance(Position position) const;
    [[nodiscard]] static CPoolRecord* At(Position position);
    // The position of a record of this pool, or 0 when it is not one.
    [[nodiscard]] Position Find(const CPoolRecord* record) const;
    void Clear();

private:
    static constexpr size_t HeaderSize = 4;
    static constexpr size_t MaxAlign = 8;
    // The header bit of a record whose object starts HeaderSize bytes later.
    static constexpr uint32_t ShiftedBit = 1;
    // Room kept at the end of every block for the zero word and the link.
    static constexpr size_t LinkSize = HeaderSize + sizeof(void*);
    static constexpr uint32_t EndWord = 0xFFFFFFFFu;
    static constexpr uint32_t LinkWord = 0;

    struct OwningRecord {
        void* record;
        void (*destroy)(void*);
    };
    template <class T> static void Destroy(void* record) { static_cast<T*>(record)->~T(); }

    void* AllocateRaw(size_t objectSize, size_t alignment);
    void StartBlock();
    // Writes a structure word, holding back the one readers may be looking at.
    void SetWord(std::byte* at, uint32_t word);
    [[nodiscard]] Position Resolve(Position position) const;

    CPageSlabs m_slabs;                       // owns every block; writer only
    std::vector<std::byte*> m_blocks;         // published blocks, in order
    std::atomic<std::byte*> m_first{nullptr}; // the first of them, for lock-free readers
    std::vector<std::byte*> m_staged;         // blocks started since the last Publish; writer only
    // Records whose destructor Clear must run, in the order they were made.
    std::vector<OwningRecord> m_owning; // writer only
    std::byte* m_current = nullptr;     // writer only, as are the fields below
    uint32_t m_used = 0;
    uint32_t m_count = 0;
    // The end word of the published list (null while nothing is published),
    // and the value it takes at the next Publish.
    std::byte* m_tail = nullptr;
    uint32_t m_tailWord = EndWord;
};
