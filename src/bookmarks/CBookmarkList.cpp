#include "bookmarks/CBookmarkList.h"

#include "bookmarks/ArchiveString.h"
#include "platform/Verify.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A descriptor closed when it goes out of scope.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() { Close(); }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    // False when closing reports an error (a write-back that failed).
    bool Close() {
        if (m_fd < 0)
            return true;
        int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::vector<uint8_t>& bytes, const BookmarkWriteFunction& write) {
    size_t offset = 0;
    while (offset < bytes.size()) {
        const size_t chunk = std::min(CBookmarkList::WriteChunk, bytes.size() - offset);
        const char* data = reinterpret_cast<const char*>(bytes.data() + offset);
        long written = write ? write(fd, data, chunk) : ::write(fd, data, chunk);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        offset += static_cast<size_t>(written);
    }
    return true;
}

mode_t FileMode(const std::string& path) {
    struct stat old;
    if (::stat(path.c_str(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Makes the rename itself last through a power cut.
void SyncDirectory(const std::string& directory) {
    CFileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get());
}

} // namespace

void CBookmarkList::Add(std::string title, std::string url) {
    m_titles.push_back(std::move(title));
    m_urls.push_back(std::move(url));
}

void CBookmarkList::RemoveAt(size_t index) {
    VERIFY(index < GetCount());
    m_titles.erase(m_titles.begin() + static_cast<std::ptrdiff_t>(index));
    m_urls.erase(m_urls.begin() + static_cast<std::ptrdiff_t>(index));
}

void CBookmarkList::SetAt(size_t index, std::string title, std::string url) {
    VERIFY(index < GetCount());
    m_titles[index] = std::move(title);
    m_urls[index] = std::move(url);
}

void CBookmarkList::MoveUp(size_t index) {
    VERIFY(index > 0 && index < GetCount());
    std::swap(m_titles[index], m_titles[index - 1]);
    std::swap(m_urls[index], m_urls[index - 1]);
}

void CBookmarkList::MoveDown(size_t index) {
    VERIFY(index + 1 < GetCount());
    MoveUp(index + 1);
}

const std::string& CBookmarkList::GetTitle(size_t index) const {
    VERIFY(index < GetCount());
    return m_titles[index];
}

const std::string& CBookmarkList::GetUrl(size_t index) const {
    VERIFY(index < GetCount());
    return m_urls[index];
}

void CBookmarkList::CopyFrom(const CBookmarkList& other) {
    if (&other == this)
        return;
    m_titles.clear();
    m_urls.clear();
    for (size_t i = 0; i < other.GetCount(); ++i)
        Add(other.m_titles[i], other.m_urls[i]);
}

BookmarkLoadResult CBookmarkList::LoadFrom(std::span<const uint8_t> bytes) {
    m_titles.clear();
    m_urls.clear();
    ArchiveString::CReader reader(bytes);
    std::optional<uint32_t> count = reader.ReadUInt32();
    if (!count)
        return BookmarkLoadResult::Damaged;
    // The count is not trusted for any allocation: entries are read one by
    // one, and the bytes run out long before a damaged count does.
    for (uint32_t i = 0; i < *count; ++i) {
        std::optional<std::string> url = reader.ReadString();
        if (!url)
            return BookmarkLoadResult::Damaged;
        std::optional<std::string> title = reader.ReadString();
        if (!title)
            return BookmarkLoadResult::Damaged;
        Add(std::move(*title), std::move(*url));
    }
    return BookmarkLoadResult::Loaded;
}

std::vector<uint8_t> CBookmarkList::Serialise() const {
    std::vector<uint8_t> bytes;
    const size_t count = GetCount();
    if (count > UINT32_MAX)
        return {};
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    for (size_t i = 0; i < count; ++i)
        if (!ArchiveString::Append(bytes, m_urls[i]) || !ArchiveString::Append(bytes, m_titles[i]))
            return {};
    return bytes;
}

BookmarkLoadResult CBookmarkList::Load(const std::string& path) {
    m_titles.clear();
    m_urls.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return BookmarkLoadResult::Missing;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad())
        return BookmarkLoadResult::Damaged;
    return LoadFrom(bytes);
}

bool CBookmarkList::Save(const std::string& path, const BookmarkWriteFunction& write) const {
    const std::vector<uint8_t> bytes = Serialise();
    if (bytes.empty())
        return false;
    std::filesystem::path target(path);
    std::string directory = target.parent_path().string();
    if (directory.empty())
        directory = ".";
    std::string temporary = directory + "/." + target.filename().string() + ".XXXXXX";
    CFileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0)
        return false;
    // mkstemp makes the file private; the new file keeps the old one's
    // permissions, or those the umask gives a new file.
    ::fchmod(fd.Get(), FileMode(path));
    // The old file stays whole until the new one is complete on disk.
    bool written = WriteAll(fd.Get(), bytes, write) && ::fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(directory);
    return true;
}
