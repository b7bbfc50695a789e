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
// error, not a crash. In the anonymous namespace of the one file that calls
// the library:
//
//     #define ZLIB_FUNCTIONS(X) X(crc32) X(adler32)
//     VESTRIAL_LATE_LIBRARY("libz.so.1", ZLIB_FUNCTIONS)
//     ... if (LateLibrary().IsLoaded()) g_late.crc32(...) ...
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

// The table (g_late, a member per function of list, typed as the function
// is) and LateLibrary(), which loads soname on its first call, from any
// thread, and fills the table.
#define VESTRIAL_LATE_LIBRARY(soname, list)                                                        \
    struct LateFunctions {                                                                         \
        list(VESTRIAL_LATE_SLOT)                                                                   \
    };                                                                                             \
    LateFunctions g_late;                                                                          \
    const CLateLibrary& LateLibrary() {                                                            \
        static const CLateLibrary library(soname, {list(VESTRIAL_LATE_ENTRY)});                    \
        return library;                                                                            \
    }
#define VESTRIAL_LATE_SLOT(name) decltype(&::name) name = nullptr;
#define VESTRIAL_LATE_ENTRY(name) CLateLibrary::Entry{#name, &g_late.name},
