// A control that has no size until told one: its extent is 0 x 0, whatever
// the site sets, until its method Grow(width, height) (HIMETRIC units) gives
// it one and tells the site that its view changed.
#include "common/CControlBase.h"

namespace {

// {261831EE-7AC7-405D-B8ED-3351EAC3055A}
constexpr CLSID kGrowing = {
    0x261831EE, 0x7AC7, 0x405D, {0xB8, 0xED, 0x33, 0x51, 0xEA, 0xC3, 0x05, 0x5A}};
constexpr IID kDispatch = {
    0x261831EE, 0x7AC7, 0x405D, {0xB8, 0xED, 0x33, 0x51, 0xEA, 0xC3, 0x05, 0x5B}};
constexpr IID kEvents = {
    0x261831EE, 0x7AC7, 0x405D, {0xB8, 0xED, 0x33, 0x51, 0xEA, 0xC3, 0x05, 0x5C}};
constexpr DISPID kGrow = 1;

constexpr LPCOLESTR kGrowParams[] = {"Width", "Height"};
constexpr VSTMEMBER kMembers[] = {{"Grow", kGrow, VSTMEMBER_METHOD, VT_EMPTY, 2, kGrowParams}};

const CControlClass kClass = {{kGrowing, "Growing Control", "Vestrial.Test.Growing", nullptr},
                              kDispatch,
                              kEvents,
                              kMembers,
                              1,
                              nullptr,
                              0,
                              {0, 0}};

class CGrowing final : public CControlBase {
public:
    CGrowing() : CControlBase(kClass) {}

    HRESULT SetExtent(DWORD, const SIZEL*) override { return S_FALSE; }
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT || !size)
            return E_INVALIDARG;
        *size = m_extent;
        return S_OK;
    }
    HRESULT Advise(IAdviseSink* sink, DWORD* connection) override {
        m_sink = ComPtr<IAdviseSink>(sink);
        return CControlBase::Advise(sink, connection);
    }
    HRESULT Unadvise(DWORD connection) override {
        m_sink.Reset();
        return CControlBase::Unadvise(connection);
    }

private:
    void OnLoad(IStorage*) override {}
    void OnDraw(IDrawContext&, const RECT&) override {}
    HRESULT OnInvoke(DISPID id, WORD, DISPPARAMS& params, VARIANT*) override {
        if (id != kGrow || params.cArgs != 2)
            return DISP_E_MEMBERNOTFOUND;
        CVariant width;
        CVariant height;
        if (FAILED(VariantChangeType(width.Get(), &params.rgvarg[1], 0, VT_I4)) ||
            FAILED(VariantChangeType(height.Get(), &params.rgvarg[0], 0, VT_I4)))
            return DISP_E_TYPEMISMATCH;
        m_extent = {width.Get()->lVal, height.Get()->lVal};
        if (m_sink)
            m_sink->OnViewChange(DVASPECT_CONTENT, -1);
        return S_OK;
    }
    bool OnMessage(UINT, WPARAM, LPARAM) override { return false; }

    SIZEL m_extent{0, 0};
    ComPtr<IAdviseSink> m_sink;
};

CControlFactory g_factory(&CreateControlObject<CGrowing>);

} // namespace

VST_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return GetClassObjectFor(kClass, g_factory, clsid, iid, object);
}

VST_EXPORT HRESULT DllRegisterServer() {
    return VstRegisterControl(&kClass.registration,
                              reinterpret_cast<const void*>(&DllRegisterServer));
}

VST_EXPORT HRESULT DllUnregisterServer() {
    return VstUnregisterControl(&kClass.registration);
}
