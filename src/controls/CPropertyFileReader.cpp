#include "controls/CPropertyFileReader.h"

#include "platform/com/ComPtr.h"
#include "platform/com/ComStorage.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr DWORD kOpenMode = STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kStreamMode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

// The storages open at a time, innermost last: closing one commits and
// releases it and returns to its parent.
class CStorageStack {
public:
    [[nodiscard]] bool OpenRoot(ILockBytes* lockBytes) {
        ComPtr<IStorage> root;
        if (FAILED(StgOpenStorageOnILockBytes(lockBytes, kOpenMode, root.Receive())))
            return false;
        m_open.push_back(std::move(root));
        return true;
    }
    [[nodiscard]] bool Open(const char* name) {
        ComPtr<IStorage> child;
        if (FAILED(Top()->OpenStorage(name, kOpenMode, child.Receive())))
            return false;
        m_open.push_back(std::move(child));
        return true;
    }
    void Close() {
        (void)Top()->Commit(STGC_DEFAULT);
        m_open.pop_back();
    }
    ~CStorageStack() {
        while (!m_open.empty())
            Close();
    }
    IStorage* Top() const { return m_open.back().Get(); }

private:
    std::vector<ComPtr<IStorage>> m_open;
};

// One read of at most the stream limit; the text ends at the first zero
// byte. A missing stream gives an empty text.
std::string ReadText(IStorage* storage, const char* name) {
    ComPtr<IStream> stream;
    if (FAILED(storage->OpenStream(name, kStreamMode, stream.Receive())))
        return {};
    char buffer[kPropertyStreamLimit];
    ULONG read = 0;
    if (FAILED(stream->Read(buffer, sizeof buffer, &read)))
        return {};
    const void* zero = std::memchr(buffer, '\0', read);
    return std::string(buffer, zero ? static_cast<const char*>(zero) - buffer : read);
}

void ReadHeader(IStorage* header, CPropertyFileContents& contents) {
    CControlDescription& d = contents.description;
    d.companyName = ReadText(header, "Company Name");
    d.fileDescription = ReadText(header, "File Description");
    d.legalCopyright = ReadText(header, "Legal Copyright");
    d.legalTrademarks = ReadText(header, "Legal Trademarks");
    d.productName = ReadText(header, "Product Name");
    d.productVersion = ReadText(header, "Product Version");
    d.filenameUrl = ReadText(header, "Filename Url");
    d.licenseUrl = ReadText(header, "License Url");
    contents.width = ParseDecimal(ReadText(header, "Width"));
    contents.height = ParseDecimal(ReadText(header, "Height"));
    // Only exactly this spelling: "true" means not compressed.
    d.compressed = ReadText(header, "IsCompressed") == "TRUE";
}

} // namespace

int32_t ParseDecimal(std::string_view text) {
    size_t at = 0;
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (at < text.size() && isSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kLimit);
    value = negative ? -value : std::min(value, kLimit - 1);
    return static_cast<int32_t>(value);
}

bool ReadObjectPropertyFile(ILockBytes* lockBytes, CPropertyFileContents& contents) {
    contents = {};
    CStorageStack storages;
    if (!storages.OpenRoot(lockBytes))
        return false;
    contents.description.browserVersion = ReadText(storages.Top(), "Browser Version");
    if (!storages.Open("Header Section"))
        return false;
    ReadHeader(storages.Top(), contents);
    storages.Close();
    if (!storages.Open(kObjectPropertySection))
        return false;
    CControlDescription& d = contents.description;
    if (FAILED(ReadClassStg(storages.Top(), &d.classId)))
        return false;
    char text[40];
    if (StringFromGUID2(d.classId, text, sizeof text) == 0)
        return false;
    d.classIdText = text;
    return true;
}
