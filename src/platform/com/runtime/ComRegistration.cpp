#include "platform/com/ComRuntime.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>

namespace {

std::mutex g_hostMutex;
VSTREGISTRYHOST g_host{}; // guarded by g_hostMutex

std::string ClassKey(const CLSID& clsid) {
    char text[40];
    StringFromGUID2(clsid, text, sizeof text);
    return std::string("CLSID\\") + text;
}

// A progId names a key of its own under the classes root, so it must be a
// plain name.
bool ValidProgId(LPCOLESTR progId) {
    return progId && *progId && !std::strchr(progId, '\\');
}

} // namespace

void VstSetRegistryHost(const VSTREGISTRYHOST* host) {
    std::lock_guard lock(g_hostMutex);
    g_host = host ? *host : VSTREGISTRYHOST{};
}

HRESULT VstRegSetValue(LPCOLESTR key, LPCOLESTR name, LPCOLESTR value) {
    if (!key || !value)
        return E_INVALIDARG;
    std::lock_guard lock(g_hostMutex);
    if (!g_host.setValue)
        return E_UNEXPECTED;
    return g_host.setValue(g_host.context, key, name ? name : "", value);
}

HRESULT VstRegDeleteKey(LPCOLESTR key) {
    if (!key || !*key)
        return E_INVALIDARG;
    std::lock_guard lock(g_hostMutex);
    if (!g_host.deleteKey)
        return E_UNEXPECTED;
    return g_host.deleteKey(g_host.context, key);
}

int VstModuleFileName(const void* address, char* buffer, int size) {
    Dl_info info{};
    if (!address || !buffer || size <= 0 || !dladdr(address, &info) || !info.dli_fname)
        return 0;
    size_t length = std::strlen(info.dli_fname);
    if (length >= static_cast<size_t>(size) || length > INT_MAX)
        return 0;
    std::memcpy(buffer, info.dli_fname, length + 1);
    return static_cast<int>(length);
}

HRESULT VstRegisterControl(const VSTCONTROLCLASS* control, const void* addressInLibrary) {
    if (!control || !control->name || !ValidProgId(control->progId))
        return E_INVALIDARG;
    char path[4096];
    if (VstModuleFileName(addressInLibrary, path, sizeof path) == 0)
        return SELFREG_E_CLASS;
    const std::string key = ClassKey(control->clsid);
    char clsidText[40];
    StringFromGUID2(control->clsid, clsidText, sizeof clsidText);
    HRESULT hr = VstRegSetValue(key.c_str(), "", control->name);
    if (SUCCEEDED(hr))
        hr = VstRegSetValue((key + "\\Control").c_str(), "", "");
    if (SUCCEEDED(hr))
        hr = VstRegSetValue((key + "\\InprocServer32").c_str(), "", path);
    if (SUCCEEDED(hr))
        hr = VstRegSetValue((key + "\\ProgID").c_str(), "", control->progId);
    if (SUCCEEDED(hr) && control->typeLib)
        hr = VstRegSetValue((key + "\\TypeLib").c_str(), "", control->typeLib);
    if (SUCCEEDED(hr))
        hr = VstRegSetValue((std::string(control->progId) + "\\CLSID").c_str(), "", clsidText);
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_CLASS;
}

HRESULT VstUnregisterControl(const VSTCONTROLCLASS* control) {
    if (!control || !ValidProgId(control->progId))
        return E_INVALIDARG;
    // A key that is already gone (S_FALSE) is not a failure: the class is
    // unregistered.
    HRESULT hr = VstRegDeleteKey(ClassKey(control->clsid).c_str());
    if (SUCCEEDED(hr))
        hr = VstRegDeleteKey(control->progId);
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_CLASS;
}
