#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

// Where the small arrays of one owner live: a laid-out page keeps a set of
// arrays for each of its flows, and a page of tables has tens of thousands
// of flows of a line or two. Pieces are cut from large blocks in sizes of
// powers of two; a piece an array outgrows is handed to the next array that
// asks for its size; and the owner's end frees a few blocks instead of every
// array one by one, which on a long page took longer than its last layout
// pass. Not shared between threads: the owner's lock covers it.
class CGrowingArena {
public:
    // The largest piece; larger arrays are mappings of their own.
    static constexpr size_t LargestPiece = 32 * 1024;
    static constexpr size_t BlockSize = 256 * 1024;

    CGrowingArena() = default;
    CGrowingArena(const CGrowingArena&) = delete;
    CGrowingArena& operator=(const CGrowingArena&) = delete;

    // The size of the piece that holds bytes (1 to LargestPiece): the power
    // of two at or above it, at least 16, so every piece is 16-byte aligned.
    [[nodiscard]] static size_t PieceSize(size_t bytes);
    // A piece of PieceSize(bytes).
    [[nodiscard]] void* Allocate(size_t bytes);
    // piece, of PieceSize(bytes), may be handed out again.
    void Release(void* piece, size_t bytes);

private:
    static constexpr size_t SmallestShift = 4;
    static constexpr size_t Sizes = 12; // 16 bytes to 32 KiB
    [[nodiscard]] static size_t SizeIndex(size_t bytes);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_next = nullptr; // the last block's free bytes
    size_t m_free = 0;
    // Released pieces of each size, chained through their first word.
    std::array<void*, Sizes> m_released{};
};

// Storage for CGrowingArray: up to the arena's largest piece, a piece of the
// arena; above it, an anonymous mapping of its own.
namespace GrowingMemory {
// Storage for newBytes (more than oldBytes) keeping the first oldBytes of old,
// whose storage was made for exactly oldBytes (null with 0); old's storage
// goes back to the arena or is unmapped. Answers the bytes the new storage
// holds: a piece's whole size.
std::pair<void*, size_t> Resize(CGrowingArena& arena, void* old, size_t oldBytes, size_t newBytes);
// Frees storage of bytes that is a mapping; an arena's piece goes with its
// arena.
void FreeMapping(void* block, size_t bytes);
[[nodiscard]] inline bool IsMapping(size_t bytes) {
    return bytes > CGrowingArena::LargestPiece;
}
} // namespace GrowingMemory

// An array of plain values that only grows, for the arrays of a laid-out
// page: one flow of a long page holds a million and a half items, and
// thousands of others a handful. Small, it lives in its owner's arena (which
// every call that grows it names, and which must outlive it) and doubles like
// a vector; above the arena's largest piece it is a mapping grown with
// mremap, so the kernel moves its pages instead of the program copying them,
// and capacity not yet written takes no memory.
template <class T> class CGrowingArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    CGrowingArray() = default;
    ~CGrowingArray() {
        if (GrowingMemory::IsMapping(m_capacity * sizeof(T)))
            GrowingMemory::FreeMapping(m_data, m_capacity * sizeof(T));
    }
    CGrowingArray(CGrowingArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    CGrowingArray& operator=(CGrowingArray&& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    CGrowingArray(const CGrowingArray&) = delete;
    CGrowingArray& operator=(const CGrowingArray&) = delete;

    [[nodiscard]] size_t size() const { return m_size; }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    [[nodiscard]] T* data() { return m_data; }
    [[nodiscard]] const T* data() const { return m_data; }
    [[nodiscard]] T* begin() { return m_data; }
    [[nodiscard]] T* end() { return m_data + m_size; }
    [[nodiscard]] const T* begin() const { return m_data; }
    [[nodiscard]] const T* end() const { return m_data + m_size; }
    [[nodiscard]] T& operator[](size_t i) { return m_data[i]; }
    [[nodiscard]] const T& operator[](size_t i) const { return m_data[i]; }
    [[nodiscard]] const T& back() const { return m_data[m_size - 1]; }

    // By value: the value may be one of the array's own, which growing moves.
    void push_back(T value, CGrowingArena& arena) {
        Reserve(m_size + 1, arena);
        m_data[m_size++] = value;
    }
    // values must not be the array's own.
    void append(std::span<const T> values, CGrowingArena& arena) {
        if (values.empty())
            return;
        Reserve(m_size + values.size(), arena);
        std::memcpy(m_data + m_size, values.data(), values.size() * sizeof(T));
        m_size += values.size();
    }

private:
    void Reserve(size_t count, CGrowingArena& arena) {
        if (count <= m_capacity)
            return;
        const size_t wanted = std::max({count, m_capacity * 2, size_t{4}});
        auto [data, bytes] =
            GrowingMemory::Resize(arena, m_data, m_capacity * sizeof(T), wanted * sizeof(T));
        m_data = static_cast<T*>(data);
        m_capacity = bytes / sizeof(T);
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
