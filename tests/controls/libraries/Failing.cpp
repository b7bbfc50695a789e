// A control library whose controls cannot be made: one class's factory
// fails, the other's control fails to read its saved state.
#include "common/CControlBase.h"

namespace {

// {48BE51F0-BE80-4C9E-A129-EEA496FF0A0A}
constexpr CLSID kFactoryFails = {
    0x48BE51F0, 0xBE80, 0x4C9E, {0xA1, 0x29, 0xEE, 0xA4, 0x96, 0xFF, 0x0A, 0x0A}};
// {9E4F1C83-E3AC-4FAF-A582-83EA42F25D25}
constexpr CLSID kLoadFails = {
    0x9E4F1C83, 0xE3AC, 0x4FAF, {0xA5, 0x82, 0x83, 0xEA, 0x42, 0xF2, 0x5D, 0x25}};
constexpr IID kDispatch = {
    0x9E4F1C83, 0xE3AC, 0x4FAF, {0xA5, 0x82, 0x83, 0xEA, 0x42, 0xF2, 0x5D, 0x26}};
constexpr IID kEvents = {
    0x9E4F1C83, 0xE3AC, 0x4FAF, {0xA5, 0x82, 0x83, 0xEA, 0x42, 0xF2, 0x5D, 0x27}};

const CControlClass kLoadFailsClass = {
    {kLoadFails, "Load Fails Control", "Vestrial.Test.LoadFails", nullptr},
    kDispatch,
    kEvents,
    nullptr,
    0,
    nullptr,
    0,
    {40, 20}};
const VSTCONTROLCLASS kFactoryFailsClass = {kFactoryFails, "Factory Fails Control",
                                            "Vestrial.Test.FactoryFails", nullptr};

class CLoadFails final : public CControlBase {
public:
    CLoadFails() : CControlBase(kLoadFailsClass) {}
    HRESULT Load(IStorage*) override { return STG_E_READFAULT; }

private:
    void OnLoad(IStorage*) override {}
    void OnDraw(IDrawContext&, const RECT&) override {}
    HRESULT OnInvoke(DISPID, WORD, DISPPARAMS&, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }
    bool OnMessage(UINT, WPARAM, LPARAM) override { return false; }
};

HRESULT OutOfMemory(REFIID, void** object) {
    *object = nullptr;
    return E_OUTOFMEMORY;
}

CControlFactory g_failingFactory(&OutOfMemory);
CControlFactory g_loadFailsFactory(&CreateControlObject<CLoadFails>);

} // namespace

VST_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (clsid == kFactoryFails)
        return g_failingFactory.QueryInterface(iid, object);
    return GetClassObjectFor(kLoadFailsClass, g_loadFailsFactory, clsid, iid, object);
}

VST_EXPORT HRESULT DllRegisterServer() {
    const void* self = reinterpret_cast<const void*>(&DllRegisterServer);
    HRESULT hr = VstRegisterControl(&kFactoryFailsClass, self);
    return SUCCEEDED(hr) ? VstRegisterControl(&kLoadFailsClass.registration, self) : hr;
}

VST_EXPORT HRESULT DllUnregisterServer() {
    HRESULT hr = VstUnregisterControl(&kFactoryFailsClass);
    return SUCCEEDED(hr) ? VstUnregisterControl(&kLoadFailsClass.registration) : hr;
}
