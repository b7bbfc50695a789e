#include "bookmarks/CHotlistMenu.h"

#include "platform/ui/CommandIds.h"

std::vector<DynamicMenuItem> CHotlistMenu::ItemsFor(const CBookmarkList& list) {
    if (list.GetCount() == 0)
        return {{.id = CommandId::HotlistFirst, .text = EmptyText, .greyed = true}};
    std::vector<DynamicMenuItem> items;
    for (size_t i = 0; i < list.GetCount(); ++i) {
        const unsigned id = CommandId::HotlistFirst + static_cast<unsigned>(i);
        items.push_back(
            {.id = id, .text = list.GetTitle(i), .greyed = id > CommandId::HotlistLast});
    }
    return items;
}

void CHotlistMenu::Rebuild(CMainFrameWindow& window, const CBookmarkList& list) {
    std::vector<DynamicMenuItem> items = ItemsFor(list);
    window.ReplaceMenuItems(CommandId::HotlistFirst, m_inserted, items);
    m_inserted = items.size();
}
