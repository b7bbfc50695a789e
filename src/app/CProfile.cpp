#include "app/CProfile.h"

#include "platform/CRegistry.h"

CProfile::CProfile(CRegistry& registry, std::string applicationName)
    : m_registry(registry), m_application(std::move(applicationName)) {}

std::string CProfile::SectionKey(std::string_view section) const {
    std::string key = "Software\\";
    key += m_company;
    key += '\\';
    key += m_application;
    key += '\\';
    key += section;
    return key;
}

std::string CProfile::GetString(std::string_view section, std::string_view entry,
                                std::string_view fallback) const {
    auto value = m_registry.GetString(RegRoot::CurrentUser, SectionKey(section), entry);
    return value ? *value : std::string(fallback);
}

int32_t CProfile::GetInt(std::string_view section, std::string_view entry, int32_t fallback) const {
    auto value = m_registry.GetDword(RegRoot::CurrentUser, SectionKey(section), entry);
    return value ? static_cast<int32_t>(*value) : fallback;
}

bool CProfile::WriteString(std::string_view section, std::string_view entry,
                           std::string_view value) {
    return m_registry.SetString(RegRoot::CurrentUser, SectionKey(section), entry, value);
}

bool CProfile::WriteInt(std::string_view section, std::string_view entry, int32_t value) {
    return m_registry.SetDword(RegRoot::CurrentUser, SectionKey(section), entry,
                               static_cast<uint32_t>(value));
}
