#pragma once

#include "platform/CSemLock.h"

#include <cstdint>
#include <string>

class CProfile;

// The user's settings, one per process. The UI thread and workers (HTTP
// client, mail sender, scheduler) read them, so every field is guarded by
// m_lock and every reader and writer holds it for the whole access.
struct CAppSettings {
    CSemLock m_lock;
    std::string m_controlDirectory;  // guarded by m_lock
    std::string m_tempDirectory;     // guarded by m_lock
    std::string m_bookmarkDirectory; // guarded by m_lock
    std::string m_userName;          // guarded by m_lock
    std::string m_userEmail;         // guarded by m_lock
    std::string m_homePage;          // guarded by m_lock
    int32_t m_loadHomePage = 1;      // guarded by m_lock
    std::string m_smtpServer;        // guarded by m_lock
    int32_t m_smtpServerPort = 25;   // guarded by m_lock
    std::string m_httpProxy;         // guarded by m_lock
    int32_t m_httpProxyPort = 80;    // guarded by m_lock
    int32_t m_maxConnections = 4;    // guarded by m_lock

    static constexpr const char* DefaultHomePage = "about:about.htm";

    // The defaults before anything is read: every directory is the working
    // directory at start-up, ending in one "/".
    void SetDefaults(std::string_view workingDirectory);

    // Each read falls back to the field's current value.
    void Load(const CProfile& profile);
    [[nodiscard]] bool Save(CProfile& profile);
};

// A directory path ending in exactly one "/" (a root keeps its only one).
std::string WithTrailingSlash(std::string_view directory);

// The settings of the running application, or null before it exists. Readers
// take the settings' lock.
CAppSettings* GetSettings();
// Set by the application object for its lifetime.
void SetCurrentSettings(CAppSettings* settings);
