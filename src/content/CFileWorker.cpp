#include "content/CFileWorker.h"

#include "content/CDynamicLoad.h"
#include "content/FileNames.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the file on every path out of the thread.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Fills the buffer unless the file ends first, so that a short count means
// the end of the file and not merely a short read.
ssize_t ReadFull(int fd, char* buffer, size_t size) {
    size_t total = 0;
    while (total < size) {
        ssize_t got = read(fd, buffer + total, size - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(total);
}

} // namespace

CFileWorker::~CFileWorker() = default;

void CFileWorker::Fail() {
    Finish(Status::Failed);
}

void CFileWorker::Run() {
    CDynamicLoad::Request request = m_load.GetRequest();
    if (request.method != Method::Get) {
        m_load.SetError(StringId::MethodNotSupported, {"file"});
        return Fail();
    }
    if (!StartsWithNoCase(request.url, "file:///")) {
        m_load.SetError(StringId::InvalidUrl, {request.url});
        return Fail();
    }
    std::string path = PathFromFileUrl(request.url);
    m_load.SetStatusText(FormatText("Opening file %s", {path}));
    SignalNotify();

    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        m_load.SetError(StringId::FileOpenFailed, {path});
        return Fail();
    }
    HeaderMap headers{{"content-type", ContentTypeForName(path)},
                      {"content-length", FormatText("%ld", {static_cast<long>(info.st_size)})}};
    Status status = DeliverHeaders(headers);
    if (EndsTransfer(status))
        return Finish(status);
    ReadBlocks(file.Get(), path);
}

void CFileWorker::ReadBlocks(int fd, const std::string& path) {
    char buffer[BlockSize];
    unsigned long total = 0;
    for (;;) {
        if (AbortRequested())
            return FinishAborted();
        ssize_t got = ReadFull(fd, buffer, sizeof buffer);
        if (got < 0) {
            m_load.SetError(StringId::FileReadFailed, {path});
            return Fail();
        }
        total += static_cast<unsigned long>(got);
        m_load.SetStatusText(FormatText("%u bytes read from file %s", {total, path}));
        SignalNotify();
        Status status = DeliverData(buffer, static_cast<size_t>(got));
        if (EndsTransfer(status))
            return Finish(status);
        if (static_cast<size_t>(got) < sizeof buffer)
            break;
    }
    FinishKeepingResult();
}
