#include "support/TempDir.h"

#include "bookmarks/prefs/CDialogPrefOleControls.h"
#include "bookmarks/prefs/PrefControlIds.h"
#include "platform/CRegistry.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/com/ComHost.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

// The control libraries this page unregisters, copied into a directory of
// the test's own (unregistering deletes them).
const char* const kLibraries[] = {
    VESTRIAL_CONTROLS_DIR "/clock.ocx",
    VESTRIAL_CONTROLS_DIR "/fetch.ocx",
    VESTRIAL_TEST_CONTROLS_DIR "/noentry.ocx",
};

class OleControlsPage : public ::testing::Test {
protected:
    OleControlsPage() {
        fs::create_directories(m_ocx);
        fs::create_directories(m_elsewhere);
    }

    // Copies the library into directory and registers it from there.
    std::string Install(const char* library, const fs::path& directory) {
        fs::path copy = directory / fs::path(library).filename();
        fs::copy_file(library, copy, fs::copy_options::overwrite_existing);
        EXPECT_EQ(CoRegisterServer(copy.string(), false), S_OK) << copy;
        return copy.string();
    }

    // A class key as a control's registration writes it, by hand.
    void AddClass(const std::string& clsid, const char* name, bool control, const char* server,
                  const char* progId = nullptr) {
        const std::string key = "CLSID\\" + clsid;
        bool made = name ? m_registry.SetString(RegRoot::ClassesRoot, key, "", name)
                         : m_registry.CreateKey(RegRoot::ClassesRoot, key);
        if (control)
            made = made && m_registry.CreateKey(RegRoot::ClassesRoot, key + "\\Control");
        if (server)
            made = made &&
                   m_registry.SetString(RegRoot::ClassesRoot, key + "\\InprocServer32", "", server);
        if (progId)
            made = made && m_registry.SetString(RegRoot::ClassesRoot, key + "\\ProgID", "", progId);
        ASSERT_TRUE(made) << clsid;
    }

    std::unique_ptr<CDialogPrefOleControls> OpenPage() {
        auto page = std::make_unique<CDialogPrefOleControls>(m_registry, m_ui);
        CAppSettings::Values values;
        values.controlDirectory = m_ocx.string() + "/";
        page->Fill(values);
        return page;
    }

    std::vector<std::string> Lines(const CDialogPrefOleControls& page) const {
        return page.ListLines(PrefControlId::RegisteredControls);
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : m_ui.Shown())
            texts.push_back(shown.text);
        return texts;
    }

    void Answer(std::string_view word) {
        m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {std::string(word)});
    }

    TempDir m_dir;
    fs::path m_ocx = m_dir.Path() / "ocx";
    fs::path m_elsewhere = m_dir.Path() / "elsewhere";
    CRegistry m_registry{m_dir.Path() / "registry.reg"};
    CComInitialization m_com{m_registry};
    CHeadlessBackend m_ui;
};

const std::string kFailed(LoadString(StringId::UnregisterFailed));
const std::string kOutside(LoadString(StringId::ControlOutsideCache));

} // namespace

TEST_F(OleControlsPage, ListsControlsWithAServerAndKeepsWhatAMissingFileLeaves) {
    const std::string present = (m_ocx / "here.ocx").string();
    std::ofstream(present) << "x";
    AddClass("{00000000-0000-0000-0000-000000000001}", "Here", true, present.c_str());
    AddClass("{00000000-0000-0000-0000-000000000002}", "Not a control", false, present.c_str());
    AddClass("{00000000-0000-0000-0000-000000000003}", "No server", true, nullptr);
    AddClass("{00000000-0000-0000-0000-000000000004}", nullptr, true, present.c_str());
    AddClass("{00000000-0000-0000-0000-000000000005}", "Gone", true, "/nowhere/gone.ocx",
             "Test.Gone");
    auto page = OpenPage();
    EXPECT_EQ(Lines(*page), (std::vector<std::string>{"Here", "Gone"}));
    const auto& records = page->Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].filePresent);
    EXPECT_EQ(records[0].serverDirectory, m_ocx.string() + "/");
    EXPECT_TRUE(records[0].registry.classKey.empty());
    EXPECT_FALSE(records[1].filePresent);
    EXPECT_EQ(records[1].registry.classKey, "{00000000-0000-0000-0000-000000000005}");
    EXPECT_EQ(records[1].registry.progId, "Test.Gone");
    EXPECT_EQ(records[1].serverDirectory, "/nowhere/");
}

TEST_F(OleControlsPage, YesToAllUnregistersEverySelectedControlLastFirstAskingOnce) {
    std::vector<std::string> files;
    for (const char* library : kLibraries)
        files.push_back(Install(library, m_ocx));
    auto page = OpenPage();
    const std::vector<std::string> listed = Lines(*page);
    ASSERT_EQ(listed.size(), 3u);
    Answer(CHeadlessBackend::YesToAllWord);
    page->Press(PrefControlId::UnregisterControl, {0, 1, 2});
    EXPECT_EQ(m_ui.UnregisterQuestions(), std::vector<std::string>{listed[2]});
    EXPECT_TRUE(Lines(*page).empty());
    EXPECT_TRUE(Messages().empty());
    for (const std::string& file : files)
        EXPECT_FALSE(fs::exists(file)) << file;
    // Gone from the registry too: the page opened anew lists nothing.
    EXPECT_TRUE(Lines(*OpenPage()).empty());
}

TEST_F(OleControlsPage, EachAnswerActsOnItsControlFromTheLastSelectedUp) {
    for (const char* library : kLibraries)
        Install(library, m_ocx);
    auto page = OpenPage();
    const std::vector<std::string> listed = Lines(*page);
    ASSERT_EQ(listed.size(), 3u);
    // The third: yes; the second: no; the first: yes.
    Answer("yes");
    Answer("no");
    Answer("yes");
    page->Press(PrefControlId::UnregisterControl, {2, 0, 1});
    EXPECT_EQ(m_ui.UnregisterQuestions(),
              (std::vector<std::string>{listed[2], listed[1], listed[0]}));
    EXPECT_EQ(Lines(*page), std::vector<std::string>{listed[1]});
}

TEST_F(OleControlsPage, CancelStopsTheWalkAndUnselectedLinesAreNotAsked) {
    for (const char* library : kLibraries)
        Install(library, m_ocx);
    auto page = OpenPage();
    const std::vector<std::string> listed = Lines(*page);
    Answer("cancel");
    Answer("yes");
    // Line 3 is one past the end: nothing is there to ask about.
    page->Press(PrefControlId::UnregisterControl, {0, 2, 3});
    EXPECT_EQ(m_ui.UnregisterQuestions(), std::vector<std::string>{listed[2]});
    EXPECT_EQ(Lines(*page), listed);
    EXPECT_EQ(m_ui.Answers().Count(CHeadlessBackend::QuestionKind), 1u);
}

TEST_F(OleControlsPage, AControlOutsideTheControlDirectoryIsAskedAboutFirst) {
    const std::string file = Install(kLibraries[0], m_elsewhere);
    auto page = OpenPage();
    ASSERT_EQ(Lines(*page).size(), 1u);
    Answer("yes");
    Answer("no");
    page->Press(PrefControlId::UnregisterControl, {0});
    EXPECT_EQ(Messages(), std::vector<std::string>{kOutside});
    EXPECT_EQ(Lines(*page).size(), 1u);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(Lines(*OpenPage()).size(), 1u);

    Answer("yes");
    Answer("yes");
    page->Press(PrefControlId::UnregisterControl, {0});
    EXPECT_EQ(Messages(), (std::vector<std::string>{kOutside, kOutside}));
    EXPECT_TRUE(Lines(*page).empty());
    EXPECT_FALSE(fs::exists(file));
}

// The control directory spelt another way is still the control directory;
// a directory that differs only in case is another one.
TEST_F(OleControlsPage, ServerDirectoriesCompareAsPaths) {
    const std::string file = Install(kLibraries[0], m_ocx);
    {
        auto page = std::make_unique<CDialogPrefOleControls>(m_registry, m_ui);
        CAppSettings::Values values;
        values.controlDirectory = m_dir.Path().string() + "//ocx/./";
        page->Fill(values);
        Answer("yes");
        page->Press(PrefControlId::UnregisterControl, {0});
        EXPECT_TRUE(Messages().empty());
        EXPECT_FALSE(fs::exists(file));
    }
    Install(kLibraries[0], m_ocx);
    auto page = std::make_unique<CDialogPrefOleControls>(m_registry, m_ui);
    CAppSettings::Values values;
    values.controlDirectory = m_dir.Path().string() + "/OCX/";
    page->Fill(values);
    Answer("yes");
    page->Press(PrefControlId::UnregisterControl, {0});
    EXPECT_EQ(Messages(), std::vector<std::string>{kOutside});
}

TEST_F(OleControlsPage, AMissingServerFileFailsAndStaysListed) {
    AddClass("{00000000-0000-0000-0000-000000000005}", "Gone", true, (m_ocx / "gone.ocx").c_str());
    auto page = OpenPage();
    Answer("yes");
    page->Press(PrefControlId::UnregisterControl, {0});
    EXPECT_EQ(Messages(), std::vector<std::string>{kFailed});
    EXPECT_EQ(Lines(*page), std::vector<std::string>{"Gone"});
}

TEST_F(OleControlsPage, AServerThatCannotBeUnregisteredStaysWithItsFile) {
    const std::string notALibrary = (m_ocx / "text.ocx").string();
    std::ofstream(notALibrary) << "not a library";
    AddClass("{00000000-0000-0000-0000-000000000006}", "Text", true, notALibrary.c_str());
    auto page = OpenPage();
    Answer("yes");
    page->Press(PrefControlId::UnregisterControl, {0});
    EXPECT_EQ(Messages(), std::vector<std::string>{kFailed});
    EXPECT_EQ(Lines(*page), std::vector<std::string>{"Text"});
    EXPECT_TRUE(fs::exists(notALibrary));
}
