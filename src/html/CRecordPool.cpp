#include "html/CRecordPool.h"

#include "platform/Verify.h"

#include <algorithm>
#include <cstring>

namespace {

// Structure words are 4-byte aligned. Readers load them with acquire, and
// Publish stores the word that ends the published list with release: a
// reader that finds a record there sees every byte written before it.
std::atomic_ref<uint32_t> WordAt(const std::byte* at) {
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(const_cast<std::byte*>(at)));
}

uint32_t ReadWord(const std::byte* at) {
    return WordAt(at).load(std::memory_order_acquire);
}

// A word no reader can reach yet.
void WriteWord(std::byte* at, uint32_t word) {
    std::memcpy(at, &word, sizeof word);
}

} // namespace

void CRecordPool::StartBlock() {
    static_assert(BlockSize == CPageSlabs::PageSize);
    std::byte* start = m_slabs.NextPage();
    if (m_current) {
        // Close the full block: a zero word, then the next block's address.
        // Nobody reads the address before the word says it is there.
        SetWord(m_current + m_used, LinkWord);
        std::memcpy(m_current + m_used + HeaderSize, &start, sizeof start);
    }
    m_staged.push_back(start);
    m_current = start;
    m_used = 0;
    WriteWord(m_current, EndWord);
}

void* CRecordPool::AllocateRaw(size_t objectSize, size_t alignment) {
    // A record is 4-byte aligned; one that needs 8 is shifted by 4 when its
    // header falls on an 8-byte boundary (blocks start on one).
    auto lengthAt = [&](uint32_t used, bool& shifted) {
        shifted = alignment > HeaderSize && (used + HeaderSize) % alignment != 0;
        size_t objectAt = HeaderSize + (shifted ? HeaderSize : 0);
        return (objectAt + objectSize + HeaderSize - 1) / HeaderSize * HeaderSize;
    };
    bool shifted = false;
    size_t length = lengthAt(m_used, shifted);
    if (!m_current || m_used + length > BlockSize - LinkSize) {
        StartBlock();
        length = lengthAt(m_used, shifted);
        VERIFY(length <= BlockSize - LinkSize);
    }
    std::byte* header = m_current + m_used;
    SetWord(header, static_cast<uint32_t>(length) | (shifted ? ShiftedBit : 0));
    m_used += static_cast<uint32_t>(length);
    WriteWord(m_current + m_used, EndWord);
    ++m_count;
    return header + HeaderSize + (shifted ? HeaderSize : 0);
}

void CRecordPool::SetWord(std::byte* at, uint32_t word) {
    if (at == m_tail)
        m_tailWord = word;
    else
        WriteWord(at, word);
}

void CRecordPool::Publish() {
    if (m_tail)
        WordAt(m_tail).store(m_tailWord, std::memory_order_release);
    m_blocks.insert(m_blocks.end(), m_staged.begin(), m_staged.end());
    m_staged.clear();
    if (!m_blocks.empty() && !m_first.load(std::memory_order_relaxed))
        m_first.store(m_blocks.front(), std::memory_order_release);
    if (m_current) {
        m_tail = m_current + m_used;
        m_tailWord = EndWord;
    }
}

CRecordPool::Position CRecordPool::Resolve(Position position) const {
    if (!position)
        return 0;
    const auto* at = reinterpret_cast<const std::byte*>(position);
    uint32_t word = ReadWord(at);
    if (word == EndWord)
        return 0;
    if (word == LinkWord) {
        std::byte* next;
        std::memcpy(&next, at + HeaderSize, sizeof next);
        return reinterpret_cast<Position>(next);
    }
    return position;
}

CRecordPool::Position CRecordPool::First() const {
    return Resolve(reinterpret_cast<Position>(m_first.load(std::memory_order_acquire)));
}

CRecordPool::Position CRecordPool::Advance(Position position) const {
    if (!position)
        return 0;
    uint32_t word = ReadWord(reinterpret_cast<const std::byte*>(position));
    VERIFY(word != EndWord && word != LinkWord);
    return Resolve(position + (word & ~ShiftedBit));
}

CPoolRecord* CRecordPool::At(Position position) {
    if (!position)
        return nullptr;
    uint32_t word = ReadWord(reinterpret_cast<const std::byte*>(position));
    size_t objectAt = HeaderSize + ((word & ShiftedBit) ? HeaderSize : 0);
    return std::launder(reinterpret_cast<CPoolRecord*>(position + objectAt));
}

CRecordPool::Position CRecordPool::Find(const CPoolRecord* record) const {
    if (!record)
        return 0;
    auto address = reinterpret_cast<uintptr_t>(record);
    for (const std::byte* block : m_blocks) {
        auto start = reinterpret_cast<uintptr_t>(block);
        if (address < start + HeaderSize || address >= start + BlockSize)
            continue;
        // Walk the block so that only a real record start is answered.
        for (Position at = Resolve(start); at && at >= start && at < start + BlockSize;
             at = Advance(at)) {
            if (reinterpret_cast<uintptr_t>(At(at)) == address)
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
    m_tail = nullptr;
    m_tailWord = EndWord;
    m_first.store(nullptr, std::memory_order_relaxed);
    m_slabs.Clear();
    m_current = nullptr;
    m_used = 0;
    m_count = 0;
}
