// vestrial-regsvr: enters control libraries in the browser's registry (or,
// with -u, removes them) by calling their DllRegisterServer or
// DllUnregisterServer, as the browser does when it installs a control.
// The registry is the browser's own file; run it while the browser is not
// running, since the browser rewrites the file from what it holds.

#include "platform/CRegistry.h"
#include "platform/com/ComHost.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int Usage(int status) {
    std::fprintf(status ? stderr : stdout,
                 "usage: vestrial-regsvr [-u] LIBRARY.ocx...\n"
                 "Registers (or with -u unregisters) controls in %s\n",
                 CRegistry::DefaultPath().c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    std::vector<std::string> libraries;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-u")
            unregister = true;
        else if (argument == "-h" || argument == "--help")
            return libraries.clear(), Usage(0);
        else
            libraries.push_back(argument);
    }
    if (libraries.empty())
        return Usage(2);
    CRegistry registry(CRegistry::DefaultPath());
    CComInitialization com(registry);
    int status = 0;
    for (const std::string& library : libraries) {
        std::error_code error;
        std::filesystem::path path = std::filesystem::absolute(library, error);
        HRESULT hr = CoRegisterServer(path.string(), unregister);
        if (FAILED(hr)) {
            std::fprintf(stderr, "vestrial-regsvr: %s: %s failed (0x%08X)\n", library.c_str(),
                         unregister ? "DllUnregisterServer" : "DllRegisterServer",
                         static_cast<unsigned>(hr));
            status = 1;
        }
    }
    return status;
}
