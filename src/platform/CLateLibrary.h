#pragma once

#include <initializer_list>
#include <string>

// A library that only some pages need (TLS, compound files), loaded the first
// time one does instead of at every start: a linked library and all it links
// are mapped and relocated before main, which costs start-up time and
// resident memory whether or not a page ever uses them.
//
// Its functions are reached through a table of pointers declared from the
// library's own prototypes (decltype), so a changed prototype is a compile
// error, not a crash:
//
//     #define ZLIB_FUNCTIONS(X) X(crc32) X(adler32)
//     struct ZlibFunctions { ZLIB_FUNCTIONS(VESTRIAL_LATE_SLOT) } table;
//     #define ENTRY(name) {#name, &table.name},
//     CLateLibrary zlib("libz.so.1", {ZLIB_FUNCTIONS(ENTRY)});
//
// A library loaded so is never unloaded: exit handlers it registers itself
// (OpenSSL's do) must still find it mapped when the process ends.
class CLateLibrary {
public:
    struct Entry {
        const char* name;
        void* slot; // where the function's address goes: a function pointer
    };

    // Loads soname and fills every entry; when the library or any function of
    // it is missing, no slot is touched and Error() says which.
    CLateLibrary(const char* soname, std::initializer_list<Entry> entries);
    CLateLibrary(const CLateLibrary&) = delete;
    CLateLibrary& operator=(const CLateLibrary&) = delete;

    [[nodiscard]] bool IsLoaded() const { return m_error.empty(); }
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    std::string m_error;
};

// A table's member for the library function called name, typed as it is.
#define VESTRIAL_LATE_SLOT(name) decltype(&::name) name = nullptr;
