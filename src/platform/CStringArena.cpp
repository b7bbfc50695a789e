#include "platform/CStringArena.h"

#include <algorithm>
#include <cstring>

std::string_view CStringArena::Keep(std::string_view text) {
    if (text.empty())
        return {};
    if (text.size() > ChunkSize / 4) {
        // A long one gets a chunk of its own, behind the one being filled.
        auto own = std::make_unique_for_overwrite<char[]>(text.size());
        std::memcpy(own.get(), text.data(), text.size());
        std::string_view kept(own.get(), text.size());
        m_chunks.insert(m_chunks.empty() ? m_chunks.end() : m_chunks.end() - 1, std::move(own));
        return kept;
    }
    if (text.size() > m_free) {
        m_chunkSize = m_chunkSize ? std::min(m_chunkSize * 2, LargestChunk) : ChunkSize;
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_chunkSize));
        m_next = m_chunks.back().get();
        m_free = m_chunkSize;
    }
    char* at = m_next;
    std::memcpy(at, text.data(), text.size());
    m_next += text.size();
    m_free -= text.size();
    return {at, text.size()};
}
