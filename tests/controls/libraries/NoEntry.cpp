// A control library that registers a class but cannot make it: it exports
// no DllGetClassObject.
#include "platform/com/VestrialControl.h"

namespace {

// {8374DE9F-F102-4729-8E60-F45FF6AB9DA0}
constexpr VSTCONTROLCLASS kClass = {
    {0x8374DE9F, 0xF102, 0x4729, {0x8E, 0x60, 0xF4, 0x5F, 0xF6, 0xAB, 0x9D, 0xA0}},
    "No Entry Control",
    "Vestrial.Test.NoEntry",
    nullptr};

} // namespace

VST_EXPORT HRESULT DllRegisterServer() {
    return VstRegisterControl(&kClass, reinterpret_cast<const void*>(&DllRegisterServer));
}

VST_EXPORT HRESULT DllUnregisterServer() {
    return VstUnregisterControl(&kClass);
}
