#pragma once

#include "content/CTextStore.h"
#include "platform/Verify.h"

#include <array>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
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

// An append-only arena of 4096-byte blocks. Records lie one after the other
// with no word of the pool's own between them (a long page holds millions of
// records of 4 to 16 bytes): every record begins with its 16-bit kind, below
// 0x2000, and the pool's owner gives the length of a record of each kind. The
// pool writes a mark where a record that needs 8-byte alignment is shifted by
// four bytes, and where a full block ends, followed there by the address of
// the next block.
//
// New records are staged: readers see the list up to the end Publish stored
// last (release; readers load it with acquire), so a writer builds a whole
// batch without a lock and Publish shows it at once. First, Advance and At
// need no lock (the layout reads a long page's records as fast as the parser
// makes them, and would otherwise take turns with it on the owner's lock);
// Find does.
// Not thread-safe otherwise: one thread allocates; the owner holds its lock
// (the HTML object's) around Publish and Find; Clear runs when no reader is
// left.
class CRecordPool {
public:
    // A record's position: its address, or 0 for none.
    using Position = uintptr_t;
    static constexpr size_t BlockSize = 4096;
    // The length of a record of each kind, at KindIndex(kind); 0 for none.
    using SizeTable = std::array<uint8_t, 64>;
    // Kinds lie below 0x2000, and their low five bits and the bit of 0x1000
    // tell them apart: a start kind and its end (the start plus 0x1000) both.
    static constexpr size_t KindIndex(uint16_t kind) {
        return (kind & 0x1Fu) | ((kind >> 7) & 0x20u);
    }

    // An owner's table from its kinds and their records' lengths. Two kinds
    // on one index, or a record too long for the table, do not compile:
    // constant evaluation stops at the throw.
    template <class Kind>
    static constexpr SizeTable MakeSizeTable(std::initializer_list<std::pair<Kind, size_t>> rows) {
        SizeTable sizes{};
        for (const auto& [kind, size] : rows) {
            const size_t index = KindIndex(static_cast<uint16_t>(kind));
            if (sizes[index] != 0 || size == 0 || size > UINT8_MAX)
                throw "every kind needs an index and a length of its own";
            sizes[index] = static_cast<uint8_t>(size);
        }
        return sizes;
    }

    explicit CRecordPool(const SizeTable& sizes) : m_sizes(sizes) {}
    CRecordPool(const CRecordPool&) = delete;
    CRecordPool& operator=(const CRecordPool&) = delete;
    ~CRecordPool() { Clear(); }

    template <class T, class... Args> T* Allocate(Args&&... args) {
        static_assert(std::is_base_of_v<CPoolRecord, T>);
        static_assert(alignof(T) <= MaxAlign);
        void* storage = alignof(T) <= MarkSize ? AllocateAligned4(RoundUp4(sizeof(T)))
                                               : AllocateRaw(sizeof(T), alignof(T));
        T* record = new (storage) T(std::forward<Args>(args)...);
        // A kind measured wrongly would derail every reader.
        assert(RecordSize(reinterpret_cast<Position>(record)) == sizeof(T));
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
    // The record after position, or 0 after the last one. Inline: the
    // layout steps through every record of a page.
    [[nodiscard]] Position Advance(Position position) const {
        if (!position)
            return 0;
        const size_t size = RecordSize(position);
        VERIFY(size > 0);
        return Resolve(position + RoundUp4(size));
    }
    [[nodiscard]] static CPoolRecord* At(Position position) {
        return std::launder(reinterpret_cast<CPoolRecord*>(position));
    }
    // The position of a record of this pool, or 0 when it is not one.
    [[nodiscard]] Position Find(const CPoolRecord* record) const;
    void Clear();

private:
    static constexpr size_t MarkSize = 4;
    static constexpr size_t MaxAlign = 8;
    // Room kept at the end of every block for the link mark and address.
    static constexpr size_t LinkSize = MarkSize + sizeof(void*);
    static constexpr uint16_t ShiftMark = 0xFFFD;
    static constexpr uint16_t LinkMark = 0xFFFE;
    // Records lie on 4-byte boundaries.
    static constexpr size_t RoundUp4(size_t size) { return (size + 3) & ~size_t{3}; }

    struct OwningRecord {
        void* record;
        void (*destroy)(void*);
    };
    template <class T> static void Destroy(void* record) { static_cast<T*>(record)->~T(); }

    void* AllocateRaw(size_t objectSize, size_t alignment);
    // A record of 4-byte alignment (nearly every one a page has) of length
    // bytes, a multiple of 4: inline while its block has room.
    void* AllocateAligned4(size_t length) {
        if (!m_current || m_used + length > BlockSize - LinkSize)
            return AllocateRaw(length, MarkSize);
        void* at = m_current + m_used;
        m_used += static_cast<uint32_t>(length);
        ++m_count;
        return at;
    }
    void StartBlock();
    static uint16_t KindAt(Position position) {
        uint16_t kind;
        std::memcpy(&kind, reinterpret_cast<const void*>(position), sizeof kind);
        return kind;
    }
    [[nodiscard]] size_t RecordSize(Position position) const {
        return m_sizes[KindIndex(KindAt(position))];
    }
    // The record at or after position, past marks; 0 at the published end.
    [[nodiscard]] Position Resolve(Position position) const {
        const auto end = reinterpret_cast<Position>(m_end.load(std::memory_order_acquire));
        if (!end || position == end)
            return 0;
        return KindAt(position) < ShiftMark ? position : PastMarks(position, end);
    }
    [[nodiscard]] static Position PastMarks(Position position, Position end);

    const SizeTable& m_sizes;
    CPageSlabs m_slabs;                       // owns every block; writer only
    std::vector<std::byte*> m_blocks;         // published blocks, in order
    std::vector<std::byte*> m_staged;         // blocks started since the last Publish; writer only
    std::atomic<std::byte*> m_first{nullptr}; // the first block, once published
    // Records whose destructor Clear must run, in the order they were made.
    std::vector<OwningRecord> m_owning; // writer only
    std::byte* m_current = nullptr;     // writer only, as are the two below
    uint32_t m_used = 0;
    uint32_t m_count = 0;
    // Where the next record would have gone at the last Publish: readers stop
    // there. Every reader's step loads it, and the writer changes the fields
    // above with every record: a line of its own (last, so the pool's size
    // rounds up to the line) keeps the two threads' caches from trading that
    // line all the time.
    alignas(64) std::atomic<std::byte*> m_end{nullptr};
};
