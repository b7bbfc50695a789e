#include "platform/CLateLibrary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComStorage.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <memory>
#include <mutex>
#include <new>
#include <string>

// Storages and streams of a compound file, read with libgsf. The file's
// bytes are copied once from the lock bytes into a block that the root and
// every storage and stream opened below it share, so that any of them may
// outlive the others.

namespace {

// libgsf and the GLib libraries below it are loaded when the first compound
// file is opened; most sessions never open one. These are the functions this
// file calls, directly or through GLib's type-check macros.
#define GSF_FUNCTIONS(X)                                                                           \
    X(g_error_free)                                                                                \
    X(g_log_set_handler)                                                                           \
    X(g_object_unref)                                                                              \
    X(g_type_check_instance_cast)                                                                  \
    X(g_type_check_instance_is_a)                                                                  \
    X(gsf_infile_child_by_index)                                                                   \
    X(gsf_infile_get_type)                                                                         \
    X(gsf_infile_msole_get_class_id)                                                               \
    X(gsf_infile_msole_get_type)                                                                   \
    X(gsf_infile_msole_new)                                                                        \
    X(gsf_infile_name_by_index)                                                                    \
    X(gsf_infile_num_children)                                                                     \
    X(gsf_init)                                                                                    \
    X(gsf_input_memory_new)                                                                        \
    X(gsf_input_read)                                                                              \
    X(gsf_input_remaining)                                                                         \
    X(gsf_input_seek)                                                                              \
    X(gsf_input_size)                                                                              \
    X(gsf_input_tell)

VESTRIAL_LATE_LIBRARY(VESTRIAL_LIBGSF, GSF_FUNCTIONS)

// From here on the library's names are its loaded functions.
#define g_error_free g_late.g_error_free
#define g_log_set_handler g_late.g_log_set_handler
#define g_object_unref g_late.g_object_unref
#define g_type_check_instance_cast g_late.g_type_check_instance_cast
#define g_type_check_instance_is_a g_late.g_type_check_instance_is_a
#define gsf_infile_child_by_index g_late.gsf_infile_child_by_index
#define gsf_infile_get_type g_late.gsf_infile_get_type
#define gsf_infile_msole_get_class_id g_late.gsf_infile_msole_get_class_id
#define gsf_infile_msole_get_type g_late.gsf_infile_msole_get_type
#define gsf_infile_msole_new g_late.gsf_infile_msole_new
#define gsf_infile_name_by_index g_late.gsf_infile_name_by_index
#define gsf_infile_num_children g_late.gsf_infile_num_children
#define gsf_init g_late.gsf_init
#define gsf_input_memory_new g_late.gsf_input_memory_new
#define gsf_input_read g_late.gsf_input_read
#define gsf_input_remaining g_late.gsf_input_remaining
#define gsf_input_seek g_late.gsf_input_seek
#define gsf_input_size g_late.gsf_input_size
#define gsf_input_tell g_late.gsf_input_tell

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
using GsfInputPtr = std::unique_ptr<GsfInput, GObjectUnref>;
using Block = std::shared_ptr<const std::vector<uint8_t>>;

void IgnoreMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void InitialiseGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file is a failure to open it, reported as such; libgsf's
        // own complaints about it would only reach the terminal.
        for (const char* domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain,
                              static_cast<GLogLevelFlags>(
                                  G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                              IgnoreMessage, nullptr);
    });
}

// Names reach us in Latin-1 and come from libgsf in UTF-8.
std::string Utf8FromLatin1(const char* text) {
    std::string result;
    for (const char* c = text; *c; ++c) {
        auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x80) {
            result += static_cast<char>(byte);
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}

// The file format compares element names without regard to the case of
// ASCII letters (libgsf's own lookup is exact).
bool SameName(const std::string& a, const char* b) {
    size_t length = std::char_traits<char>::length(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x < 0x80 && y < 0x80 ? std::tolower(x) != std::tolower(y) : x != y)
            return false;
    }
    return true;
}

CLSID ClassIdFromBytes(const uint8_t bytes[16]) {
    CLSID clsid{};
    clsid.Data1 = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                  uint32_t{bytes[3]} << 24;
    clsid.Data2 = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    clsid.Data3 = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    std::copy(bytes + 8, bytes + 16, clsid.Data4);
    return clsid;
}

template <class Interface> class CRefCounted : public Interface {
public:
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        ULONG left = --m_references;
        // The reference-counting core owns the object: it goes with its last
        // reference.
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~CRefCounted() = default;
    HRESULT Answer(REFIID riid, REFIID own, void** object) {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == own) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> m_references{1};
};

class CGsfStream final : public CRefCounted<IStream> {
public:
    CGsfStream(Block block, GsfInputPtr input)
        : m_block(std::move(block)), m_input(std::move(input)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return Answer(riid, IID_IStream, object);
    }
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
        if (read)
            *read = 0;
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        gsf_off_t remaining = gsf_input_remaining(m_input.get());
        ULONG wanted =
            static_cast<ULONG>(std::min<gsf_off_t>(count, std::max<gsf_off_t>(remaining, 0)));
        if (wanted == 0)
            return S_OK;
        if (!gsf_input_read(m_input.get(), wanted, static_cast<guint8*>(buffer)))
            return STG_E_READFAULT;
        if (read)
            *read = wanted;
        return S_OK;
    }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
        GSeekType whence = origin == STREAM_SEEK_SET   ? G_SEEK_SET
                           : origin == STREAM_SEEK_CUR ? G_SEEK_CUR
                           : origin == STREAM_SEEK_END ? G_SEEK_END
                                                       : static_cast<GSeekType>(-1);
        if (whence == static_cast<GSeekType>(-1))
            return STG_E_INVALIDFUNCTION;
        // gsf_input_seek answers TRUE on failure.
        if (gsf_input_seek(m_input.get(), move, whence))
            return STG_E_INVALIDFUNCTION;
        if (newPosition)
            *newPosition = static_cast<uint64_t>(gsf_input_tell(m_input.get()));
        return S_OK;
    }
    HRESULT Stat(STATSTG* stat) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = {STGTY_STREAM, static_cast<uint64_t>(gsf_input_size(m_input.get())), GUID_NULL};
        return S_OK;
    }

private:
    Block m_block; // the bytes m_input reads
    GsfInputPtr m_input;
};

class CGsfStorage final : public CRefCounted<IStorage> {
public:
    CGsfStorage(Block block, GsfInputPtr infile)
        : m_block(std::move(block)), m_infile(std::move(infile)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return Answer(riid, IID_IStorage, object);
    }
    HRESULT OpenStream(LPCOLESTR name, DWORD, IStream** stream) override {
        if (!stream)
            return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        GsfInputPtr child = Child(name, false);
        if (!child)
            return STG_E_FILENOTFOUND;
        *stream = new (std::nothrow) CGsfStream(m_block, std::move(child));
        return *stream ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT OpenStorage(LPCOLESTR name, DWORD, IStorage** storage) override {
        if (!storage)
            return STG_E_INVALIDPOINTER;
        *storage = nullptr;
        GsfInputPtr child = Child(name, true);
        if (!child)
            return STG_E_FILENOTFOUND;
        *storage = new (std::nothrow) CGsfStorage(m_block, std::move(child));
        return *storage ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Stat(STATSTG* stat) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        uint8_t bytes[16] = {};
        if (!gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(m_infile.get()), bytes))
            return STG_E_READFAULT;
        *stat = {STGTY_STORAGE, 0, ClassIdFromBytes(bytes)};
        return S_OK;
    }

private:
    // The child called name that is a storage (or a stream), or null.
    GsfInputPtr Child(LPCOLESTR name, bool wantStorage) {
        if (!name)
            return nullptr;
        GsfInfile* infile = GSF_INFILE(m_infile.get());
        const std::string wanted = Utf8FromLatin1(name);
        int count = gsf_infile_num_children(infile);
        for (int i = 0; i < count; ++i) {
            const char* childName = gsf_infile_name_by_index(infile, i);
            if (!childName || !SameName(wanted, childName))
                continue;
            GsfInputPtr child(gsf_infile_child_by_index(infile, i));
            if (!child)
                return nullptr;
            // A stream has no children at all (-1); a storage has a count.
            bool isStorage =
                GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
            return isStorage == wantStorage ? std::move(child) : nullptr;
        }
        return nullptr;
    }

    Block m_block; // the bytes m_infile reads
    GsfInputPtr m_infile;
};

} // namespace

HRESULT StgOpenStorageOnILockBytes(ILockBytes* lockBytes, DWORD, IStorage** storage) {
    if (!storage)
        return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (!lockBytes)
        return STG_E_INVALIDPOINTER;
    STATSTG stat{};
    if (FAILED(lockBytes->Stat(&stat)))
        return STG_E_READFAULT;
    // A compound file is at least its 512-byte header; and the bytes must
    // fit in memory at once.
    constexpr uint64_t kHeaderSize = 512;
    if (stat.cbSize < kHeaderSize)
        return STG_E_INVALIDHEADER;
    if (stat.cbSize > UINT32_MAX)
        return E_OUTOFMEMORY;
    auto bytes = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(stat.cbSize));
    ULONG read = 0;
    if (FAILED(lockBytes->ReadAt(0, bytes->data(), static_cast<ULONG>(bytes->size()), &read)) ||
        read != bytes->size())
        return STG_E_READFAULT;
    // Without the reader the file cannot be opened, though it may be sound.
    if (!LateLibrary().IsLoaded())
        return CO_E_DLLNOTFOUND;
    InitialiseGsfOnce();
    GsfInputPtr source(
        gsf_input_memory_new(bytes->data(), static_cast<gsf_off_t>(bytes->size()), FALSE));
    if (!source)
        return E_OUTOFMEMORY;
    GError* error = nullptr;
    // The infile takes a reference of its own to source.
    GsfInputPtr root(reinterpret_cast<GsfInput*>(gsf_infile_msole_new(source.get(), &error)));
    if (error)
        g_error_free(error);
    if (!root)
        return STG_E_INVALIDHEADER;
    *storage = new (std::nothrow) CGsfStorage(std::move(bytes), std::move(root));
    return *storage ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReadClassStg(IStorage* storage, CLSID* clsid) {
    if (!storage || !clsid)
        return E_INVALIDARG;
    STATSTG stat{};
    HRESULT hr = storage->Stat(&stat);
    if (FAILED(hr))
        return hr;
    *clsid = stat.clsid;
    return S_OK;
}
