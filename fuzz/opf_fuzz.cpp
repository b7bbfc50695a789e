// Feeds arbitrary bytes, in pieces, to the object property file's content
// object, as a transfer would, and then loads from a file that was read what
// a control would: its saved-state section and a stream in it.
#include "controls/CObjectPropertyFile.h"
#include "controls/CPropertyFileReader.h"
#include "platform/com/ComStorage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the size of the pieces.
    const size_t piece = 1 + data[0] % 64 * 97;
    ++data;
    --size;
    CObjectPropertyFile object("http://fuzz/a.opf", CObjectPropertyFile::ContentType);
    for (size_t at = 0; at < size; at += piece) {
        size_t count = size - at < piece ? size - at : piece;
        if (object.Write(reinterpret_cast<const char*>(data) + at, count) != Status::Continue)
            return 0;
    }
    if (object.EndOfData() != Status::Complete) {
        if (object.HasImage() || object.GetLockBytes())
            __builtin_trap();
        return 0;
    }
    ComPtr<ILockBytes> lockBytes = object.GetLockBytes();
    if (!object.HasImage() || !lockBytes || object.GetDescription().classIdText.size() != 38)
        __builtin_trap();
    ComPtr<IStorage> root;
    ComPtr<IStorage> section;
    if (FAILED(StgOpenStorageOnILockBytes(lockBytes.Get(), STGM_READ, root.Receive())) ||
        FAILED(root->OpenStorage(kObjectPropertySection, STGM_READ, section.Receive())))
        __builtin_trap();
    for (const char* name : {"Caption", "Contents"}) {
        ComPtr<IStream> stream;
        if (FAILED(section->OpenStream(name, STGM_READ, stream.Receive())))
            continue;
        uint8_t buffer[512];
        ULONG read = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) {
        }
    }
    return 0;
}
