#include "platform/CRegKey.h"

#include "platform/Verify.h"

#include <algorithm>

namespace {

// Windows folds only ASCII letters in registry names; bytes >= 0x80 are Latin-1 and must not be
// folded through the C locale.
unsigned char FoldAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

} // namespace

bool CRegKey::NameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

CRegKey::CRegKey(std::string name) : m_name(std::move(name)) {}

CRegKey* CRegKey::FindChild(std::string_view name) {
    const auto it = m_childIndex.find(name);
    return it == m_childIndex.end() ? nullptr : it->second;
}

const CRegKey* CRegKey::FindChild(std::string_view name) const {
    const auto it = m_childIndex.find(name);
    return it == m_childIndex.end() ? nullptr : it->second;
}

CRegKey& CRegKey::EnsureChild(std::string_view name) {
    if (CRegKey* existing = FindChild(name)) {
        return *existing;
    }
    auto& child = m_children.emplace_back(std::make_unique<CRegKey>(std::string(name)));
    m_childIndex.emplace(std::string(name), child.get());
    return *child;
}

bool CRegKey::RemoveChild(std::string_view name) {
    const auto it = m_childIndex.find(name);
    if (it == m_childIndex.end()) {
        return false;
    }
    const CRegKey* child = it->second;
    m_childIndex.erase(it);
    const auto owned = std::find_if(m_children.begin(), m_children.end(),
                                    [child](const auto& c) { return c.get() == child; });
    VERIFY(owned != m_children.end());
    m_children.erase(owned);
    return true;
}

const RegValue* CRegKey::FindValue(std::string_view name) const {
    const auto it = m_valueIndex.find(name);
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

bool CRegKey::SetValue(std::string_view name, RegData data) {
    const auto it = m_valueIndex.find(name);
    if (it != m_valueIndex.end()) {
        m_values[it->second].data = std::move(data);
        return false;
    }
    m_valueIndex.emplace(std::string(name), m_values.size());
    m_values.push_back(RegValue{std::string(name), std::move(data)});
    return true;
}

bool CRegKey::RemoveValue(std::string_view name) {
    const auto it = m_valueIndex.find(name);
    if (it == m_valueIndex.end()) {
        return false;
    }
    const size_t removed = it->second;
    m_valueIndex.erase(it);
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(removed));
    for (auto& [valueName, index] : m_valueIndex) {
        if (index > removed) {
            --index;
        }
    }
    return true;
}

size_t CRegKey::CountEntries() const {
    size_t count = m_values.size();
    for (const auto& child : m_children) {
        count += 1 + child->CountEntries();
    }
    return count;
}

bool CRegKey::operator==(const CRegKey& other) const {
    if (m_name != other.m_name || m_values != other.m_values ||
        m_children.size() != other.m_children.size()) {
        return false;
    }
    return std::equal(m_children.begin(), m_children.end(), other.m_children.begin(),
                      [](const auto& a, const auto& b) { return *a == *b; });
}
