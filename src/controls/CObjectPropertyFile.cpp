#include "controls/CObjectPropertyFile.h"

#include "controls/CPropertyFileReader.h"
#include "platform/com/ComStorage.h"

#include <new>

CObjectPropertyFile::CObjectPropertyFile(std::string url, std::string contentType)
    : CSingleElementObject(std::move(url), std::move(contentType),
                           Caps::Document | Caps::InlineImage | Caps::Embeddable) {}

CObjectPropertyFile::~CObjectPropertyFile() = default;

Status CObjectPropertyFile::Write(const char* bytes, size_t count) {
    CSemLockGuard guard(m_lock);
    if (count > MaxFileSize - m_data.size())
        return Status::Failed;
    try {
        m_data.insert(m_data.end(), bytes, bytes + count);
    } catch (const std::bad_alloc&) {
        return Status::Failed;
    }
    return Status::Continue;
}

Status CObjectPropertyFile::EndOfData() {
    if (GetStatus() == Status::Failed)
        return Status::Failed;
    // Out of memory on the way fails the file; nothing leaves the worker.
    try {
        return ReadFile();
    } catch (const std::bad_alloc&) {
        return Status::Failed;
    }
}

Status CObjectPropertyFile::ReadFile() {
    std::vector<uint8_t> block;
    {
        CSemLockGuard guard(m_lock);
        block.assign(m_data.begin(), m_data.end());
        m_data = {};
    }
    ComPtr<ILockBytes> lockBytes;
    if (FAILED(CreateLockBytesOnMemory(std::move(block), lockBytes.Receive())))
        return Status::Failed;
    CPropertyFileContents contents;
    if (!ReadObjectPropertyFile(lockBytes.Get(), contents))
        return Status::Failed;
    {
        CSemLockGuard guard(m_lock);
        m_lockBytes = std::move(lockBytes);
        m_description = std::move(contents.description);
    }
    m_width = contents.width;
    m_height = contents.height;
    m_parsed = true;
    return Status::Complete;
}

void CObjectPropertyFile::GetImageSize(int32_t& width, int32_t& height) {
    width = m_width.load();
    height = m_height.load();
}

ComPtr<ILockBytes> CObjectPropertyFile::GetLockBytes() {
    CSemLockGuard guard(m_lock);
    return m_lockBytes;
}

CControlDescription CObjectPropertyFile::GetDescription() {
    CSemLockGuard guard(m_lock);
    return m_description;
}

CObjectPropertyFile* CObjectPropertyFile::From(CMimeObject* object) {
    return dynamic_cast<CObjectPropertyFile*>(object);
}

ContentTypeRegistration RegisterObjectPropertyFileType() {
    return ContentTypeTable().Register(
        {PrefixMatcher(CObjectPropertyFile::ContentType),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CObjectPropertyFile>(url, type);
         },
         Caps::Document | Caps::InlineImage | Caps::Embeddable, CObjectPropertyFile::ContentType});
}
