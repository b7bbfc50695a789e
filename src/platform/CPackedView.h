#pragma once

#include "platform/Verify.h"

#include <cstdint>
#include <cstring>
#include <string_view>

// A view of characters kept elsewhere (a page's string arena) in twelve bytes
// that need only 4-byte alignment, where a string_view takes sixteen and 8:
// a record holding one packs without padding, and a long page holds a
// quarter of a million links.
class CPackedView {
public:
    CPackedView() = default;
    CPackedView(std::string_view text) : m_size(static_cast<uint32_t>(text.size())) {
        VERIFY(text.size() <= UINT32_MAX);
        const char* data = text.data();
        std::memcpy(m_data, &data, sizeof data);
    }

    [[nodiscard]] std::string_view View() const {
        const char* data;
        std::memcpy(&data, m_data, sizeof data);
        return {data, m_size};
    }
    operator std::string_view() const { return View(); }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    [[nodiscard]] size_t size() const { return m_size; }

    friend bool operator==(CPackedView a, std::string_view b) { return a.View() == b; }

private:
    unsigned char m_data[sizeof(const char*)] = {};
    uint32_t m_size = 0;
};
static_assert(sizeof(CPackedView) == 12 && alignof(CPackedView) == 4);
