#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The two Windows registry roots the program ever touched.
enum class RegRoot { CurrentUser, ClassesRoot };

// A value is either a string (raw bytes, Windows Latin-1) or a DWORD.
using RegData = std::variant<std::string, uint32_t>;

struct RegValue {
    std::string name;
    RegData data;

    bool operator==(const RegValue&) const = default;
};

// One key of the registry tree. Names match ASCII-case-insensitively, as on Windows, but keep
// the spelling they were created with; subkeys and values stay in the order they were added.
// Lookups go through an index so that a hostile file with many siblings cannot make loading
// quadratic.
class CRegKey {
public:
    explicit CRegKey(std::string name);

    const std::string& Name() const { return m_name; }

    CRegKey* FindChild(std::string_view name);
    const CRegKey* FindChild(std::string_view name) const;
    // The existing child of that name, or a new one placed after the others.
    CRegKey& EnsureChild(std::string_view name);
    bool RemoveChild(std::string_view name);
    const std::vector<std::unique_ptr<CRegKey>>& Children() const { return m_children; }

    const RegValue* FindValue(std::string_view name) const;
    // Returns true when the value is new. A replaced value keeps its place and spelling.
    bool SetValue(std::string_view name, RegData data);
    bool RemoveValue(std::string_view name);
    const std::vector<RegValue>& Values() const { return m_values; }

    // Keys below this one plus every value at or below it.
    size_t CountEntries() const;

    // Exact comparison, spelling and order included.
    bool operator==(const CRegKey& other) const;

private:
    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::string m_name;
    std::vector<std::unique_ptr<CRegKey>> m_children;
    std::map<std::string, CRegKey*, NameLess> m_childIndex;
    std::vector<RegValue> m_values;
    std::map<std::string, size_t, NameLess> m_valueIndex;
};
