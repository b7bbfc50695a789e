#include "app/CAppSettings.h"

#include "app/CProfile.h"
#include "app/UserDirectories.h"

#include <atomic>

namespace {

struct StringKey {
    const char* section;
    const char* entry;
    std::string CAppSettings::Values::*field;
};

struct IntKey {
    const char* section;
    const char* entry;
    int32_t CAppSettings::Values::*field;
};

constexpr StringKey StringKeys[] = {
    {"Directories", "Ocx Storage", &CAppSettings::Values::controlDirectory},
    {"Directories", "Temp Storage", &CAppSettings::Values::tempDirectory},
    {"Directories", "Bookmark Storage", &CAppSettings::Values::bookmarkDirectory},
    {"UserInfo", "UserName", &CAppSettings::Values::userName},
    {"UserInfo", "UserEmail", &CAppSettings::Values::userEmail},
    {"UserInfo", "HomePage", &CAppSettings::Values::homePage},
    {"Network", "SmtpServer", &CAppSettings::Values::smtpServer},
    {"Network", "HttpProxy", &CAppSettings::Values::httpProxy},
};

constexpr IntKey IntKeys[] = {
    {"UserInfo", "LoadHomePage", &CAppSettings::Values::loadHomePage},
    {"Network", "SmtpServerPort", &CAppSettings::Values::smtpServerPort},
    {"Network", "HttpProxyPort", &CAppSettings::Values::httpProxyPort},
    {"Network", "MaxConnections", &CAppSettings::Values::maxConnections},
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

void CAppSettings::SetDefaults(const UserDirectories& directories) {
    CSemLockGuard guard(m_lock);
    m_values.controlDirectory = WithTrailingSlash(directories.controls);
    m_values.tempDirectory = WithTrailingSlash(directories.temporary);
    m_values.bookmarkDirectory = WithTrailingSlash(directories.bookmarks);
    m_values.homePage = DefaultHomePage;
}

void CAppSettings::Load(const CProfile& profile) {
    CSemLockGuard guard(m_lock);
    for (const StringKey& key : StringKeys)
        m_values.*key.field = profile.GetString(key.section, key.entry, m_values.*key.field);
    for (const IntKey& key : IntKeys)
        m_values.*key.field = profile.GetInt(key.section, key.entry, m_values.*key.field);
}

bool CAppSettings::Save(CProfile& profile) {
    const Values values = Snapshot();
    bool saved = true;
    for (const StringKey& key : StringKeys)
        saved = profile.WriteString(key.section, key.entry, values.*key.field) && saved;
    for (const IntKey& key : IntKeys)
        saved = profile.WriteInt(key.section, key.entry, values.*key.field) && saved;
    return saved;
}

CAppSettings::Values CAppSettings::Snapshot() const {
    CSemLockGuard guard(m_lock);
    return m_values;
}

void CAppSettings::Update(const std::function<void(Values&)>& change) {
    CSemLockGuard guard(m_lock);
    change(m_values);
}
