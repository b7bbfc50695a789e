#include "platform/com/CSharedLibrary.h"

#include <dlfcn.h>
#include <utility>

CSharedLibrary::CSharedLibrary(const std::string& path) {
    dlerror();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = dlerror();
        m_error = error ? error : "cannot load " + path;
    }
}

CSharedLibrary::CSharedLibrary(CSharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error)) {}

CSharedLibrary& CSharedLibrary::operator=(CSharedLibrary&& other) noexcept {
    std::swap(m_handle, other.m_handle);
    std::swap(m_error, other.m_error);
    return *this;
}

CSharedLibrary::~CSharedLibrary() {
    if (m_handle)
        dlclose(m_handle);
}

void* CSharedLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}
