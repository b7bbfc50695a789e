#include "support/TempDir.h"

#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "bookmarks/prefs/CDialogPref.h"
#include "bookmarks/prefs/PrefControlIds.h"
#include "platform/CRegistry.h"
#include "platform/ui/CommandIds.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace Id = PrefControlId;

namespace {

struct IntegerCase {
    const char* text;
    int32_t min;
    int32_t max;
    const char* message; // nullptr: accepted
};

constexpr const char* NotANumber = "Please enter an integer.";

// The limits of each field at their edges, and what the framework does not
// read as a number.
const IntegerCase kIntegerCases[] = {
    {"0", 1, 4, "Please enter an integer between 1 and 4."},
    {"1", 1, 4, nullptr},
    {"4", 1, 4, nullptr},
    {"5", 1, 4, "Please enter an integer between 1 and 4."},
    {"0", 1, 9999, "Please enter an integer between 1 and 9999."},
    {"1", 1, 9999, nullptr},
    {"9999", 1, 9999, nullptr},
    {"10000", 1, 9999, "Please enter an integer between 1 and 9999."},
    {"-1", 1, 9999, "Please enter an integer between 1 and 9999."},
    {" 80 ", 1, 9999, nullptr},
    {"+80", 1, 9999, nullptr},
    {"", 1, 9999, NotANumber},
    {"   ", 1, 9999, NotANumber},
    {"abc", 1, 9999, NotANumber},
    {"80x", 1, 9999, NotANumber},
    {"8 0", 1, 9999, NotANumber},
    {"-", 1, 9999, NotANumber},
    {"0x50", 1, 9999, NotANumber},
    {"2147483648", 1, 9999, NotANumber},
    {"2147483647", 1, 9999, "Please enter an integer between 1 and 9999."},
    {"-2147483648", 1, 9999, "Please enter an integer between 1 and 9999."},
    {"-2147483649", 1, 9999, NotANumber},
};

TEST(PrefIntegers, FieldsAreCheckedAsTheFrameworkChecksThem) {
    for (const IntegerCase& c : kIntegerCases) {
        std::optional<std::string> message = CheckDialogInteger(c.text, c.min, c.max);
        if (c.message)
            EXPECT_EQ(message, std::optional<std::string>(c.message)) << '"' << c.text << '"';
        else
            EXPECT_EQ(message, std::nullopt) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseDialogInteger("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseDialogInteger(" +17\t"), 17);
}

CAppSettings::Values SomeSettings() {
    CAppSettings::Values values;
    values.controlDirectory = "/c/ocx/";
    values.tempDirectory = "/c/tmp/";
    values.bookmarkDirectory = "/c/b/";
    values.userName = "Ann";
    values.userEmail = "ann@example.org";
    values.homePage = "http://example.org/";
    values.loadHomePage = 0;
    values.smtpServer = "mail";
    values.smtpServerPort = 2525;
    values.httpProxy = "proxy";
    values.httpProxyPort = 3128;
    values.maxConnections = 2;
    return values;
}

class PrefSheet : public ::testing::Test {
protected:
    TempDir m_dir;
    CRegistry m_registry{m_dir.Path() / "registry.reg"};
    CHeadlessBackend m_ui;

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : m_ui.Shown())
            texts.push_back(shown.text);
        return texts;
    }
};

} // namespace

TEST_F(PrefSheet, PagesAreFilledFromTheSettingsInTheirOrder) {
    CDialogPref sheet(SomeSettings(), m_registry, m_ui);
    ASSERT_EQ(sheet.PageCount(), 3u);
    EXPECT_EQ(sheet.Title(), "Preferences");
    EXPECT_EQ(sheet.PageCaption(0), "Network and Cache");
    EXPECT_EQ(sheet.PageCaption(1), "OLE Controls");
    EXPECT_EQ(sheet.PageCaption(2), "User Info");
    EXPECT_EQ(sheet.ActivePage(), 0u);
    const std::pair<unsigned, const char*> expected[] = {
        {Id::SmtpServer, "mail"},
        {Id::SmtpPort, "2525"},
        {Id::HttpProxy, "proxy"},
        {Id::HttpProxyPort, "3128"},
        {Id::MaxConnections, "2"},
        {Id::CacheDirectory, "/c/tmp/"},
        {Id::ControlDirectory, "/c/ocx/"},
        {Id::UserName, "Ann"},
        {Id::UserEmail, "ann@example.org"},
        {Id::HomePage, "http://example.org/"},
        {Id::LoadHomePage, "0"},
    };
    for (auto [id, text] : expected)
        EXPECT_EQ(sheet.Text(id), text) << id;
}

TEST_F(PrefSheet, CacheSizeAndClearingAreShownDisabled) {
    CDialogPref sheet(SomeSettings(), m_registry, m_ui);
    std::vector<std::string_view> disabled;
    for (size_t page = 0; page < sheet.PageCount(); ++page)
        for (const SheetControl& control : sheet.Controls(page))
            if (!control.enabled)
                disabled.push_back(control.label);
    EXPECT_EQ(disabled, (std::vector<std::string_view>{"Cache Size:", "megabyte(s)",
                                                       "Clear Disk Cache Now"}));
}

TEST_F(PrefSheet, AWrongNumberKeepsItsPageOpenWithTheFrameworksMessage) {
    CDialogPref sheet(SomeSettings(), m_registry, m_ui);
    sheet.SetText(Id::MaxConnections, "5");
    EXPECT_FALSE(sheet.Confirm());
    EXPECT_FALSE(sheet.SelectPage(2));
    EXPECT_EQ(sheet.ActivePage(), 0u);
    sheet.SetText(Id::MaxConnections, "4");
    sheet.SetText(Id::HttpProxyPort, "eighty");
    EXPECT_FALSE(sheet.SelectPage(1));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Please enter an integer between 1 and 4.",
                                                    "Please enter an integer between 1 and 4.",
                                                    "Please enter an integer."}));
    sheet.SetText(Id::HttpProxyPort, "8080");
    EXPECT_TRUE(sheet.SelectPage(1));
    EXPECT_TRUE(sheet.Confirm());
}

// A page behind the one in front holds what the settings held: a number out
// of range there is found on OK too, and its page comes to the front.
TEST_F(PrefSheet, OkChecksThePagesBehindAndShowsTheFailingOne) {
    CAppSettings::Values values = SomeSettings();
    values.maxConnections = 9;
    CDialogPref sheet(values, m_registry, m_ui);
    // The user info page is reached only by leaving the first with good
    // values: made bad again behind it, as a registry might hold it.
    sheet.SetText(Id::MaxConnections, "3");
    ASSERT_TRUE(sheet.SelectPage(2));
    sheet.SetText(Id::MaxConnections, "0");
    EXPECT_FALSE(sheet.Confirm());
    EXPECT_EQ(sheet.ActivePage(), 0u);
}

TEST_F(PrefSheet, ReadOnlyAndDisabledFieldsTakeNoText) {
    CDialogPref sheet(SomeSettings(), m_registry, m_ui);
    sheet.SetText(Id::ControlDirectory, "/elsewhere/");
    sheet.SetText(Id::CacheSize, "10");
    EXPECT_EQ(sheet.Text(Id::ControlDirectory), "/c/ocx/");
    EXPECT_EQ(sheet.Text(Id::CacheSize), "");
}

TEST_F(PrefSheet, DirectoriesAreCopiedBackWithOneTrailingSlash) {
    struct Case {
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {{"/var/cache/v", "/var/cache/v/"},
                          {"/var/cache/v/", "/var/cache/v/"},
                          {"/", "/"},
                          {"", "/"}};
    for (const Case& c : cases) {
        CAppSettings::Values values = SomeSettings();
        values.controlDirectory = c.typed;
        CDialogPref sheet(values, m_registry, m_ui);
        sheet.SetText(Id::CacheDirectory, c.typed);
        ASSERT_TRUE(sheet.Confirm());
        CAppSettings::Values back;
        sheet.CopyBack(back);
        EXPECT_EQ(back.tempDirectory, c.stored) << c.typed;
        EXPECT_EQ(back.controlDirectory, c.stored) << c.typed;
    }
}

TEST_F(PrefSheet, EveryFieldIsCopiedBack) {
    CDialogPref sheet(SomeSettings(), m_registry, m_ui);
    const std::pair<unsigned, const char*> typed[] = {
        {Id::SmtpServer, "smtp.example.org"},
        {Id::SmtpPort, "1"},
        {Id::HttpProxy, "127.0.0.1"},
        {Id::HttpProxyPort, "9999"},
        {Id::MaxConnections, "1"},
        {Id::CacheDirectory, "/t"},
        {Id::UserName, "Bo"},
        {Id::UserEmail, "bo@example.org"},
        {Id::HomePage, "about:license.htm"},
        {Id::LoadHomePage, "1"},
    };
    for (auto [id, text] : typed)
        sheet.SetText(id, text);
    ASSERT_TRUE(sheet.Confirm());
    CAppSettings::Values back = SomeSettings();
    sheet.CopyBack(back);
    EXPECT_EQ(back.smtpServer, "smtp.example.org");
    EXPECT_EQ(back.smtpServerPort, 1);
    EXPECT_EQ(back.httpProxy, "127.0.0.1");
    EXPECT_EQ(back.httpProxyPort, 9999);
    EXPECT_EQ(back.maxConnections, 1);
    EXPECT_EQ(back.tempDirectory, "/t/");
    EXPECT_EQ(back.userName, "Bo");
    EXPECT_EQ(back.userEmail, "bo@example.org");
    EXPECT_EQ(back.homePage, "about:license.htm");
    EXPECT_EQ(back.loadHomePage, 1);
    EXPECT_EQ(back.bookmarkDirectory, "/c/b/");
}

namespace {

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The application with its window, its settings stored in a registry file.
class PrefCommand : public ::testing::Test {
protected:
    PrefCommand() {
        const std::string network = "Software\\Vestrial\\Vestrial\\Network";
        EXPECT_TRUE(m_registry.SetString(RegRoot::CurrentUser, network, "HttpProxy", "old"));
        EXPECT_TRUE(m_registry.SetDword(
            RegRoot::CurrentUser, "Software\\Vestrial\\Vestrial\\UserInfo", "LoadHomePage", 0));
        setenv("XDG_DATA_HOME", (m_dir.Path() / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (m_dir.Path() / "cache").c_str(), 1);
        EXPECT_TRUE(m_app.InitInstance(CCommandLine{}));
    }

    // Edits on all three pages.
    void EditEveryPage(CPreferenceSheet& sheet) {
        sheet.SetText(Id::HttpProxy, "new");
        sheet.SetText(Id::MaxConnections, "1");
        ASSERT_TRUE(sheet.SelectPage(1));
        m_ui.PreferenceSelection() = {0};
        ASSERT_TRUE(sheet.SelectPage(2));
        sheet.SetText(Id::UserName, "Someone");
        sheet.SetText(Id::LoadHomePage, "1");
    }

    TempDir m_dir;
    CContentHandlers m_handlers;
    CRegistry m_registry{m_dir.Path() / "registry.reg"};
    CHeadlessBackend m_ui;
    CTarnwickApp m_app{m_ui, m_registry};
};

} // namespace

TEST_F(PrefCommand, CancelAfterEditsOnEveryPageChangesNothing) {
    const std::string before = FileBytes(m_registry.File());
    const CAppSettings::Values settings = m_app.Settings().Snapshot();
    m_ui.ChooseCommand(CommandId::Preferences);
    CPreferenceSheet* sheet = m_ui.Preferences();
    ASSERT_NE(sheet, nullptr);
    EditEveryPage(*sheet);
    ASSERT_TRUE(m_ui.ClosePreferences(false));
    EXPECT_EQ(m_ui.Preferences(), nullptr);
    EXPECT_EQ(FileBytes(m_registry.File()), before);
    const CAppSettings::Values after = m_app.Settings().Snapshot();
    EXPECT_EQ(after.httpProxy, settings.httpProxy);
    EXPECT_EQ(after.maxConnections, settings.maxConnections);
    EXPECT_EQ(after.userName, settings.userName);
    EXPECT_EQ(after.loadHomePage, settings.loadHomePage);
}

TEST_F(PrefCommand, SettingsAreWrittenOnlyOnOk) {
    const std::string before = FileBytes(m_registry.File());
    m_ui.ChooseCommand(CommandId::Preferences);
    CPreferenceSheet* sheet = m_ui.Preferences();
    ASSERT_NE(sheet, nullptr);
    EditEveryPage(*sheet);
    sheet->SetText(Id::HttpProxyPort, "10000");
    // A refused OK leaves the sheet open and writes nothing.
    EXPECT_FALSE(m_ui.ClosePreferences(true));
    EXPECT_EQ(m_ui.Preferences(), sheet);
    EXPECT_EQ(FileBytes(m_registry.File()), before);
    EXPECT_EQ(m_app.Settings().Snapshot().httpProxy, "old");

    sheet->SetText(Id::HttpProxyPort, "9999");
    ASSERT_TRUE(m_ui.ClosePreferences(true));
    const CAppSettings::Values after = m_app.Settings().Snapshot();
    EXPECT_EQ(after.httpProxy, "new");
    EXPECT_EQ(after.httpProxyPort, 9999);
    EXPECT_EQ(after.maxConnections, 1);
    EXPECT_EQ(after.userName, "Someone");
    EXPECT_EQ(after.loadHomePage, 1);
    CRegistry reread(m_registry.File());
    EXPECT_EQ(reread.GetString(RegRoot::CurrentUser, "Software\\Vestrial\\Vestrial\\Network",
                               "HttpProxy"),
              "new");
    EXPECT_EQ(reread.GetDword(RegRoot::CurrentUser, "Software\\Vestrial\\Vestrial\\Network",
                              "HttpProxyPort"),
              9999u);
}

TEST_F(PrefCommand, ASecondPreferencesCommandWhileOpenOpensNoSecondSheet) {
    m_ui.ChooseCommand(CommandId::Preferences);
    CPreferenceSheet* first = m_ui.Preferences();
    ASSERT_NE(first, nullptr);
    first->SetText(Id::UserName, "Kept");
    m_ui.ChooseCommand(CommandId::Preferences);
    EXPECT_EQ(m_ui.Preferences(), first);
    EXPECT_EQ(first->Text(Id::UserName), "Kept");
}
