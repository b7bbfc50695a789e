#include "bookmarks/CEditHotlistDialog.h"
#include "bookmarks/CHotlistMenu.h"
#include "platform/ui/CommandIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CBookmarkList ListOfCount(size_t count) {
    CBookmarkList list;
    for (size_t i = 0; i < count; ++i)
        list.Add("T" + std::to_string(i), "http://h/" + std::to_string(i));
    return list;
}

std::vector<std::string> Titles(const CHotlistDialogModel& dialog) {
    std::vector<std::string> titles;
    for (size_t i = 0; i < dialog.Count(); ++i)
        titles.push_back(dialog.Title(i));
    return titles;
}

} // namespace

// Move Up needs an entry above, Move Down one below; the other three only a
// selection.
TEST(EditHotlistDialog, ButtonsBySelection) {
    struct Case {
        size_t count;
        std::optional<size_t> selection;
        HotlistButtons buttons;
    };
    auto on = [](bool up, bool down, std::string url) {
        return HotlistButtons{.moveUp = up,
                              .moveDown = down,
                              .editItem = true,
                              .deleteItem = true,
                              .openUrl = true,
                              .url = std::move(url)};
    };
    const Case cases[] = {
        {0, std::nullopt, {}},
        {3, std::nullopt, {}},
        {1, 0, on(false, false, "http://h/0")},
        {3, 0, on(false, true, "http://h/0")},
        {3, 1, on(true, true, "http://h/1")},
        {3, 2, on(true, false, "http://h/2")},
        // Outside the list: nothing is selected.
        {3, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " " << c.selection.value_or(99));
        CEditHotlistDialog dialog(ListOfCount(c.count), {});
        dialog.Select(c.selection);
        EXPECT_EQ(dialog.Buttons(), c.buttons);
    }
}

TEST(EditHotlistDialog, OpensOnTheFirstEntry) {
    CEditHotlistDialog some(ListOfCount(2), {});
    some.OnOpen();
    EXPECT_EQ(some.Selection(), 0u);
    CEditHotlistDialog none(ListOfCount(0), {});
    none.OnOpen();
    EXPECT_EQ(none.Selection(), std::nullopt);
}

TEST(EditHotlistDialog, MovesFollowTheSelection) {
    CEditHotlistDialog dialog(ListOfCount(3), {});
    dialog.Select(0);
    dialog.MoveUp(); // disabled on the first entry
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"T0", "T1", "T2"}));
    dialog.MoveDown();
    dialog.MoveDown();
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"T1", "T2", "T0"}));
    EXPECT_EQ(dialog.Selection(), 2u);
    dialog.MoveDown(); // disabled on the last entry
    dialog.MoveUp();
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"T1", "T0", "T2"}));
    EXPECT_EQ(dialog.Selection(), 1u);
    EXPECT_EQ(dialog.WorkingList().GetUrl(1), "http://h/0");
}

TEST(EditHotlistDialog, ItemsEditedAddedAndDeleted) {
    CBookmarkList original = ListOfCount(2);
    CEditHotlistDialog dialog(original, {.title = "Page", .url = "http://page/"});
    dialog.Select(1);
    EXPECT_EQ(dialog.EditItemFields().title, "T1");
    dialog.ApplyEditItem({.title = "Edited", .url = "http://edited/"});
    EXPECT_EQ(dialog.Selection(), 1u);
    HotlistItemFields fresh = dialog.NewItemFields();
    EXPECT_EQ(fresh.title, "Page");
    EXPECT_EQ(fresh.url, "http://page/");
    dialog.ApplyNewItem(fresh);
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"T0", "Edited", "Page"}));
    EXPECT_EQ(dialog.Selection(), 1u);
    dialog.DeleteItem();
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"T0", "Page"}));
    EXPECT_EQ(dialog.Selection(), std::nullopt);
    EXPECT_EQ(dialog.Buttons(), HotlistButtons{});
    // The application's list is untouched until it copies the working one.
    EXPECT_EQ(original, ListOfCount(2));
}

TEST(EditHotlistDialog, OpenUrlNeedsASelection) {
    CEditHotlistDialog dialog(ListOfCount(2), {});
    EXPECT_FALSE(dialog.ChooseOpenUrl());
    dialog.Select(1);
    EXPECT_TRUE(dialog.ChooseOpenUrl());
    EXPECT_EQ(dialog.ChosenUrl(), "http://h/1");
}

// Twenty entries have commands; the twenty-first on are shown greyed.
TEST(HotlistMenu, ItemsForTheList) {
    EXPECT_EQ(CHotlistMenu::ItemsFor(ListOfCount(0)),
              (std::vector<DynamicMenuItem>{
                  {.id = CommandId::HotlistFirst, .text = "Bookmarks", .greyed = true}}));
    for (size_t count : {size_t{1}, size_t{19}, size_t{20}, size_t{21}, size_t{25}}) {
        SCOPED_TRACE(count);
        std::vector<DynamicMenuItem> items = CHotlistMenu::ItemsFor(ListOfCount(count));
        ASSERT_EQ(items.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(items[i].id, CommandId::HotlistFirst + i);
            EXPECT_EQ(items[i].text, "T" + std::to_string(i));
            EXPECT_EQ(items[i].greyed, i >= 20) << i;
        }
    }
}
