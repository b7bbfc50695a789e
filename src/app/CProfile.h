#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CRegistry;

// The application's profile: sections under the current user's
// Software\<company>\<application> key, strings as string values and numbers
// as 32-bit values.
class CProfile {
public:
    CProfile(CRegistry& registry, std::string applicationName);

    void SetRegistryKey(std::string company) { m_company = std::move(company); }

    std::string GetString(std::string_view section, std::string_view entry,
                          std::string_view fallback) const;
    int32_t GetInt(std::string_view section, std::string_view entry, int32_t fallback) const;
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view entry,
                                   std::string_view value);
    [[nodiscard]] bool WriteInt(std::string_view section, std::string_view entry, int32_t value);

    std::string SectionKey(std::string_view section) const;

private:
    CRegistry& m_registry;
    std::string m_company;
    std::string m_application;
};
