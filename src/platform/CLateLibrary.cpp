#include "platform/CLateLibrary.h"

#include <cstring>
#include <dlfcn.h>
#include <vector>

CLateLibrary::CLateLibrary(const char* soname, std::initializer_list<Entry> entries) {
    dlerror();
    // Local: the library's names must not resolve anyone else's.
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        m_error = error ? error : std::string("cannot load ") + soname;
        return;
    }
    std::vector<void*> found;
    found.reserve(entries.size());
    for (const Entry& entry : entries) {
        void* address = dlsym(handle, entry.name);
        if (!address) {
            m_error = std::string(soname) + " has no function " + entry.name;
            dlclose(handle);
            return;
        }
        found.push_back(address);
    }
    // POSIX guarantees a function's address survives the trip through void*;
    // copying the bytes keeps the slot's own pointer type.
    auto address = found.begin();
    for (const Entry& entry : entries)
        std::memcpy(entry.slot, &*address++, sizeof(void*));
}
