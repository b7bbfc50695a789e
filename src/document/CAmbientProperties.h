#pragma once

#include "platform/com/ComPtr.h"

#include <string>
#include <string_view>
#include <vector>

// How a value is shown to the user (the preferences list them by type).
enum class AmbientType { Boolean, Integer2, Integer4, Real4, String, Color, Font, Unknown };
[[nodiscard]] const char* AmbientTypeName(AmbientType type);

struct CAmbientEntry {
    DISPID id;
    std::string name;
    CVariant value; // empty: the entry counts as absent
    AmbientType type;
};

// The ambient properties a document's controls read through their site:
// the standard table and a second table of the browser's own, which is
// searched first. Filled when the document is made; UI thread only.
class CAmbientProperties {
public:
    // userDirectory: the "Temp Storage" directory, answered as
    // "UserDirectory".
    explicit CAmbientProperties(const std::string& userDirectory);

    // The entry of id, or null when there is none or its value is empty.
    [[nodiscard]] const CAmbientEntry* Find(DISPID id) const;
    // DISPID_UNKNOWN for a name no entry has (compared without regard to
    // case).
    [[nodiscard]] DISPID IdOf(std::string_view name) const;
    // A copy of the value for a control: DISP_E_MEMBERNOTFOUND when absent.
    // An empty string is handed out as a new one with room for 32
    // characters.
    [[nodiscard]] HRESULT GetValue(DISPID id, VARIANT* result) const;

    [[nodiscard]] const std::vector<CAmbientEntry>& Standard() const { return m_standard; }
    [[nodiscard]] const std::vector<CAmbientEntry>& Extended() const { return m_extended; }

private:
    std::vector<CAmbientEntry> m_standard;
    std::vector<CAmbientEntry> m_extended;
};
