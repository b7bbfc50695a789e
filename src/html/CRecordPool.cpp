#include "html/CRecordPool.h"

#include "platform/Verify.h"

#include <cstring>

namespace {

void WriteMark(std::byte* at, uint16_t mark) {
    std::memcpy(at, &mark, sizeof mark);
}

} // namespace

void CRecordPool::StartBlock() {
    static_assert(BlockSize == CPageSlabs::PageSize);
    std::byte* start = m_slabs.NextPage();
    if (m_current) {
        // Close the full block: the link mark, then the next block's address.
        // Nobody reads past the published end before both are there.
        WriteMark(m_current + m_used, LinkMark);
        std::memcpy(m_current + m_used + MarkSize, &start, sizeof start);
    }
    m_staged.push_back(start);
    m_current = start;
    m_used = 0;
}

void* CRecordPool::AllocateRaw(size_t objectSize, size_t alignment) {
    // A record is 4-byte aligned; one that needs 8 is shifted by 4 when it
    // would start off an 8-byte boundary (blocks start on one).
    auto lengthAt = [&](uint32_t used, bool& shifted) {
        shifted = alignment > MarkSize && used % alignment != 0;
        return (shifted ? MarkSize : 0) + RoundUp4(objectSize);
    };
    bool shifted = false;
    size_t length = lengthAt(m_used, shifted);
    if (!m_current || m_used + length > BlockSize - LinkSize) {
        StartBlock();
        length = lengthAt(m_used, shifted);
        VERIFY(length <= BlockSize - LinkSize);
    }
    std::byte* at = m_current + m_used;
    if (shifted) {
        WriteMark(at, ShiftMark);
        at += MarkSize;
    }
    m_used += static_cast<uint32_t>(length);
    ++m_count;
    return at;
}

void CRecordPool::Publish() {
    m_blocks.insert(m_blocks.end(), m_staged.begin(), m_staged.end());
    m_staged.clear();
    if (!m_current)
        return;
    // The end first: a reader that finds the first block finds an end too.
    m_end.store(m_current + m_used, std::memory_order_release);
    if (!m_first.load(std::memory_order_relaxed))
        m_first.store(m_blocks.front(), std::memory_order_release);
}

CRecordPool::Position CRecordPool::PastMarks(Position position, Position end) {
    while (position != end) {
        const uint16_t kind = KindAt(position);
        if (kind == ShiftMark) {
            position += MarkSize;
        } else if (kind == LinkMark) {
            std::byte* next;
            std::memcpy(&next, reinterpret_cast<const void*>(position + MarkSize), sizeof next);
            position = reinterpret_cast<Position>(next);
        } else {
            return position;
        }
    }
    return 0;
}

CRecordPool::Position CRecordPool::First() const {
    // Publish stores the end before the first block: a reader may find an
    // end and no first block yet, and then there is nothing to read.
    const auto first = reinterpret_cast<Position>(m_first.load(std::memory_order_acquire));
    return first ? Resolve(first) : 0;
}

CRecordPool::Position CRecordPool::Find(const CPoolRecord* record) const {
    if (!record)
        return 0;
    const auto address = reinterpret_cast<Position>(record);
    for (const std::byte* block : m_blocks) {
        const auto start = reinterpret_cast<Position>(block);
        if (address < start || address >= start + BlockSize)
            continue;
        // Walk the block so that only a real record start is answered.
        for (Position at = Resolve(start); at && at >= start && at < start + BlockSize;
             at = Advance(at)) {
            if (at == address)
                return at;
        }
        return 0;
    }
    return 0;
}

void CRecordPool::Clear() {
    Publish();
    for (const OwningRecord& owning : m_owning)
        owning.destroy(owning.record);
    m_owning.clear();
    m_blocks.clear();
    m_first.store(nullptr, std::memory_order_relaxed);
    m_end.store(nullptr, std::memory_order_relaxed);
    m_slabs.Clear();
    m_current = nullptr;
    m_used = 0;
    m_count = 0;
}
