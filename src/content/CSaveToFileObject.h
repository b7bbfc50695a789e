#pragma once

#include "content/CMimeObject.h"

#include <string>

// Data of a type the browser cannot show: kept whole, then saved to a file the
// user chooses, or discarded.
class CSaveToFileObject final : public CMimeObject {
public:
    static constexpr size_t WriteBlockSize = 4096;

    CSaveToFileObject(std::string url, std::string contentType);

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;
    void Execute() override;

    // Writes the data to path through a temporary file beside it, so that a
    // failure never leaves a truncated file under the chosen name. Returns
    // the message to show, or empty text on success.
    std::string SaveTo(const std::string& path);

private:
    std::string m_data GUARDED_BY(m_lock);
};

// The name proposed for saving: the text after the URL's last "/", or the
// whole URL when it has none.
std::string ProposedSaveName(std::string_view url);
