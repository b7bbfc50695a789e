#include "document/CHistory.h"

const HistoryEntry* CHistory::Previous() const {
    return m_index >= 1 && m_index - 1 < m_entries.size() ? &m_entries[m_index - 1] : nullptr;
}

const HistoryEntry* CHistory::Next() const {
    return m_index + 1 < m_entries.size() ? &m_entries[m_index + 1] : nullptr;
}

const HistoryEntry* CHistory::Current() const {
    return m_index < m_entries.size() ? &m_entries[m_index] : nullptr;
}

void CHistory::Record(NavigationKind kind, HistoryEntry entry) {
    switch (kind) {
    case NavigationKind::Back:
        // A Back request is only started from an entry that has one before it.
        if (m_index > 0)
            --m_index;
        break;
    case NavigationKind::Forward:
        if (m_index + 1 < m_entries.size())
            ++m_index;
        break;
    case NavigationKind::NewRequest:
        // A new page after going back drops the pages that were ahead.
        if (m_index + 1 < m_entries.size())
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(m_index) + 1,
                            m_entries.end());
        m_entries.push_back(std::move(entry));
        m_index = m_entries.size() - 1;
        break;
    case NavigationKind::Reload:
        break;
    }
}

void CHistory::Clear() {
    m_entries.clear();
    m_index = 0;
}
