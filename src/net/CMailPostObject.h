#pragma once

#include "content/CMimeObject.h"
#include "content/CRegistryTables.h"

#include <string>

// The content object of a "mailto:" load, an action object. Made by a GET
// (a link followed), it composes the mail once the load is complete: the
// "Send Mail" dialog, then a POST of what was typed to the same address. Made
// by that POST, it only carries the load's end, always as a failure: success
// is told in the status bar, a failure in the load's error text.
class CMailPostObject final : public CMimeObject {
public:
    CMailPostObject(std::string url, std::string contentType)
        : CMimeObject(std::move(url), std::move(contentType), Caps::Action) {}

    Status Write(const char*, size_t) override { return Status::Continue; }
    Status EndOfData() override;
    void Execute() override;
};

// Composes the mail to the "mailto:" URL and posts it through the top-level
// document; a message box instead when the settings mail needs are missing.
// UI thread.
void ComposeMail(const std::string& url);

// The "internal/smtp-post" row of the content-type table.
[[nodiscard]] ContentTypeRegistration RegisterMailPostType();
