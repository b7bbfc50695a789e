#pragma once

#include "content/CRegistryTables.h"
#include "controls/CControlDescription.h"
#include "html/CSingleElementObject.h"
#include "platform/com/ComPtr.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The content object of "application/x-object-property-file": gathers the
// file as it arrives and reads its description once it is complete. The
// control site takes the description and the file's bytes (as lock bytes,
// from which the control loads its saved state) from it.
//
// Written on the worker thread; the image slots read atomics, the rest take
// the object's lock.
class CObjectPropertyFile final : public CSingleElementObject {
public:
    static constexpr const char* ContentType = "application/x-object-property-file";
    // A file larger than this fails: descriptions and saved properties are
    // small, and the whole file is held in memory.
    static constexpr size_t MaxFileSize = 16 * 1024 * 1024;

    CObjectPropertyFile(std::string url, std::string contentType);
    ~CObjectPropertyFile() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;
    bool HasImage() override { return m_parsed.load(); }
    void GetImageSize(int32_t& width, int32_t& height) override;
    bool NeedsBackground() override { return false; }

    // The file's bytes once it has been read, else null.
    [[nodiscard]] ComPtr<ILockBytes> GetLockBytes();
    [[nodiscard]] CControlDescription GetDescription();
    [[nodiscard]] static std::string GetTypeDisplayName() { return "OLE Control"; }

    // The object behind a content object of this type, else null.
    [[nodiscard]] static CObjectPropertyFile* From(CMimeObject* object);

private:
    // Copies the data into lock bytes and reads the description.
    [[nodiscard]] Status ReadFile();

    std::vector<char> m_data GUARDED_BY(m_lock); // emptied once read
    ComPtr<ILockBytes> m_lockBytes GUARDED_BY(m_lock);
    CControlDescription m_description GUARDED_BY(m_lock);
    std::atomic<bool> m_parsed{false};
    std::atomic<int32_t> m_width{0};
    std::atomic<int32_t> m_height{0};
};

// The content-type row: capabilities 0xB, any type that begins with
// "application/x-object-property-file" without regard to case.
[[nodiscard]] ContentTypeRegistration RegisterObjectPropertyFileType();
