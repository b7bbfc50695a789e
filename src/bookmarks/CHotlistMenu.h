#pragma once

#include "bookmarks/CBookmarkList.h"
#include "platform/ui/CUiBackend.h"

#include <cstddef>
#include <vector>

// The bookmark entries of the "Hotlist" menu, rebuilt each time the menu
// opens: the items put in last time are taken out by their ids and the
// list's titles put in their place, or one greyed "Bookmarks" when the list
// is empty.
class CHotlistMenu {
public:
    static constexpr const char* EmptyText = "Bookmarks";

    // The items for list: ids from CommandId::HotlistFirst on. Entries past
    // the last id that has a command are greyed: they cannot be chosen.
    [[nodiscard]] static std::vector<DynamicMenuItem> ItemsFor(const CBookmarkList& list);
    // Rebuilds the window's entries for list.
    void Rebuild(CMainFrameWindow& window, const CBookmarkList& list);

private:
    // The menu resource holds one placeholder to begin with.
    size_t m_inserted = 1;
};
