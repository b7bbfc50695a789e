#include "controls/ControlClassLookup.h"

#include "platform/CRegistry.h"
#include "platform/com/ComHost.h"
#include "platform/com/ComRuntime.h"
#include "platform/version/ProductVersion.h"

#include <filesystem>
#include <system_error>

ControlClassResult FindControlClass(CRegistry& registry, const CLSID& clsid,
                                    const std::string& wantedVersion, CRegistryRecord& record) {
    record = {};
    char text[40];
    StringFromGUID2(clsid, text, sizeof text);
    // Key names match without regard to case, so the class's own key is
    // found whatever case its hexadecimal digits were written in.
    const std::string key = std::string("CLSID\\") + text;
    if (!registry.KeyExists(RegRoot::ClassesRoot, key) ||
        !registry.KeyExists(RegRoot::ClassesRoot, key + "\\Control"))
        return ControlClassResult::NotFound;
    std::string server =
        registry.GetString(RegRoot::ClassesRoot, key + "\\InprocServer32", "").value_or("");
    if (server.empty())
        return ControlClassResult::NoServer;
    record.serverPath = server;
    std::error_code error;
    if (!std::filesystem::exists(server, error)) {
        record.classKey = text;
        record.progId = registry.GetString(RegRoot::ClassesRoot, key + "\\ProgID", "").value_or("");
        record.typeLibrary =
            registry.GetString(RegRoot::ClassesRoot, key + "\\TypeLib", "").value_or("");
        return ControlClassResult::ServerMissing;
    }
    if (wantedVersion.empty() || ReadProductVersion(server) == wantedVersion)
        return ControlClassResult::Found;
    return ControlClassResult::VersionDiffers;
}

bool RegisterServer(const CRegistryRecord& record, bool unregister, const std::string& fileName) {
    const std::string& path = fileName.empty() ? record.serverPath : fileName;
    if (path.empty())
        return false;
    return SUCCEEDED(CoRegisterServer(path, unregister));
}
