#pragma once

#include "content/LoadTypes.h"

#include <cstddef>
#include <string>
#include <vector>

// What brought the document now arriving: the navigation kinds are numbered
// as the history records them.
enum class NavigationKind : int32_t { Back = 0, Forward = 1, NewRequest = 2, Reload = 3 };

// Everything needed to issue a shown page's request again.
struct HistoryEntry {
    std::string url; // where the load ended, after redirects; without fragment
    Method method = Method::Get;
    std::string headers; // the extra lines sent, an "Authorization: " line among them
    std::string postData;
    std::string fragment;
};

// The process's list of the pages shown in the top-level pane and the index
// of the one shown now. It has no length limit. UI thread only.
class CHistory {
public:
    // The entries Back and Forward would take, or null at either end.
    [[nodiscard]] const HistoryEntry* Previous() const;
    [[nodiscard]] const HistoryEntry* Next() const;
    [[nodiscard]] const HistoryEntry* Current() const;
    [[nodiscard]] bool CanGoBack() const { return Previous() != nullptr; }
    [[nodiscard]] bool CanGoForward() const { return Next() != nullptr; }

    // A document requested as kind is now shown. The index moves only here,
    // not when the request starts: a request that fails leaves it alone.
    void Record(NavigationKind kind, HistoryEntry entry);
    void Clear();

    [[nodiscard]] const std::vector<HistoryEntry>& Entries() const { return m_entries; }
    [[nodiscard]] size_t Index() const { return m_index; }

private:
    std::vector<HistoryEntry> m_entries;
    size_t m_index = 0;
};
