#include "html/CHtmlParseState.h"

#include <algorithm>

namespace {
// Deeper nesting than this adds nothing to the look of a page; the cap keeps
// hostile pages from growing the stack without end.
constexpr size_t MaxSizeStack = 256;
} // namespace

void CHtmlParseState::AddStyle(uint32_t& counter, uint32_t bit) {
    if (++counter == 1)
        style |= bit;
}

void CHtmlParseState::RemoveStyle(uint32_t& counter, uint32_t bit) {
    if (counter == 0)
        return;
    if (--counter == 0)
        style &= ~bit;
}

void CHtmlParseState::SetSize(int32_t size) {
    if (sizeStack.size() < MaxSizeStack)
        sizeStack.push_back(style & TextStyle::SizeMask);
    else
        sizeStack.back() = style & TextStyle::SizeMask;
    uint32_t clamped = static_cast<uint32_t>(std::clamp(size, 1, 7));
    style = (style & ~TextStyle::SizeMask) | clamped;
}

void CHtmlParseState::PopSize() {
    uint32_t size = TextStyle::NormalSize;
    if (!sizeStack.empty()) {
        size = sizeStack.back();
        sizeStack.pop_back();
    }
    style = (style & ~TextStyle::SizeMask) | size;
}

void CHtmlParseState::ResetStyle() {
    fixedCount = boldCount = italicCount = underlineCount = 0;
    sizeStack.clear();
    style = TextStyle::NormalSize;
}
