#pragma once

// Owners for the run-time's resources: an interface reference, a counted
// string, a variant. Header-only, so controls may use them too.

#include "platform/com/ComRuntime.h"

#include <string>
#include <string_view>
#include <utility>

// One reference to an interface, released when the owner goes.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference of its own.
    explicit ComPtr(T* pointer) : m_pointer(pointer) {
        if (m_pointer)
            m_pointer->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_pointer) {}
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_pointer, other.m_pointer);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already holds.
    [[nodiscard]] static ComPtr Adopt(T* pointer) {
        ComPtr result;
        result.m_pointer = pointer;
        return result;
    }

    void Reset() {
        if (T* pointer = std::exchange(m_pointer, nullptr))
            pointer->Release();
    }
    // Gives the reference up to the caller.
    [[nodiscard]] T* Detach() { return std::exchange(m_pointer, nullptr); }
    // For functions that hand out a reference: releases the old one first.
    [[nodiscard]] T** Receive() {
        Reset();
        return &m_pointer;
    }
    [[nodiscard]] void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    [[nodiscard]] T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // The same object's interface iid, or null.
    template <class U> [[nodiscard]] ComPtr<U> As(REFIID iid) const {
        ComPtr<U> result;
        if (m_pointer && FAILED(m_pointer->QueryInterface(iid, result.ReceiveVoid())))
            result.Reset();
        return result;
    }

private:
    T* m_pointer = nullptr;
};

// A counted string, freed with its owner.
class CBstr {
public:
    CBstr() = default;
    explicit CBstr(std::string_view text)
        : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    CBstr(CBstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    CBstr& operator=(CBstr&& other) noexcept {
        std::swap(m_text, other.m_text);
        return *this;
    }
    ~CBstr() { SysFreeString(m_text); }

    [[nodiscard]] static CBstr Adopt(BSTR text) {
        CBstr result;
        result.m_text = text;
        return result;
    }
    [[nodiscard]] BSTR* Receive() {
        SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    [[nodiscard]] BSTR Detach() { return std::exchange(m_text, nullptr); }
    [[nodiscard]] BSTR Get() const { return m_text; }
    [[nodiscard]] std::string Str() const {
        return m_text ? std::string(m_text, SysStringLen(m_text)) : std::string();
    }

private:
    BSTR m_text = nullptr;
};

// A variant, cleared with its owner.
class CVariant {
public:
    CVariant() { VariantInit(&m_value); }
    CVariant(const CVariant& other) : CVariant() { (void)VariantCopy(&m_value, &other.m_value); }
    CVariant& operator=(const CVariant& other) {
        if (this != &other)
            (void)VariantCopy(&m_value, &other.m_value);
        return *this;
    }
    ~CVariant() { (void)VariantClear(&m_value); }

    [[nodiscard]] static CVariant Bool(bool value) {
        CVariant result;
        result.m_value.vt = VT_BOOL;
        result.m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return result;
    }
    [[nodiscard]] static CVariant I2(int16_t value) {
        CVariant result;
        result.m_value.vt = VT_I2;
        result.m_value.iVal = value;
        return result;
    }
    [[nodiscard]] static CVariant I4(int32_t value) {
        CVariant result;
        result.m_value.vt = VT_I4;
        result.m_value.lVal = value;
        return result;
    }
    [[nodiscard]] static CVariant String(std::string_view text) {
        CVariant result;
        result.m_value.vt = VT_BSTR;
        result.m_value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return result;
    }
    // Adds a reference of its own.
    [[nodiscard]] static CVariant Dispatch(IDispatch* dispatch) {
        CVariant result;
        result.m_value.vt = VT_DISPATCH;
        result.m_value.pdispVal = dispatch;
        if (dispatch)
            dispatch->AddRef();
        return result;
    }

    [[nodiscard]] VARIANT* Get() { return &m_value; }
    [[nodiscard]] const VARIANT* Get() const { return &m_value; }
    [[nodiscard]] VARTYPE Type() const { return m_value.vt; }
    [[nodiscard]] bool IsEmpty() const { return m_value.vt == VT_EMPTY; }
    // The text of a VT_BSTR, else empty.
    [[nodiscard]] std::string Text() const {
        if (m_value.vt != VT_BSTR || !m_value.bstrVal)
            return {};
        return std::string(m_value.bstrVal, SysStringLen(m_value.bstrVal));
    }

private:
    VARIANT m_value;
};
