#include "content/CSaveToFileObject.h"

#include "platform/CStringTable.h"
#include "platform/ui/CUiBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* CannotOpenText = "The file \"%s\" could not be opened for writing.";
constexpr const char* WriteFailedText =
    "An error occured while writing to the disk. The file may not have been saved correctly.";

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

Status CSaveToFileObject::Write(const char* bytes, size_t count) {
    {
        CSemLockGuard guard(m_lock);
        m_data.append(bytes, count);
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
    if (!ui || !ui->AskSaveOrDiscard(Url(), ContentType()))
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
        for (size_t at = 0; written && at < m_data.size(); at += WriteBlockSize)
            written =
                WriteAll(fd, m_data.data() + at, std::min(WriteBlockSize, m_data.size() - at));
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
