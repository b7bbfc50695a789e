#pragma once

#include "platform/com/ComInterfaces.h"

#include <string>

class CRegistry;

// The component layer of the process: the registry that classes are found
// in and that controls register themselves into, and the in-process servers
// (shared libraries) loaded so far. Exactly one lives at a time, for as long
// as the application (or a test) that made it; the libraries are unloaded
// when it goes, so every object they made must have been released first.
class CComInitialization {
public:
    explicit CComInitialization(CRegistry& registry);
    ~CComInitialization();
    CComInitialization(const CComInitialization&) = delete;
    CComInitialization& operator=(const CComInitialization&) = delete;
};

// The registry of the live CComInitialization, or null.
CRegistry* ComRegistry();

// The class object of a class registered with an in-process server
// ("CLSID\{clsid}\InprocServer32"): REGDB_E_CLASSNOTREG when the class has
// no server, CO_E_DLLNOTFOUND when the library cannot be loaded,
// CO_E_ERRORINDLL when it exports no DllGetClassObject, else what that says.
[[nodiscard]] HRESULT CoGetClassObject(REFCLSID clsid, REFIID iid, void** object);
[[nodiscard]] HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object);

// Loads the library at path and calls its DllRegisterServer (or
// DllUnregisterServer), then unloads it again: the entry point's result, or
// CO_E_DLLNOTFOUND / CO_E_ERRORINDLL as above.
[[nodiscard]] HRESULT CoRegisterServer(const std::string& path, bool unregister);

// Makes the object whose class id the storage holds, gives it site as its
// client site, has it read its state from the storage, and hands out its
// interface iid.
[[nodiscard]] HRESULT OleLoad(IStorage* storage, REFIID iid, IOleClientSite* site, void** object);
