#include "platform/com/ComFont.h"
#include "platform/com/ComRuntime.h"

#include <atomic>
#include <new>
#include <strings.h>

namespace {

struct FontProperty {
    const char* name;
    DISPID id;
};
constexpr FontProperty kProperties[] = {
    {"Name", DISPID_FONT_NAME},       {"Size", DISPID_FONT_SIZE},
    {"Bold", DISPID_FONT_BOLD},       {"Italic", DISPID_FONT_ITALIC},
    {"Underline", DISPID_FONT_UNDER}, {"Strikethrough", DISPID_FONT_STRIKE},
    {"Weight", DISPID_FONT_WEIGHT},   {"Charset", DISPID_FONT_CHARSET},
};

// Fonts of this weight or more count as bold.
constexpr SHORT kBoldWeight = 600;

class CFontObject final : public IFont, public IDispatch {
public:
    explicit CFontObject(CFontDescription description) : m_description(std::move(description)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IFont)
            *object = static_cast<IFont*>(this);
        else if (riid == IID_IDispatch || riid == IID_IFontDisp)
            *object = static_cast<IDispatch*>(this);
        else
            *object = nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        ULONG left = --m_references;
        // The reference-counting core owns the object: it goes with its last
        // reference.
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT get_Name(BSTR* name) override {
        if (!name)
            return E_POINTER;
        *name = SysAllocStringLen(m_description.name.data(),
                                  static_cast<UINT>(m_description.name.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT get_Size(CY* points) override { return Give(points, m_description.size); }
    HRESULT get_Bold(BOOL* bold) override {
        return Give(bold, BOOL{m_description.weight >= kBoldWeight});
    }
    HRESULT get_Italic(BOOL* italic) override { return Give(italic, BOOL{m_description.italic}); }
    HRESULT get_Underline(BOOL* underline) override {
        return Give(underline, BOOL{m_description.underline});
    }
    HRESULT get_Strikethrough(BOOL* strikethrough) override {
        return Give(strikethrough, BOOL{m_description.strikethrough});
    }
    HRESULT get_Weight(SHORT* weight) override { return Give(weight, m_description.weight); }
    HRESULT get_Charset(SHORT* charset) override { return Give(charset, m_description.charset); }

    HRESULT GetTypeInfoCount(UINT* count) override { return Give(count, UINT{0}); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids)
            return E_POINTER;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (count == 0 || !names[0])
            return DISP_E_UNKNOWNNAME;
        for (const FontProperty& property : kProperties) {
            if (strcasecmp(property.name, names[0]) == 0) {
                ids[0] = property.id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        VARIANT value;
        VariantInit(&value);
        switch (id) {
        case DISPID_FONT_NAME:
            value.vt = VT_BSTR;
            if (FAILED(get_Name(&value.bstrVal)))
                return E_OUTOFMEMORY;
            break;
        case DISPID_FONT_SIZE:
            value.vt = VT_CY;
            value.cyVal = m_description.size;
            break;
        case DISPID_FONT_BOLD:
        case DISPID_FONT_ITALIC:
        case DISPID_FONT_UNDER:
        case DISPID_FONT_STRIKE:
            value.vt = VT_BOOL;
            value.boolVal = FlagOf(id) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case DISPID_FONT_WEIGHT:
            value.vt = VT_I2;
            value.iVal = m_description.weight;
            break;
        case DISPID_FONT_CHARSET:
            value.vt = VT_I2;
            value.iVal = m_description.charset;
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        if (result) {
            VariantClear(result);
            *result = value;
        } else {
            VariantClear(&value);
        }
        return S_OK;
    }

private:
    ~CFontObject() = default;

    template <class T> static HRESULT Give(T* out, T value) {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }
    bool FlagOf(DISPID id) const {
        switch (id) {
        case DISPID_FONT_BOLD:
            return m_description.weight >= kBoldWeight;
        case DISPID_FONT_ITALIC:
            return m_description.italic;
        case DISPID_FONT_UNDER:
            return m_description.underline;
        default:
            return m_description.strikethrough;
        }
    }

    std::atomic<ULONG> m_references{1};
    const CFontDescription m_description;
};

} // namespace

HRESULT OleCreateFontIndirect(const CFontDescription& description, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    auto* font = new (std::nothrow) CFontObject(description);
    if (!font)
        return E_OUTOFMEMORY;
    HRESULT hr = font->QueryInterface(iid, object);
    font->Release();
    return hr;
}
