#include "content/CTextStore.h"

#include "platform/Verify.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
constexpr size_t FirstSlab = CPageSlabs::PageSize;
constexpr size_t LargestSlab = size_t{2} << 20;
} // namespace

void CPageSlabs::FreeSlab::operator()(std::byte* slab) const {
    std::free(slab);
}

std::byte* CPageSlabs::NextPage() {
    if (m_used == m_slabSize) {
        size_t size = m_slabs.empty() ? FirstSlab : std::min(m_slabSize * 2, LargestSlab);
        auto* slab = static_cast<std::byte*>(std::aligned_alloc(PageSize, size));
        VERIFY(slab);
        m_slabs.emplace_back(slab);
        m_slabSize = size;
        m_used = 0;
    }
    std::byte* page = m_slabs.back().get() + m_used;
    m_used += PageSize;
    return page;
}

void CPageSlabs::Clear() {
    m_slabs.clear();
    m_slabSize = 0;
    m_used = 0;
}

CTextStore::CTextStore() : m_body(std::make_shared<Body>()) {}

uint32_t CTextStore::Length() const {
    return m_body->length.load(std::memory_order_acquire);
}

void CTextStore::Append(char c) {
    Append(&c, 1);
}

uint32_t CTextStore::Append(const char* bytes, size_t count) {
    Body& body = *m_body;
    CSemLockGuard guard(body.lock);
    const uint32_t start = body.length.load(std::memory_order_relaxed);
    uint32_t length = start;
    // Offsets are 32-bit everywhere downstream; a document that large is cut
    // rather than wrapped around.
    count = std::min<size_t>(count, std::numeric_limits<uint32_t>::max() - length);
    while (count > 0) {
        if (body.free == 0) {
            // Readers reach the directory only below the length stored after it.
            if (!body.directory)
                body.directory = std::make_unique<Directory>();
            auto& table = (*body.directory)[body.pageCount / TablePages];
            if (!table)
                table = std::make_unique<PageTable>();
            (*table)[body.pageCount % TablePages] = reinterpret_cast<char*>(body.slabs.NextPage());
            ++body.pageCount;
            body.free = PageSize;
        }
        size_t part = std::min(count, body.free);
        char* write = body.Page(body.pageCount - 1) + (PageSize - body.free);
        std::memcpy(write, bytes, part);
        body.free -= part;
        length += static_cast<uint32_t>(part);
        bytes += part;
        count -= part;
    }
    body.length.store(length, std::memory_order_release);
    return start;
}

std::optional<std::string_view> CTextStore::View(uint32_t offset, uint32_t count) const {
    const Body& body = *m_body;
    const uint32_t length = body.length.load(std::memory_order_acquire);
    if (offset >= length)
        return std::string_view();
    count = std::min(count, length - offset);
    const size_t at = offset % PageSize;
    if (at + count > PageSize)
        return std::nullopt;
    return std::string_view(body.Page(offset / PageSize) + at, count);
}

std::string CTextStore::Copy(uint32_t offset, uint32_t count) const {
    const Body& body = *m_body;
    const uint32_t length = body.length.load(std::memory_order_acquire);
    if (offset >= length)
        return {};
    count = std::min(count, length - offset);
    std::string out;
    out.reserve(count);
    while (count > 0) {
        const size_t at = offset % PageSize;
        const size_t part = std::min<size_t>(count, PageSize - at);
        out.append(body.Page(offset / PageSize) + at, part);
        offset += static_cast<uint32_t>(part);
        count -= static_cast<uint32_t>(part);
    }
    return out;
}

uint16_t CTextStore::KeepLinkBase(std::string_view base) {
    Body& body = *m_body;
    if (base.empty())
        return 0;
    if (body.linkBaseCount > 0 && (*body.linkBases)[body.linkBaseCount - 1] == base)
        return body.linkBaseCount;
    if (body.linkBaseCount == MaxLinkBases)
        return 0;
    if (!body.linkBases)
        body.linkBases = std::make_unique<std::array<std::string_view, MaxLinkBases>>();
    (*body.linkBases)[body.linkBaseCount] = body.strings.Keep(base);
    return ++body.linkBaseCount;
}
