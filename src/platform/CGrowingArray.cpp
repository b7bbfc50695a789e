#include "platform/CGrowingArray.h"

#include "platform/Verify.h"

#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

namespace GrowingMemory {
namespace {

size_t MappedSize(size_t bytes) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

} // namespace

void* Resize(void* old, size_t oldBytes, size_t newBytes) {
    VERIFY(newBytes >= oldBytes);
    if (newBytes < MapThreshold) {
        void* block = std::realloc(old, newBytes);
        VERIFY(block);
        return block;
    }
    if (oldBytes >= MapThreshold) {
        void* block = mremap(old, MappedSize(oldBytes), MappedSize(newBytes), MREMAP_MAYMOVE);
        VERIFY(block != MAP_FAILED);
        return block;
    }
    void* block = mmap(nullptr, MappedSize(newBytes), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    VERIFY(block != MAP_FAILED);
    if (old) {
        std::memcpy(block, old, oldBytes);
        std::free(old);
    }
    return block;
}

void Free(void* block, size_t bytes) {
    if (!block)
        return;
    if (bytes >= MapThreshold)
        munmap(block, MappedSize(bytes));
    else
        std::free(block);
}

} // namespace GrowingMemory
