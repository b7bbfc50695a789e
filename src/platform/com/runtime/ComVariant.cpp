#include "platform/com/ComRuntime.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <strings.h>

namespace {

// The value a variant stands for when it is converted: a number or a text.
struct Scalar {
    bool isText = false;
    int64_t number = 0;
    std::string text;
};

std::optional<Scalar> ReadScalar(const VARIANT& value) {
    const bool byRef = (value.vt & VT_BYREF) != 0;
    const VARTYPE type = value.vt & ~VT_BYREF;
    if (byRef && !value.byref)
        return std::nullopt;
    Scalar scalar;
    switch (type) {
    case VT_EMPTY:
        return byRef ? std::nullopt : std::optional<Scalar>(scalar);
    case VT_BOOL:
        scalar.number = (byRef ? *value.pboolVal : value.boolVal) ? -1 : 0;
        return scalar;
    case VT_I2:
        scalar.number = byRef ? *value.piVal : value.iVal;
        return scalar;
    case VT_I4:
        scalar.number = byRef ? *value.plVal : value.lVal;
        return scalar;
    case VT_UI1:
        scalar.number = byRef ? *static_cast<const uint8_t*>(value.byref) : value.bVal;
        return scalar;
    case VT_BSTR: {
        BSTR text = byRef ? *value.pbstrVal : value.bstrVal;
        scalar.isText = true;
        scalar.text.assign(text ? text : "", SysStringLen(text));
        return scalar;
    }
    default:
        return std::nullopt;
    }
}

// Text as a number: "True" and "False" (any case) or a decimal integer.
std::optional<int64_t> NumberFromText(const std::string& text) {
    if (strcasecmp(text.c_str(), "true") == 0)
        return -1;
    if (strcasecmp(text.c_str(), "false") == 0)
        return 0;
    if (text.empty() || text.find('\0') != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long number = std::strtoll(text.c_str(), &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (errno != 0 || !end || *end != '\0')
        return std::nullopt;
    return number;
}

template <class T> bool Fits(int64_t number) {
    return number >= std::numeric_limits<T>::min() && number <= std::numeric_limits<T>::max();
}

} // namespace

void VariantInit(VARIANT* value) {
    if (value)
        std::memset(value, 0, sizeof *value);
}

HRESULT VariantClear(VARIANT* value) {
    if (!value)
        return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (value->punkVal)
            value->punkVal->Release();
        break;
    default:
        break; // numbers, and references, which the variant does not own
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source)
        return E_INVALIDARG;
    if (destination == source)
        return S_OK;
    VARIANT copy = *source;
    if (source->vt == VT_BSTR && source->bstrVal) {
        copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) && source->punkVal) {
        source->punkVal->AddRef();
    }
    VariantClear(destination);
    *destination = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, WORD, VARTYPE type) {
    if (!destination || !source)
        return E_INVALIDARG;
    if (source->vt == type)
        return VariantCopy(destination, source);
    std::optional<Scalar> scalar = ReadScalar(*source);
    if (!scalar)
        return DISP_E_TYPEMISMATCH;
    VARIANT result;
    VariantInit(&result);
    result.vt = type;
    if (type == VT_BSTR) {
        std::string text = scalar->isText ? scalar->text : std::to_string(scalar->number);
        if (source->vt == VT_BOOL)
            text = scalar->number ? "True" : "False";
        result.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!result.bstrVal)
            return E_OUTOFMEMORY;
    } else {
        std::optional<int64_t> number =
            scalar->isText ? NumberFromText(scalar->text) : scalar->number;
        if (!number)
            return DISP_E_TYPEMISMATCH;
        switch (type) {
        case VT_BOOL:
            result.boolVal = *number ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_I2:
            if (!Fits<int16_t>(*number))
                return DISP_E_OVERFLOW;
            result.iVal = static_cast<int16_t>(*number);
            break;
        case VT_I4:
            if (!Fits<int32_t>(*number))
                return DISP_E_OVERFLOW;
            result.lVal = static_cast<int32_t>(*number);
            break;
        case VT_UI1:
            if (!Fits<uint8_t>(*number))
                return DISP_E_OVERFLOW;
            result.bVal = static_cast<uint8_t>(*number);
            break;
        default:
            return DISP_E_TYPEMISMATCH;
        }
    }
    // The source may be the destination: clear only once the result exists.
    VariantClear(destination);
    *destination = result;
    return S_OK;
}
