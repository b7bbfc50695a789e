#include "html/CHtmlElement.h"

#include <atomic>

namespace {
// Every element ever made gets the next number, across all documents.
std::atomic<uint32_t> g_nextSerial{0};
} // namespace

CHtmlElement::CHtmlElement(ElementKind k)
    : kind(k), serial(g_nextSerial.fetch_add(1, std::memory_order_relaxed)) {}
