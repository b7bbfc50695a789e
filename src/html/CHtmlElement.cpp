#include "html/CHtmlElement.h"

#include <atomic>

namespace {
// One counter across all documents.
std::atomic<uint32_t> g_nextSerial{0};
} // namespace

uint32_t NextElementSerial() {
    return g_nextSerial.fetch_add(1, std::memory_order_relaxed);
}
