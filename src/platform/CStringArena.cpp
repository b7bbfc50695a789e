#include "platform/CStringArena.h"

#include "platform/Verify.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

void CStringArena::FreeChunk::operator()(char* chunk) const {
    std::free(chunk);
}

std::string_view CStringArena::Keep(std::string_view text) {
    if (text.empty())
        return {};
    if (text.size() > ChunkSize / 4) {
        // A long one gets a chunk of its own, behind the one being filled.
        auto* own = static_cast<char*>(std::malloc(text.size()));
        VERIFY(own);
        std::memcpy(own, text.data(), text.size());
        m_chunks.emplace(m_chunks.empty() ? m_chunks.end() : m_chunks.end() - 1, own);
        return {own, text.size()};
    }
    if (text.size() > m_free) {
        m_chunkSize = m_chunkSize ? std::min(m_chunkSize * 2, LargestChunk) : ChunkSize;
        auto* chunk = static_cast<char*>(std::malloc(m_chunkSize));
        VERIFY(chunk);
        m_chunks.emplace_back(chunk);
        m_next = chunk;
        m_free = m_chunkSize;
    }
    char* at = m_next;
    std::memcpy(at, text.data(), text.size());
    m_next += text.size();
    m_free -= text.size();
    return {at, text.size()};
}
