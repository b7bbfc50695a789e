#pragma once

#include "platform/com/ComPtr.h"

#include <vector>

// Calls a member of a control's dispatch interface: arguments in declared
// order (they travel last first), the result (if wanted) converted to
// resultType unless that is VT_EMPTY.
[[nodiscard]] HRESULT InvokeHelper(IDispatch* dispatch, DISPID id, WORD flags,
                                   const std::vector<CVariant>& arguments, VARTYPE resultType,
                                   CVariant* result);
