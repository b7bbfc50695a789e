#include "support/TempDir.h"

#include "app/CTarnwickApp.h"
#include "platform/CRegistry.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

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
    CSemLockGuard guard(settings.m_lock);
    return {settings.m_controlDirectory, settings.m_tempDirectory, settings.m_bookmarkDirectory,
            settings.m_userName,         settings.m_userEmail,     settings.m_homePage,
            settings.m_smtpServer,       settings.m_httpProxy,     settings.m_loadHomePage,
            settings.m_smtpServerPort,   settings.m_httpProxyPort, settings.m_maxConnections};
}

const char* NetworkKey = "Software\\Vestrial\\Vestrial\\Network";

} // namespace

TEST(Settings, DefaultsWithEmptyRegistry) {
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    CRegistry registry(dir.Path() / "registry.reg");
    CHeadlessBackend ui;
    CTarnwickApp app(ui, registry);
    EXPECT_EQ(GetSettings(), &app.Settings());
    ASSERT_TRUE(app.InitInstance(ServerCommandLine()));

    Snapshot s = Read(app.Settings());
    std::string expected = std::filesystem::current_path().string() + "/";
    EXPECT_EQ(s.control, expected);
    EXPECT_EQ(s.temp, expected);
    EXPECT_EQ(s.bookmark, expected);
    EXPECT_EQ(s.smtpPort, 25);
    EXPECT_EQ(s.proxyPort, 80);
    EXPECT_EQ(s.maxConnections, 4);
    EXPECT_EQ(s.loadHome, 1);
    EXPECT_EQ(s.home, "about:about.htm");
    EXPECT_TRUE(s.user.empty() && s.email.empty() && s.smtp.empty() && s.proxy.empty());
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
        {
            CAppSettings& s = app.Settings();
            CSemLockGuard guard(s.m_lock);
            s.m_controlDirectory = "/ocx/";
            s.m_tempDirectory = "/tmp/v/";
            s.m_bookmarkDirectory = "/b/";
            s.m_userName = "Ann \"Q\" Smith\\";
            s.m_userEmail = "ann@example.org";
            s.m_homePage = "http://example.org/";
            s.m_loadHomePage = 0;
            s.m_smtpServer = "mail.example.org";
            s.m_smtpServerPort = 2525;
            s.m_httpProxy = "proxy";
            s.m_httpProxyPort = 3128;
            s.m_maxConnections = 2;
        }
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
