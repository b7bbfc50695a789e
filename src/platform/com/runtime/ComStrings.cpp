#include "platform/com/ComRuntime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A counted string is one block: the count, the bytes, a zero byte. The
// pointer handed out points at the bytes, so it reads as a C string too.
constexpr size_t kCountSize = sizeof(uint32_t);

BSTR AllocateCounted(UINT count, UINT capacity) {
    if (capacity < count)
        capacity = count;
    if (capacity > UINT32_MAX - kCountSize - 1)
        return nullptr;
    auto* block = static_cast<char*>(std::calloc(1, kCountSize + capacity + 1));
    if (!block)
        return nullptr;
    uint32_t stored = count;
    std::memcpy(block, &stored, kCountSize);
    return block + kCountSize;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads digits hexadecimal digits at text; false when one is not.
bool ReadHex(const char*& text, int digits, uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int digit = HexValue(*text);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<uint64_t>(digit);
        ++text;
    }
    return true;
}

bool Expect(const char*& text, char c) {
    if (*text != c)
        return false;
    ++text;
    return true;
}

} // namespace

BSTR SysAllocString(LPCOLESTR text) {
    return SysAllocStringLen(text, text ? static_cast<UINT>(std::strlen(text)) : 0);
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT count) {
    BSTR result = AllocateCounted(count, count);
    if (result && text)
        std::memcpy(result, text, count);
    return result;
}

BSTR VstAllocStringCapacity(UINT capacity) {
    return AllocateCounted(0, capacity);
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(text - kCountSize);
}

UINT SysStringLen(BSTR text) {
    if (!text)
        return 0;
    uint32_t count;
    std::memcpy(&count, text - kCountSize, kCountSize);
    return count;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size) {
    constexpr int kLength = 39;
    if (!buffer || size < kLength)
        return 0;
    std::snprintf(buffer, static_cast<size_t>(size),
                  "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return kLength;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    if (!text || !clsid)
        return E_INVALIDARG;
    CLSID result{};
    uint64_t value;
    const char* at = text;
    if (!Expect(at, '{') || !ReadHex(at, 8, value))
        return E_INVALIDARG;
    result.Data1 = static_cast<uint32_t>(value);
    if (!Expect(at, '-') || !ReadHex(at, 4, value))
        return E_INVALIDARG;
    result.Data2 = static_cast<uint16_t>(value);
    if (!Expect(at, '-') || !ReadHex(at, 4, value))
        return E_INVALIDARG;
    result.Data3 = static_cast<uint16_t>(value);
    if (!Expect(at, '-'))
        return E_INVALIDARG;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(at, '-'))
            return E_INVALIDARG;
        if (!ReadHex(at, 2, value))
            return E_INVALIDARG;
        result.Data4[i] = static_cast<uint8_t>(value);
    }
    if (!Expect(at, '}') || *at != '\0')
        return E_INVALIDARG;
    *clsid = result;
    return S_OK;
}
