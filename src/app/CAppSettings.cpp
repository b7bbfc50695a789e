#include "app/CAppSettings.h"

#include "app/CProfile.h"

#include <atomic>

namespace {

struct StringKey {
    const char* section;
    const char* entry;
    std::string CAppSettings::*field;
};

struct IntKey {
    const char* section;
    const char* entry;
    int32_t CAppSettings::*field;
};

constexpr StringKey StringKeys[] = {
    {"Directories", "Ocx Storage", &CAppSettings::m_controlDirectory},
    {"Directories", "Temp Storage", &CAppSettings::m_tempDirectory},
    {"Directories", "Bookmark Storage", &CAppSettings::m_bookmarkDirectory},
    {"UserInfo", "UserName", &CAppSettings::m_userName},
    {"UserInfo", "UserEmail", &CAppSettings::m_userEmail},
    {"UserInfo", "HomePage", &CAppSettings::m_homePage},
    {"Network", "SmtpServer", &CAppSettings::m_smtpServer},
    {"Network", "HttpProxy", &CAppSettings::m_httpProxy},
};

constexpr IntKey IntKeys[] = {
    {"UserInfo", "LoadHomePage", &CAppSettings::m_loadHomePage},
    {"Network", "SmtpServerPort", &CAppSettings::m_smtpServerPort},
    {"Network", "HttpProxyPort", &CAppSettings::m_httpProxyPort},
    {"Network", "MaxConnections", &CAppSettings::m_maxConnections},
};

std::atomic<CAppSettings*> g_settings{nullptr};

} // namespace

CAppSettings* GetSettings() {
    return g_settings.load(std::memory_order_acquire);
}

void SetCurrentSettings(CAppSettings* settings) {
    g_settings.store(settings, std::memory_order_release);
}

std::string WithTrailingSlash(std::string_view directory) {
    std::string path(directory);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

void CAppSettings::SetDefaults(std::string_view workingDirectory) {
    CSemLockGuard guard(m_lock);
    m_controlDirectory = WithTrailingSlash(workingDirectory);
    m_tempDirectory = m_controlDirectory;
    m_bookmarkDirectory = m_controlDirectory;
    m_homePage = DefaultHomePage;
}

void CAppSettings::Load(const CProfile& profile) {
    CSemLockGuard guard(m_lock);
    for (const StringKey& key : StringKeys)
        this->*key.field = profile.GetString(key.section, key.entry, this->*key.field);
    for (const IntKey& key : IntKeys)
        this->*key.field = profile.GetInt(key.section, key.entry, this->*key.field);
}

bool CAppSettings::Save(CProfile& profile) {
    CSemLockGuard guard(m_lock);
    bool saved = true;
    for (const StringKey& key : StringKeys)
        saved = profile.WriteString(key.section, key.entry, this->*key.field) && saved;
    for (const IntKey& key : IntKeys)
        saved = profile.WriteInt(key.section, key.entry, this->*key.field) && saved;
    return saved;
}
