#include "platform/com/ComStorage.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace {

// The bytes of a file held in memory, as lock bytes. Nothing changes them
// once made, so several threads may read them.
class CMemoryLockBytes final : public ILockBytes {
public:
    explicit CMemoryLockBytes(std::vector<uint8_t> block) : m_block(std::move(block)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ILockBytes) {
            *object = static_cast<ILockBytes*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        ULONG left = --m_references;
        // The reference-counting core owns the object (and with it the
        // block): both go with the last reference.
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT ReadAt(uint64_t offset, void* buffer, ULONG count, ULONG* read) override {
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        ULONG copied = 0;
        if (offset < m_block.size()) {
            copied = static_cast<ULONG>(std::min<uint64_t>(count, m_block.size() - offset));
            if (copied)
                std::memcpy(buffer, m_block.data() + offset, copied);
        }
        if (read)
            *read = copied;
        return S_OK;
    }
    HRESULT Stat(STATSTG* stat) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = {STGTY_LOCKBYTES, m_block.size(), GUID_NULL};
        return S_OK;
    }

private:
    ~CMemoryLockBytes() = default;

    std::atomic<ULONG> m_references{1};
    const std::vector<uint8_t> m_block;
};

} // namespace

HRESULT CreateLockBytesOnMemory(std::vector<uint8_t> block, ILockBytes** lockBytes) {
    if (!lockBytes)
        return E_POINTER;
    *lockBytes = new (std::nothrow) CMemoryLockBytes(std::move(block));
    return *lockBytes ? S_OK : E_OUTOFMEMORY;
}
