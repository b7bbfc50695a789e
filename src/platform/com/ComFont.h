#pragma once

#include "platform/com/ComInterfaces.h"

#include <string>

// What a font object is made from.
struct CFontDescription {
    std::string name;
    CY size{}; // points × 10000
    SHORT weight = 400;
    SHORT charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
};

// A new font object answering IFont and its dispatch interface (IFontDisp,
// IDispatch), whose properties are read-only; the interface iid of it goes
// to object.
[[nodiscard]] HRESULT OleCreateFontIndirect(const CFontDescription& description, REFIID iid,
                                            void** object);
