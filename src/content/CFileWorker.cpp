#include "content/CFileWorker.h"

#include "content/CDynamicLoad.h"
#include "content/CScheduler.h"
#include "content/FileNames.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Only regular files are pages: a FIFO or a device would block the worker
// in open() or read() for ever, where Stop cannot reach it, and a device
// such as /dev/zero never ends. The type is checked before opening (opening
// some devices has effects of its own) and again on the descriptor, in case
// the name was swapped in between; the open itself never waits.
int OpenRegularFile(const std::string& path) {
    struct stat info;
    if (path.find('\0') != std::string::npos || stat(path.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return -1;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

// The path as a message can show it: an escaped NUL as it was written.
std::string ShownPath(std::string path) {
    for (size_t at = path.find('\0'); at != std::string::npos; at = path.find('\0', at))
        path.replace(at, 1, "%00");
    return path;
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
    m_load.SetStatusText(FormatText("Opening file %s", {ShownPath(path)}));
    SignalNotify();

    FileDescriptor file(OpenRegularFile(path));
    struct stat info;
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0) {
        m_load.SetError(StringId::FileOpenFailed, {ShownPath(path)});
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
    std::vector<char> buffer(ReadSize);
    unsigned long total = 0;
    for (;;) {
        if (AbortRequested())
            return FinishAborted();
        ssize_t got = ReadFull(fd, buffer.data(), buffer.size());
        if (got < 0) {
            m_load.SetError(StringId::FileReadFailed, {path});
            return Fail();
        }
        total += static_cast<unsigned long>(got);
        const size_t count = static_cast<size_t>(got);
        const bool last = count < buffer.size();
        bool aborted = false;
        std::optional<Status> end;
        {
            // One wake-up of the UI thread for everything this read hands on,
            // and at most one a frame: a regular file's reads never wait, and
            // the page grows through its layout's own progress.
            CSignalBatch batch(CSignalBatch::Pace::AtMostOneAFrame);
            m_load.SetStatusText(FormatText("%u bytes read from file %s", {total, path}));
            SignalNotify();
            for (size_t at = 0; at < count && !end; at += BlockSize) {
                if (at > 0 && AbortRequested()) {
                    aborted = true;
                    break;
                }
                Status status = DeliverData(buffer.data() + at, std::min(BlockSize, count - at));
                if (EndsTransfer(status))
                    end = status;
            }
            // A file that ends on a block's edge (an empty one too) ends with
            // an empty block, as when every read was one block.
            if (last && count % BlockSize == 0 && !aborted && !end) {
                Status status = DeliverData(buffer.data(), 0);
                if (EndsTransfer(status))
                    end = status;
            }
        }
        // Finishing wakes the UI thread outside the batch, so that the end of
        // a load is never held back.
        if (aborted)
            return FinishAborted();
        if (end)
            return Finish(*end);
        if (last)
            break;
    }
    FinishKeepingResult();
}
