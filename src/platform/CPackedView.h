#pragma once

#include "platform/Verify.h"

#include <cstdint>
#include <cstring>
#include <string_view>

// An address kept as bytes, so that a record holding it needs only 4-byte
// alignment: the record pools pad every record that needs 8 by a word, and a
// long page holds millions of records.
template <class T> class CPackedPointer {
public:
    CPackedPointer() = default;
    CPackedPointer(T* pointer) { std::memcpy(m_bytes, &pointer, sizeof pointer); }
    [[nodiscard]] T* Get() const {
        T* pointer;
        std::memcpy(&pointer, m_bytes, sizeof pointer);
        return pointer;
    }

private:
    unsigned char m_bytes[sizeof(T*)] = {};
};

// A view of characters kept elsewhere (a page's string arena) in twelve bytes
// that need only 4-byte alignment, where a string_view takes sixteen and 8:
// a record holding one packs without padding, and a long page holds a
// quarter of a million links.
class CPackedView {
public:
    CPackedView() = default;
    CPackedView(std::string_view text)
        : m_data(text.data()), m_size(static_cast<uint32_t>(text.size())) {
        VERIFY(text.size() <= UINT32_MAX);
    }

    [[nodiscard]] std::string_view View() const { return {m_data.Get(), m_size}; }
    operator std::string_view() const { return View(); }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    [[nodiscard]] size_t size() const { return m_size; }

    friend bool operator==(CPackedView a, std::string_view b) { return a.View() == b; }

private:
    CPackedPointer<const char> m_data;
    uint32_t m_size = 0;
};
static_assert(sizeof(CPackedView) == 12 && alignof(CPackedView) == 4);
