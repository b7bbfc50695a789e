#pragma once

#include "platform/com/ComTypes.h"

#include <string>

class CRegistry;

// What the registry says about a control class.
enum class ControlClassResult {
    NotFound = 1,       // not registered, or not as a control
    ServerMissing = 2,  // registered, but its library is gone
    VersionDiffers = 3, // its library is of another product version
    NoServer = 4,       // registered without a library
    Found = 5,
};

struct CRegistryRecord {
    std::string classKey; // the class id text
    std::string serverPath;
    std::string progId;
    std::string typeLibrary;
};

// Looks a control class up under the classes root ("CLSID\{...}" with a
// "Control" key and an "InprocServer32" library). wantedVersion empty
// accepts any version.
[[nodiscard]] ControlClassResult FindControlClass(CRegistry& registry, const CLSID& clsid,
                                                  const std::string& wantedVersion,
                                                  CRegistryRecord& record);

// Calls DllRegisterServer (or DllUnregisterServer) of fileName, else of the
// record's server path: true when it returned a non-negative result. No
// name at all fails.
[[nodiscard]] bool RegisterServer(const CRegistryRecord& record, bool unregister,
                                  const std::string& fileName = {});
