#include "platform/CGrowingArray.h"

#include "platform/Verify.h"

#include <bit>

#include <sanitizer/asan_interface.h>

#include <sys/mman.h>
#include <unistd.h>

size_t CGrowingArena::PieceSize(size_t bytes) {
    return std::bit_ceil(std::max(bytes, size_t{1} << SmallestShift));
}

size_t CGrowingArena::SizeIndex(size_t bytes) {
    return static_cast<size_t>(std::countr_zero(PieceSize(bytes))) - SmallestShift;
}

void* CGrowingArena::Allocate(size_t bytes) {
    VERIFY(bytes > 0 && bytes <= LargestPiece);
    void*& released = m_released[SizeIndex(bytes)];
    if (released) {
        void* piece = released;
        ASAN_UNPOISON_MEMORY_REGION(piece, PieceSize(bytes));
        std::memcpy(&released, piece, sizeof released);
        return piece;
    }
    const size_t size = PieceSize(bytes);
    if (size > m_free) {
        // What is left of the block goes to the smaller sizes it holds,
        // largest first: every size is a multiple of the smallest, so none of
        // it is lost.
        while (m_free >= (size_t{1} << SmallestShift)) {
            const size_t piece = std::bit_floor(m_free);
            Release(m_next, piece);
            m_next += piece;
            m_free -= piece;
        }
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(BlockSize));
        m_next = m_blocks.back().get();
        m_free = BlockSize;
        // Pieces are poisoned until handed out, so that the address sanitizer
        // still tells an array's overrun into its neighbour.
        ASAN_POISON_MEMORY_REGION(m_next, m_free);
    }
    void* piece = m_next;
    m_next += size;
    m_free -= size;
    ASAN_UNPOISON_MEMORY_REGION(piece, size);
    return piece;
}

void CGrowingArena::Release(void* piece, size_t bytes) {
    void*& released = m_released[SizeIndex(bytes)];
    ASAN_UNPOISON_MEMORY_REGION(piece, sizeof released);
    std::memcpy(piece, &released, sizeof released);
    released = piece;
    ASAN_POISON_MEMORY_REGION(piece, PieceSize(bytes));
}

namespace GrowingMemory {
namespace {

size_t MappedSize(size_t bytes) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

} // namespace

std::pair<void*, size_t> Resize(CGrowingArena& arena, void* old, size_t oldBytes, size_t newBytes) {
    VERIFY(newBytes > oldBytes);
    if (!IsMapping(newBytes)) {
        void* piece = arena.Allocate(newBytes);
        if (old) {
            std::memcpy(piece, old, oldBytes);
            arena.Release(old, oldBytes);
        }
        return {piece, CGrowingArena::PieceSize(newBytes)};
    }
    const size_t mapped = MappedSize(newBytes);
    if (IsMapping(oldBytes)) {
        void* block = mremap(old, MappedSize(oldBytes), mapped, MREMAP_MAYMOVE);
        VERIFY(block != MAP_FAILED);
        return {block, mapped};
    }
    void* block = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    VERIFY(block != MAP_FAILED);
    if (old) {
        std::memcpy(block, old, oldBytes);
        arena.Release(old, oldBytes);
    }
    return {block, mapped};
}

void FreeMapping(void* block, size_t bytes) {
    if (block)
        munmap(block, MappedSize(bytes));
}

} // namespace GrowingMemory
