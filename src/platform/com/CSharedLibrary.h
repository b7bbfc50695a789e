#pragma once

#include <string>

// A shared library loaded with dlopen, unloaded with its owner. Its symbols
// stay private to it (they do not resolve other libraries' references).
class CSharedLibrary {
public:
    CSharedLibrary() = default;
    // Loads path now, resolving every symbol; IsLoaded() says whether it
    // worked, Error() why not.
    explicit CSharedLibrary(const std::string& path);
    CSharedLibrary(CSharedLibrary&& other) noexcept;
    CSharedLibrary& operator=(CSharedLibrary&& other) noexcept;
    CSharedLibrary(const CSharedLibrary&) = delete;
    CSharedLibrary& operator=(const CSharedLibrary&) = delete;
    ~CSharedLibrary();

    [[nodiscard]] bool IsLoaded() const { return m_handle != nullptr; }
    [[nodiscard]] const std::string& Error() const { return m_error; }
    // The exported function called name, or null.
    [[nodiscard]] void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;
    std::string m_error;
};
