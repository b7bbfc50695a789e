#pragma once

#include "platform/CSemLock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CProfile;
struct UserDirectories;

// Loads wait for a connection slot beyond this many, unless the user chose
// another number.
inline constexpr int32_t kDefaultMaxConnections = 4;

// The user's settings, one per process. The UI thread and workers (HTTP
// client, mail sender, scheduler) read them: a reader takes a copy of them
// all at once, and a writer changes them in one step, each under the lock,
// which no caller ever holds.
class CAppSettings {
public:
    struct Values {
        std::string controlDirectory;
        std::string tempDirectory;
        std::string bookmarkDirectory;
        std::string userName;
        std::string userEmail;
        std::string homePage;
        int32_t loadHomePage = 1;
        std::string smtpServer;
        int32_t smtpServerPort = 25;
        std::string httpProxy;
        int32_t httpProxyPort = 80;
        int32_t maxConnections = kDefaultMaxConnections;
    };

    static constexpr const char* DefaultHomePage = "about:about.htm";

    // The defaults before anything is read: the per-user directories, each
    // ending in one "/".
    void SetDefaults(const UserDirectories& directories);

    // Each read falls back to the field's current value.
    void Load(const CProfile& profile);
    [[nodiscard]] bool Save(CProfile& profile);

    // Every setting as it stands now.
    [[nodiscard]] Values Snapshot() const;
    // Changes settings in one step: change sees them as they stand.
    void Update(const std::function<void(Values&)>& change);

private:
    mutable CSemLock m_lock;
    Values m_values GUARDED_BY(m_lock);
};

// A directory path ending in exactly one "/" (a root keeps its only one).
std::string WithTrailingSlash(std::string_view directory);

// The settings of the running application, or null before it exists.
CAppSettings* GetSettings();
// Set by the application object for its lifetime.
void SetCurrentSettings(CAppSettings* settings);
