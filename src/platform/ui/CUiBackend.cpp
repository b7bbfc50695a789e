#include "platform/ui/CUiBackend.h"

#include <atomic>

namespace {

std::atomic<CUiBackend*> g_ui{nullptr};

} // namespace

CUiBackend* CurrentUi() {
    return g_ui.load(std::memory_order_acquire);
}

void SetCurrentUi(CUiBackend* ui) {
    g_ui.store(ui, std::memory_order_release);
}
