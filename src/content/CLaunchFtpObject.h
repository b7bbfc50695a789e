#pragma once

#include "content/CMimeObject.h"

// The browser does not speak ftp: an "ftp:" URL only tells the user to use an
// ftp client once its load ends.
class CLaunchFtpObject final : public CMimeObject {
public:
    CLaunchFtpObject(std::string url, std::string contentType)
        : CMimeObject(std::move(url), std::move(contentType), Caps::Action) {}

    Status Write(const char*, size_t) override { return Status::Continue; }
    Status EndOfData() override { return Status::Complete; }
    void Execute() override;
};
