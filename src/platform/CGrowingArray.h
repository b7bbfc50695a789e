#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

// Storage for CGrowingArray: below MapThreshold bytes a heap block, from
// there on an anonymous mapping of its own.
namespace GrowingMemory {
inline constexpr size_t MapThreshold = 64 * 1024;
// Storage of newBytes (no fewer than oldBytes) keeping the first oldBytes of
// old, which had exactly oldBytes of storage, or is null with 0.
void* Resize(void* old, size_t oldBytes, size_t newBytes);
void Free(void* block, size_t bytes);
} // namespace GrowingMemory

// An array of plain values that only grows, for the long arrays of a laid-out
// page: one flow of a long page holds a million and a half items. Small, it
// lives on the heap and doubles like a vector; from 64 KiB on it is a mapping
// grown with mremap, so the kernel moves its pages instead of the program
// copying them, and capacity not yet written takes no memory.
template <class T> class CGrowingArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    CGrowingArray() = default;
    ~CGrowingArray() { GrowingMemory::Free(m_data, m_capacity * sizeof(T)); }
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
    void push_back(T value) {
        Reserve(m_size + 1);
        m_data[m_size++] = value;
    }
    // values must not be the array's own.
    void append(std::span<const T> values) {
        if (values.empty())
            return;
        Reserve(m_size + values.size());
        std::memcpy(m_data + m_size, values.data(), values.size() * sizeof(T));
        m_size += values.size();
    }

private:
    void Reserve(size_t count) {
        if (count <= m_capacity)
            return;
        const size_t capacity = std::max({count, m_capacity * 2, size_t{4}});
        m_data = static_cast<T*>(
            GrowingMemory::Resize(m_data, m_capacity * sizeof(T), capacity * sizeof(T)));
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
