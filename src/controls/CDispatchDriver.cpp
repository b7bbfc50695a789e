#include "controls/CDispatchDriver.h"

HRESULT InvokeHelper(IDispatch* dispatch, DISPID id, WORD flags,
                     const std::vector<CVariant>& arguments, VARTYPE resultType, CVariant* result) {
    if (!dispatch)
        return E_POINTER;
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        reversed.push_back(*it->Get());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    CVariant answer;
    HRESULT hr = dispatch->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, flags, &params, answer.Get(),
                                  nullptr, nullptr);
    if (FAILED(hr) || !result)
        return hr;
    if (resultType == VT_EMPTY || answer.Type() == resultType) {
        *result = answer;
        return hr;
    }
    return VariantChangeType(result->Get(), answer.Get(), 0, resultType);
}
