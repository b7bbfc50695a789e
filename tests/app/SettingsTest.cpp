#include "support/TempDir.h"

#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "platform/CRegistry.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

CCommandLine ServerCommandLine() {
    CCommandLine commandLine;
    commandLine.server = CCommandLine::Server::Embedding;
    return commandLine;
}

struct Snapshot {
    std::string control, temp, bookmark, user, email, home, smtp, proxy;
    int32_t loadHome, smtpPort, proxyPort, maxConnections;
};

Snapshot Read(CAppSettings& settings) {
    const CAppSettings::Values v = settings.Snapshot();
    return {v.controlDirectory, v.tempDirectory,  v.bookmarkDirectory, v.userName,
            v.userEmail,        v.homePage,       v.smtpServer,        v.httpProxy,
            v.loadHomePage,     v.smtpServerPort, v.httpProxyPort,     v.maxConnections};
}

const char* NetworkKey = "Software\\Vestrial\\Vestrial\\Network";

} // namespace

// The per-user folders of the test's own environment.
void UseDataAndCacheIn(const std::filesystem::path& dir) {
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
}

TEST(Settings, DefaultsWithEmptyRegistry) {
    TempDir dir;
    UseDataAndCacheIn(dir.Path());
    CRegistry registry(dir.Path() / "registry.reg");
    CHeadlessBackend ui;
    CTarnwickApp app(ui, registry);
    EXPECT_EQ(GetSettings(), &app.Settings());
    ASSERT_TRUE(app.InitInstance(ServerCommandLine()));

    Snapshot s = Read(app.Settings());
    EXPECT_EQ(s.control, (dir.Path() / "data/vestrial/controls/").string());
    EXPECT_EQ(s.temp, (dir.Path() / "cache/vestrial/").string());
    EXPECT_EQ(s.bookmark, (dir.Path() / "data/vestrial/").string());
    EXPECT_EQ(s.smtpPort, 25);
    EXPECT_EQ(s.proxyPort, 80);
    EXPECT_EQ(s.maxConnections, 4);
    EXPECT_EQ(s.loadHome, 1);
    EXPECT_EQ(s.home, "about:about.htm");
    EXPECT_TRUE(s.user.empty() && s.email.empty() && s.smtp.empty() && s.proxy.empty());
}

// The window's start makes the folders the bookmark file and the controls'
// files are kept in; a folder named in the settings is used instead of the
// default, and made if missing. The control directory waits for a control.
TEST(Settings, StartMakesTheBookmarkAndTemporaryDirectoriesAStoredOneWins) {
    TempDir dir;
    UseDataAndCacheIn(dir.Path());
    CRegistry registry(dir.Path() / "registry.reg");
    const std::string mine = (dir.Path() / "mine" / "bookmarks").string();
    ASSERT_TRUE(registry.SetString(RegRoot::CurrentUser,
                                   "Software\\Vestrial\\Vestrial\\Directories", "Bookmark Storage",
                                   mine + "/"));
    ASSERT_TRUE(registry.SetDword(RegRoot::CurrentUser, "Software\\Vestrial\\Vestrial\\UserInfo",
                                  "LoadHomePage", 0));
    CContentHandlers handlers;
    CHeadlessBackend ui;
    CTarnwickApp app(ui, registry);
    ASSERT_TRUE(app.InitInstance(CCommandLine{}));
    Snapshot s = Read(app.Settings());
    EXPECT_EQ(s.bookmark, mine + "/");
    EXPECT_TRUE(std::filesystem::is_directory(mine));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "cache/vestrial"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "data/vestrial"));
}

// Workers read the proxy's host and port while the preferences may change
// them: a snapshot holds both from one change, never one from each.
TEST(Settings, ASnapshotTakesEverySettingFromOneChange) {
    CAppSettings settings;
    auto setProxy = [&](int32_t i) {
        settings.Update([&](CAppSettings::Values& values) {
            values.httpProxy = "proxy" + std::to_string(i);
            values.httpProxyPort = i;
        });
    };
    setProxy(0);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int32_t i = 1; i <= 2000; ++i)
            setProxy(i);
        done = true;
    });
    int32_t mixed = 0;
    int32_t last = 0;
    while (!done || last < 2000) {
        const CAppSettings::Values values = settings.Snapshot();
        if (values.httpProxy != "proxy" + std::to_string(values.httpProxyPort))
            ++mixed;
        last = values.httpProxyPort;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

TEST(Settings, RootWorkingDirectoryGetsNoSecondSlash) {
    EXPECT_EQ(WithTrailingSlash("/"), "/");
    EXPECT_EQ(WithTrailingSlash("/home/u"), "/home/u/");
    EXPECT_EQ(WithTrailingSlash("/home/u/"), "/home/u/");
}

TEST(Settings, SaveThenLoadRoundTripsEveryKey) {
    TempDir dir;
    std::filesystem::path file = dir.Path() / "registry.reg";
    {
        CRegistry registry(file);
        CHeadlessBackend ui;
        CTarnwickApp app(ui, registry);
        ASSERT_TRUE(app.InitInstance(ServerCommandLine()));
        app.Settings().Update([](CAppSettings::Values& s) {
            s.controlDirectory = "/ocx/";
            s.tempDirectory = "/tmp/v/";
            s.bookmarkDirectory = "/b/";
            s.userName = "Ann \"Q\" Smith\\";
            s.userEmail = "ann@example.org";
            s.homePage = "http://example.org/";
            s.loadHomePage = 0;
            s.smtpServer = "mail.example.org";
            s.smtpServerPort = 2525;
            s.httpProxy = "proxy";
            s.httpProxyPort = 3128;
            s.maxConnections = 2;
        });
        ASSERT_TRUE(app.SaveSettings());
    }
    CRegistry registry(file);
    EXPECT_EQ(registry.GetDword(RegRoot::CurrentUser, NetworkKey, "HttpProxyPort"), 3128u);
    CHeadlessBackend ui;
    CTarnwickApp app(ui, registry);
    ASSERT_TRUE(app.InitInstance(ServerCommandLine()));
    Snapshot s = Read(app.Settings());
    EXPECT_EQ(s.control, "/ocx/");
    EXPECT_EQ(s.temp, "/tmp/v/");
    EXPECT_EQ(s.bookmark, "/b/");
    EXPECT_EQ(s.user, "Ann \"Q\" Smith\\");
    EXPECT_EQ(s.email, "ann@example.org");
    EXPECT_EQ(s.home, "http://example.org/");
    EXPECT_EQ(s.loadHome, 0);
    EXPECT_EQ(s.smtp, "mail.example.org");
    EXPECT_EQ(s.smtpPort, 2525);
    EXPECT_EQ(s.proxy, "proxy");
    EXPECT_EQ(s.proxyPort, 3128);
    EXPECT_EQ(s.maxConnections, 2);
}

TEST(Settings, MissingKeysKeepTheirDefaults) {
    TempDir dir;
    CRegistry registry(dir.Path() / "registry.reg");
    ASSERT_TRUE(registry.SetDword(RegRoot::CurrentUser, NetworkKey, "MaxConnections", 1));
    CHeadlessBackend ui;
    CTarnwickApp app(ui, registry);
    ASSERT_TRUE(app.InitInstance(ServerCommandLine()));
    Snapshot s = Read(app.Settings());
    EXPECT_EQ(s.maxConnections, 1);
    EXPECT_EQ(s.proxyPort, 80);
}

TEST(Settings, NothingIsWrittenAtStartOrExit) {
    TempDir dir;
    std::filesystem::path file = dir.Path() / "registry.reg";
    {
        CRegistry registry(file);
        CHeadlessBackend ui;
        CTarnwickApp app(ui, registry);
        ASSERT_TRUE(app.InitInstance(CCommandLine{}));
        app.ExitInstance();
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}
