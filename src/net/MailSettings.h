#pragma once

#include <cstdint>
#include <string>

// The settings mail is sent with, read at once.
struct MailSettings {
    std::string userName;
    std::string userEmail;
    std::string smtpServer;
    int32_t smtpServerPort = 25;
};

// As they stand now; the defaults when the program has no settings.
[[nodiscard]] MailSettings ReadMailSettings();
