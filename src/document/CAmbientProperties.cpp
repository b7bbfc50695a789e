#include "document/CAmbientProperties.h"

#include "platform/com/ComFont.h"

#include <strings.h>

namespace {

// The system colours of windows: their background and their text.
constexpr int32_t kWindowColor = 0x00FFFFFF;
constexpr int32_t kWindowTextColor = 0x00000000;
// The user's locale: US English.
constexpr int32_t kUserDefaultLocale = 0x0409;
// A fresh copy of an empty string has room for this many characters.
constexpr UINT kEmptyStringRoom = 32;

CVariant AmbientFont() {
    CFontDescription description;
    description.name = "MS Sans Serif";
    description.size.int64 = 8 * 10000;
    description.weight = 700;
    description.charset = 0;
    ComPtr<IDispatch> font;
    if (FAILED(OleCreateFontIndirect(description, IID_IFontDisp, font.ReceiveVoid())))
        return {};
    return CVariant::Dispatch(font.Get());
}

} // namespace

const char* AmbientTypeName(AmbientType type) {
    switch (type) {
    case AmbientType::Boolean:
        return "Boolean (T/F)";
    case AmbientType::Integer2:
        return "2-Byte Integer";
    case AmbientType::Integer4:
        return "4-Byte Integer";
    case AmbientType::Real4:
        return "4-Byte Real";
    case AmbientType::String:
        return "String";
    case AmbientType::Color:
        return "Color";
    case AmbientType::Font:
        return "Font";
    case AmbientType::Unknown:
        break;
    }
    return "Unknown (can't set value)";
}

CAmbientProperties::CAmbientProperties(const std::string& userDirectory) {
    m_standard = {
        {DISPID_AMBIENT_USERMODE, "UserMode", CVariant::Bool(true), AmbientType::Boolean},
        {DISPID_AMBIENT_UIDEAD, "UIDead", CVariant::Bool(false), AmbientType::Boolean},
        {DISPID_AMBIENT_SHOWHATCHING, "DisplayHatching", CVariant::Bool(false),
         AmbientType::Boolean},
        {DISPID_AMBIENT_SHOWGRABHANDLES, "DisplayGrabHandles", CVariant::Bool(false),
         AmbientType::Boolean},
        {DISPID_AMBIENT_TEXTALIGN, "TextAlign", CVariant::I2(0), AmbientType::Integer2},
        {DISPID_AMBIENT_BACKCOLOR, "BackColor", CVariant::I4(kWindowColor), AmbientType::Color},
        {DISPID_AMBIENT_FONT, "Font", AmbientFont(), AmbientType::Font},
        {DISPID_AMBIENT_FORECOLOR, "ForeColor", CVariant::I4(kWindowTextColor), AmbientType::Color},
        {DISPID_AMBIENT_SCALEUNITS, "ScaleUnits", CVariant::String(""), AmbientType::String},
        {DISPID_AMBIENT_DISPLAYNAME, "DisplayName", CVariant::String(""), AmbientType::String},
        {DISPID_AMBIENT_LOCALEID, "LocaleID", CVariant::I4(kUserDefaultLocale),
         AmbientType::Integer4},
        {DISPID_AMBIENT_MESSAGEREFLECT, "MessageReflect", CVariant::Bool(false),
         AmbientType::Boolean},
    };
    m_extended = {
        {DISPID_AMBIENT_USERDIRECTORY, "UserDirectory", CVariant::String(userDirectory),
         AmbientType::String},
    };
}

const CAmbientEntry* CAmbientProperties::Find(DISPID id) const {
    for (const auto* table : {&m_extended, &m_standard})
        for (const CAmbientEntry& entry : *table)
            if (entry.id == id)
                return entry.value.IsEmpty() ? nullptr : &entry;
    return nullptr;
}

DISPID CAmbientProperties::IdOf(std::string_view name) const {
    for (const auto* table : {&m_extended, &m_standard})
        for (const CAmbientEntry& entry : *table)
            if (entry.name.size() == name.size() &&
                strncasecmp(entry.name.c_str(), name.data(), name.size()) == 0)
                return entry.id;
    return DISPID_UNKNOWN;
}

HRESULT CAmbientProperties::GetValue(DISPID id, VARIANT* result) const {
    const CAmbientEntry* entry = Find(id);
    if (!entry)
        return DISP_E_MEMBERNOTFOUND;
    if (!result)
        return S_OK;
    if (entry->value.Type() == VT_BSTR && entry->value.Text().empty()) {
        VariantClear(result);
        result->vt = VT_BSTR;
        result->bstrVal = VstAllocStringCapacity(kEmptyStringRoom);
        return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    return VariantCopy(result, entry->value.Get());
}
