#pragma once

#include "content/CMimeObject.h"

#include <string>

// Data of a type the browser cannot show: kept whole, then saved to a file the
// user chooses, or discarded. The data goes to an anonymous temporary file as
// it arrives, not to memory, so a large or endless download costs no memory;
// the system removes the file when the object goes.
class CSaveToFileObject final : public CMimeObject {
public:
    static constexpr size_t WriteBlockSize = 4096;

    CSaveToFileObject(std::string url, std::string contentType);
    ~CSaveToFileObject() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;
    void Execute() override;

    // Writes the data to path through a temporary file beside it, so that a
    // failure never leaves a truncated file under the chosen name. Returns
    // the message to show, or empty text on success.
    std::string SaveTo(const std::string& path);

private:
    bool Store(const char* bytes, size_t count);

    int m_file GUARDED_BY(m_lock) = -1; // -1 until the first byte
    uint64_t m_size GUARDED_BY(m_lock) = 0;
    bool m_storeFailed GUARDED_BY(m_lock) = false;
};

// The name proposed for saving: the text after the URL's last "/", or the
// whole URL when it has none.
std::string ProposedSaveName(std::string_view url);
