#pragma once

#include "content/CDynamicLoad.h"

#include <cstdio>
#include <memory>
#include <string>

// A load that writes the response straight to a file: the control installer
// fetches control files with it. It keeps its own copy of the response
// headers for its owner.
class CFileDownloadLoad final : public CDynamicLoad {
public:
    // Without a target path the file goes to directory (which ends with "/")
    // under the URL's file name.
    CFileDownloadLoad(CLoadOwner& owner, std::string_view url, std::string targetPath,
                      std::string_view directory, Method method, std::string headers,
                      std::string postData);
    ~CFileDownloadLoad() override;

    Status Begin() override;
    Status OnHeaders(const HeaderMap& headers) override;
    Status OnData(const char* bytes, size_t count) override;
    Status OnComplete() override;

    const std::string& TargetPath() const { return m_targetPath; }
    bool HeadersSeen();
    HeaderMap ResponseHeaders();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    const std::string m_targetPath;
    bool m_headersSeen GUARDED_BY(Lock()) = false;
    HeaderMap m_headers GUARDED_BY(Lock());
    std::unique_ptr<std::FILE, FileCloser> m_file GUARDED_BY(Lock());
    bool m_writeFailed GUARDED_BY(Lock()) = false;
};
