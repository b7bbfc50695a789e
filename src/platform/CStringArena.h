#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// Strings kept as long as their owner (a page's elements, a layout) lives,
// copied into large chunks: a page with tens of thousands of links keeps
// their addresses without an allocation each. Chunks double in size from
// ChunkSize up to LargestChunk, so a long page's megabytes of addresses cost
// few allocations. The views handed out stay valid until the arena goes. One
// writer; other threads only read views handed to them through a structure
// that publishes them under its lock.
class CStringArena {
public:
    static constexpr size_t ChunkSize = 64 * 1024; // the first chunk's
    static constexpr size_t LargestChunk = size_t{2} << 20;

    CStringArena() = default;
    CStringArena(const CStringArena&) = delete;
    CStringArena& operator=(const CStringArena&) = delete;

    std::string_view Keep(std::string_view text);

private:
    std::vector<std::unique_ptr<char[]>> m_chunks;
    char* m_next = nullptr; // where the last chunk's free bytes start
    size_t m_free = 0;      // and how many there are
    size_t m_chunkSize = 0; // the last chunk's size
};
