#include "support/TempDir.h"

#include "app/CMainFrame.h"
#include "app/CProfile.h"
#include "platform/CRegistry.h"
#include "platform/ui/CUiBackend.h"
#include "platform/ui/CommandIds.h"
#include "platform/ui/MainMenu.h"
#include "view/CTextFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const std::vector<BarPlacement> kDefaults = {{.barId = BarId::ToolBar},
                                             {.barId = BarId::LocationBar},
                                             {.barId = BarId::StatusBar, .side = DockSide::Bottom}};

struct ProfileFixture : ::testing::Test {
    TempDir dir;
    CRegistry registry{dir.Path() / "registry.reg"};
    CProfile profile{registry, "Vestrial"};
    void SetUp() override { profile.SetRegistryKey("Vestrial"); }
    void Bar(int index, unsigned id, int visible, const char* docking) {
        std::string section = "Vestrial-Toolbar-Bar" + std::to_string(index);
        ASSERT_TRUE(profile.WriteInt(section, "BarID", static_cast<int32_t>(id)));
        ASSERT_TRUE(profile.WriteInt(section, "Visible", visible));
        ASSERT_TRUE(profile.WriteString(section, "Docking", docking));
    }
};

using BarLayout = ProfileFixture;

TEST_F(BarLayout, WrittenLayoutReadsBack) {
    std::vector<BarPlacement> layout = {
        {.barId = BarId::LocationBar, .visible = false, .side = DockSide::Bottom},
        {.barId = BarId::ToolBar, .visible = true, .side = DockSide::Top},
        {.barId = BarId::StatusBar, .visible = false, .side = DockSide::Bottom}};
    ASSERT_TRUE(WriteBarLayout(profile, CMainFrame::BarStateName, layout));
    EXPECT_EQ(ReadBarLayout(profile, CMainFrame::BarStateName, kDefaults), layout);
}

TEST_F(BarLayout, NothingSavedGivesTheDefaults) {
    EXPECT_EQ(ReadBarLayout(profile, CMainFrame::BarStateName, kDefaults), kDefaults);
}

TEST_F(BarLayout, StrangeEntriesKeepTheDefaults) {
    // An unknown id, a second entry for the same bar, the status bar sent to
    // the top: each is ignored, and a bar not named keeps its place.
    ASSERT_TRUE(profile.WriteInt("Vestrial-Toolbar-Summary", "Bars", 4));
    Bar(0, 12345, 0, "Top");
    Bar(1, BarId::LocationBar, 0, "Bottom");
    Bar(2, BarId::LocationBar, 1, "Top");
    Bar(3, BarId::StatusBar, 1, "Top");
    std::vector<BarPlacement> expected = {
        {.barId = BarId::LocationBar, .visible = false, .side = DockSide::Bottom},
        {.barId = BarId::StatusBar, .side = DockSide::Bottom},
        {.barId = BarId::ToolBar}};
    EXPECT_EQ(ReadBarLayout(profile, CMainFrame::BarStateName, kDefaults), expected);
}

TEST_F(BarLayout, AtMostSixteenEntriesAreRead) {
    // Entries 0..15 are read, 16 is not: the tool bar named only at 16 (and
    // then at 15, 14) shows where the limit lies.
    for (int count : {15, 16, 17}) {
        SCOPED_TRACE(count);
        ASSERT_TRUE(profile.WriteInt("Vestrial-Toolbar-Summary", "Bars", count));
        for (int i = 0; i < 17; ++i)
            Bar(i, 1, 1, "Top");
        Bar(count - 1, BarId::ToolBar, 0, "Top");
        bool read = count <= 16;
        std::vector<BarPlacement> layout =
            ReadBarLayout(profile, CMainFrame::BarStateName, kDefaults);
        auto tool = std::find_if(layout.begin(), layout.end(), [](const BarPlacement& bar) {
            return bar.barId == BarId::ToolBar;
        });
        ASSERT_NE(tool, layout.end());
        // Read, it hides the tool bar; not read, the default shows it.
        EXPECT_EQ(tool->visible, !read) << "the entry at " << count - 1;
    }
}

TEST(MainMenu, AcceleratorsAsTheMenuShowsThem) {
    struct Case {
        const char* text;
        bool parsed;
        char key;
        bool control;
    } cases[] = {
        {"&Open File...\tCtrl+O", true, 'o', true},
        {"Cu&t\tCtrl+X", true, 'x', true},
        {"&Reload", false, 0, false},
        {"Item\tF", true, 'f', false},
        {"Item\tCtrl+", false, 0, false},
        {"Item\tCtrl+AB", false, 0, false},
    };
    for (const Case& c : cases) {
        Accelerator accelerator;
        ASSERT_EQ(ParseAccelerator(c.text, accelerator), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(accelerator.key, c.key) << c.text;
            EXPECT_EQ(accelerator.control, c.control) << c.text;
        }
    }
    std::vector<unsigned> ids;
    for (const Accelerator& accelerator : Accelerators())
        ids.push_back(accelerator.id);
    EXPECT_EQ(ids, (std::vector<unsigned>{CommandId::OpenFile, CommandId::Print, CommandId::Cut,
                                          CommandId::Copy, CommandId::Paste}));
}

TEST(MainMenu, EveryCommandHasPromptAndToolTip) {
    for (const Menu& menu : MainMenu())
        for (const MenuItem& item : menu.items)
            if (item.id != 0) {
                EXPECT_FALSE(CommandPrompt(item.id).empty()) << item.id;
                EXPECT_FALSE(CommandToolTip(item.id).empty()) << item.id;
            }
}

TEST(FindInPage, LettersMatchWhateverTheirCase) {
    struct Case {
        const char* haystack;
        const char* needle;
        size_t from;
        size_t found;
    } cases[] = {
        {"The Needle here", "needle", 0, 4},
        {"The Needle here", "NEEDLE", 4, 4},
        {"The Needle here", "needle", 5, std::string::npos},
        {"needle", "needle", 0, 0},
        {"needl", "needle", 0, std::string::npos},
        {"abc", "", 0, std::string::npos},
        {"\xC9t\xE9", "\xE9T\xC9", 0, 0},  // E acute, both cases
        {"x\x8A", "\x9A", 0, 1},           // S caron
        {"ab", "b", 2, std::string::npos}, // from at the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindNoCase(c.haystack, c.needle, c.from), c.found)
            << c.haystack << " / " << c.needle << " from " << c.from;
}

} // namespace
