#include "platform/com/ComHost.h"

#include "platform/CMutex.h"
#include "platform/CRegistry.h"
#include "platform/Verify.h"
#include "platform/com/CSharedLibrary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ComStorage.h"

#include <map>
#include <string>

namespace {

// The state of the live CComInitialization. Guarded by g_mutex: the registry
// hooks run on whichever thread a control registers on.
CMutex g_mutex;
CRegistry* g_registry GUARDED_BY(g_mutex) = nullptr;
// The in-process servers loaded so far, by path; they stay loaded until the
// initialisation ends, since their objects may live as long.
std::map<std::string, CSharedLibrary> g_libraries GUARDED_BY(g_mutex);

HRESULT HostSetValue(void* context, LPCOLESTR key, LPCOLESTR name, LPCOLESTR value) {
    auto* registry = static_cast<CRegistry*>(context);
    return registry->SetString(RegRoot::ClassesRoot, key, name, value) ? S_OK : E_FAIL;
}

HRESULT HostDeleteKey(void* context, LPCOLESTR key) {
    auto* registry = static_cast<CRegistry*>(context);
    if (!registry->KeyExists(RegRoot::ClassesRoot, key))
        return S_FALSE;
    return registry->DeleteKey(RegRoot::ClassesRoot, key) ? S_OK : E_FAIL;
}

std::string ServerPathOf(REFCLSID clsid) {
    char text[40];
    StringFromGUID2(clsid, text, sizeof text);
    CMutexGuard lock(g_mutex);
    if (!g_registry)
        return {};
    return g_registry
        ->GetString(RegRoot::ClassesRoot, std::string("CLSID\\") + text + "\\InprocServer32", "")
        .value_or("");
}

// The library at path, loaded once; null when it cannot be loaded.
const CSharedLibrary* LoadedLibrary(const std::string& path) {
    CMutexGuard lock(g_mutex);
    auto found = g_libraries.find(path);
    if (found == g_libraries.end()) {
        CSharedLibrary library(path);
        if (!library.IsLoaded())
            return nullptr;
        found = g_libraries.emplace(path, std::move(library)).first;
    }
    return &found->second;
}

} // namespace

CComInitialization::CComInitialization(CRegistry& registry) {
    CMutexGuard lock(g_mutex);
    VERIFY(g_registry == nullptr);
    g_registry = &registry;
    VSTREGISTRYHOST host{HostSetValue, HostDeleteKey, &registry};
    VstSetRegistryHost(&host);
}

CComInitialization::~CComInitialization() {
    VstSetRegistryHost(nullptr);
    std::map<std::string, CSharedLibrary> libraries;
    {
        CMutexGuard lock(g_mutex);
        g_registry = nullptr;
        libraries.swap(g_libraries);
    }
}

CRegistry* ComRegistry() {
    CMutexGuard lock(g_mutex);
    return g_registry;
}

HRESULT CoGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    std::string path = ServerPathOf(clsid);
    if (path.empty())
        return REGDB_E_CLASSNOTREG;
    const CSharedLibrary* library = LoadedLibrary(path);
    if (!library)
        return CO_E_DLLNOTFOUND;
    auto entry = reinterpret_cast<PFN_DLLGETCLASSOBJECT>(library->Symbol("DllGetClassObject"));
    if (!entry)
        return CO_E_ERRORINDLL;
    HRESULT hr = entry(clsid, iid, object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    if (!factory)
        return CLASS_E_CLASSNOTAVAILABLE;
    hr = factory->CreateInstance(nullptr, iid, object);
    if (FAILED(hr))
        *object = nullptr;
    else if (!*object)
        hr = E_NOINTERFACE;
    return hr;
}

HRESULT CoRegisterServer(const std::string& path, bool unregister) {
    if (path.empty())
        return CO_E_DLLNOTFOUND;
    CSharedLibrary library(path);
    if (!library.IsLoaded())
        return CO_E_DLLNOTFOUND;
    auto entry = reinterpret_cast<PFN_DLLREGISTERSERVER>(
        library.Symbol(unregister ? "DllUnregisterServer" : "DllRegisterServer"));
    return entry ? entry() : CO_E_ERRORINDLL;
}

HRESULT OleLoad(IStorage* storage, REFIID iid, IOleClientSite* site, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    CLSID clsid;
    HRESULT hr = ReadClassStg(storage, &clsid);
    if (FAILED(hr))
        return hr;
    ComPtr<IUnknown> unknown;
    hr = CoCreateInstance(clsid, nullptr, IID_IUnknown, unknown.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    // The site first, so that the object can ask for ambient properties
    // while it reads its state.
    if (auto ole = unknown.As<IOleObject>(IID_IOleObject); ole && site) {
        hr = ole->SetClientSite(site);
        if (FAILED(hr))
            return hr;
    }
    auto persist = unknown.As<IPersistStorage>(IID_IPersistStorage);
    if (!persist)
        return E_NOINTERFACE;
    hr = persist->Load(storage);
    if (FAILED(hr)) {
        // The object must not keep the site of a creation that failed.
        if (auto ole = unknown.As<IOleObject>(IID_IOleObject))
            (void)ole->SetClientSite(nullptr);
        return hr;
    }
    return unknown->QueryInterface(iid, object);
}
