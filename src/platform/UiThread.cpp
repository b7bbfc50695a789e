#include "platform/UiThread.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<std::thread::id> g_uiThread{};

} // namespace

void MarkUiThread() {
    g_uiThread.store(std::this_thread::get_id(), std::memory_order_release);
}

bool IsUiThread() {
    std::thread::id ui = g_uiThread.load(std::memory_order_acquire);
    return ui == std::thread::id() || ui == std::this_thread::get_id();
}
