#include "content/CSaveToFileObject.h"

#include "platform/CStringTable.h"
#include "platform/ui/CUiBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* CannotOpenText = "The file \"%s\" could not be opened for writing.";
constexpr const char* WriteFailedText =
    "An error occured while writing to the disk. The file may not have been saved correctly.";

// A file without a name in the system's temporary directory: nothing is left
// behind whatever happens to the program.
int OpenAnonymousFile() {
    std::error_code error;
    std::string directory = std::filesystem::temp_directory_path(error).string();
    if (error)
        directory = "/tmp";
    int fd = open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR))
        return fd;
    // A file system without O_TMPFILE: a named file, unlinked at once.
    std::string name = directory + "/vestrial-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        unlink(name.c_str());
    return fd;
}

bool WriteAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

CSaveToFileObject::CSaveToFileObject(std::string url, std::string contentType)
    : CMimeObject(std::move(url), std::move(contentType), Caps::Action) {}

CSaveToFileObject::~CSaveToFileObject() {
    if (m_file >= 0)
        close(m_file);
}

bool CSaveToFileObject::Store(const char* bytes, size_t count) {
    CSemLockGuard guard(m_lock);
    if (m_storeFailed)
        return false;
    if (m_file < 0)
        m_file = OpenAnonymousFile();
    if (m_file < 0 || !WriteAll(m_file, bytes, count)) {
        m_storeFailed = true;
        return false;
    }
    m_size += count;
    return true;
}

Status CSaveToFileObject::Write(const char* bytes, size_t count) {
    if (!Store(bytes, count)) {
        // The transfer ends here; Execute tells the user instead of offering
        // to save what could not be kept, and nobody may reuse this object.
        DisableCaching();
        return Status::Complete;
    }
    NotifyClients(Notify::Data);
    return Status::Continue;
}

Status CSaveToFileObject::EndOfData() {
    Status status = GetStatus();
    return status == Status::Continue || status == Status::Complete ? Status::Complete
                                                                    : Status::Failed;
}

std::string ProposedSaveName(std::string_view url) {
    size_t slash = url.rfind('/');
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

void CSaveToFileObject::Execute() {
    CUiBackend* ui = CurrentUi();
    if (!ui)
        return;
    bool storeFailed;
    {
        CSemLockGuard guard(m_lock);
        storeFailed = m_storeFailed;
    }
    if (storeFailed) {
        ui->MessageBox(WriteFailedText, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        return;
    }
    if (!ui->AskSaveOrDiscard(Url(), ContentType()))
        return;
    std::optional<std::string> path = ui->AskSaveFileName(ProposedSaveName(Url()));
    if (!path)
        return;
    std::string message = SaveTo(*path);
    if (!message.empty())
        ui->MessageBox(message, MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

std::string CSaveToFileObject::SaveTo(const std::string& path) {
    std::string temporary = path + ".vestrial-XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return FormatText(CannotOpenText, {path});
    bool written = true;
    {
        CSemLockGuard guard(m_lock);
        written = !m_storeFailed;
        char block[WriteBlockSize];
        for (uint64_t at = 0; written && at < m_size;) {
            size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof block, m_size - at));
            ssize_t got = pread(m_file, block, want, static_cast<off_t>(at));
            if (got < 0 && errno == EINTR)
                continue;
            written = got > 0 && WriteAll(fd, block, static_cast<size_t>(got));
            at += static_cast<uint64_t>(std::max<ssize_t>(got, 0));
        }
    }
    // A file created by mkstemp is private; a saved file gets the usual mode.
    written = written && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return WriteFailedText;
    }
    return {};
}
