#pragma once

#include "platform/com/ComInterfaces.h"

#include <cstdint>
#include <vector>

// Compound files (structured storage) read from memory. The storages and
// streams are read-only: every opening mode reads, and Commit has nothing
// to write. Each storage, stream and lock bytes object may be used by one
// thread at a time; different ones by different threads.

// Lock bytes that own block and free it when their last reference goes.
[[nodiscard]] HRESULT CreateLockBytesOnMemory(std::vector<uint8_t> block, ILockBytes** lockBytes);

// The root storage of the compound file in lockBytes: STG_E_INVALIDHEADER
// when the bytes are not one.
[[nodiscard]] HRESULT StgOpenStorageOnILockBytes(ILockBytes* lockBytes, DWORD mode,
                                                 IStorage** storage);

// The class id stored with a storage.
[[nodiscard]] HRESULT ReadClassStg(IStorage* storage, CLSID* clsid);
