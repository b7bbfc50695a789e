#include "content/CFileDownloadLoad.h"

#include "content/Url.h"

namespace {

std::string TargetFor(std::string_view url, std::string targetPath, std::string_view directory) {
    if (!targetPath.empty())
        return targetPath;
    return std::string(directory) + FileNameFromUrl(url.substr(0, url.find('#')));
}

} // namespace

CFileDownloadLoad::CFileDownloadLoad(CLoadOwner& owner, std::string_view url,
                                     std::string targetPath, std::string_view directory,
                                     Method method, std::string headers, std::string postData)
    : CDynamicLoad(owner, url, method, std::move(headers), std::move(postData)),
      m_targetPath(TargetFor(url, std::move(targetPath), directory)) {}

CFileDownloadLoad::~CFileDownloadLoad() = default;

Status CFileDownloadLoad::Begin() {
    CSemLockGuard guard(Lock());
    m_file.reset(std::fopen(m_targetPath.c_str(), "wb"));
    return Status::Continue;
}

Status CFileDownloadLoad::OnHeaders(const HeaderMap& headers) {
    CSemLockGuard guard(Lock());
    m_headers.insert(headers.begin(), headers.end());
    m_headersSeen = true;
    return Status::Continue;
}

Status CFileDownloadLoad::OnData(const char* bytes, size_t count) {
    bool failed;
    {
        CSemLockGuard guard(Lock());
        // A file that could not be created, or a short write, fails the
        // download instead of leaving a file that only looks complete.
        if (!m_file || std::fwrite(bytes, 1, count, m_file.get()) != count)
            m_writeFailed = true;
        failed = m_writeFailed;
    }
    AddFlags(Notify::Data);
    return failed ? Status::Failed : Status::Continue;
}

Status CFileDownloadLoad::OnComplete() {
    bool failed;
    {
        CSemLockGuard guard(Lock());
        if (m_file && std::fclose(m_file.release()) != 0)
            m_writeFailed = true;
        failed = m_writeFailed;
    }
    Status result = Result();
    if (failed)
        return Status::Failed;
    return result == Status::Continue || result == Status::Complete ? Status::Complete
                                                                    : Status::Failed;
}

bool CFileDownloadLoad::HeadersSeen() {
    CSemLockGuard guard(Lock());
    return m_headersSeen;
}

HeaderMap CFileDownloadLoad::ResponseHeaders() {
    CSemLockGuard guard(Lock());
    return m_headers;
}
