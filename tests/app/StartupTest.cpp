#include "support/TempDir.h"

#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "content/CMimeDynamicLoad.h"
#include "document/CTarnwickDoc.h"
#include "platform/CMessageQueue.h"
#include "platform/CNamedEvent.h"
#include "platform/CRegistry.h"
#include "platform/ui/CommandIds.h"
#include "ui/headless/CHeadlessBackend.h"
#include "view/CTarnwickView.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test {
protected:
    CContentHandlers m_handlers;
    TempDir m_dir;
    CRegistry m_registry{m_dir.Path() / "registry.reg"};
    CHeadlessBackend m_ui;

    void SetLoadHomePage(uint32_t value) {
        ASSERT_TRUE(m_registry.SetDword(
            RegRoot::CurrentUser, "Software\\Vestrial\\Vestrial\\UserInfo", "LoadHomePage", value));
    }
};

CCommandLine Opening(std::string target) {
    CCommandLine commandLine;
    commandLine.target = std::move(target);
    return commandLine;
}

// The URL the top-level document is fetching, or "" when it fetches nothing.
std::string Fetching(CTarnwickApp& app) {
    CMimeDynamicLoad* load = app.TopDocument()->MainLoad();
    return load ? load->Url() : "";
}

} // namespace

TEST_F(Startup, EmptyCommandLineOpensTheHomePage) {
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(CCommandLine{}));
    EXPECT_EQ(Fetching(app), "about:about.htm");
    EXPECT_EQ(m_ui.Title(), "Untitled - Vestrial");
}

TEST_F(Startup, CommandLineSuppressesTheHomePage) {
    SetLoadHomePage(1);
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(Opening("about:license.htm")));
    EXPECT_EQ(Fetching(app), "about:license.htm");
}

TEST_F(Startup, CommandLinePathOpensAsFileUrl) {
    ScopedWorkingDirectory cwd(m_dir.Path());
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(Opening("my page.htm")));
    EXPECT_EQ(Fetching(app),
              "file://" + std::filesystem::current_path().string() + "/my%20page.htm");
}

TEST_F(Startup, LoadHomePageZeroStartsEmpty) {
    SetLoadHomePage(0);
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(CCommandLine{}));
    EXPECT_EQ(Fetching(app), "");
    EXPECT_NE(app.MainFrame(), nullptr);
}

TEST_F(Startup, HomePageLoadEndsThroughTheLoop) {
    CTarnwickApp app(m_ui, m_registry);
    app.QuitWhenIdle();
    ASSERT_TRUE(app.InitInstance(Opening("about:nothing")));
    EXPECT_EQ(app.Run(), 0);
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text,
              "The entry \"about:nothing\" is not a valid name for the about protocol.");
    EXPECT_EQ(Fetching(app), "");
}

TEST_F(Startup, EmbeddingOpensNoWindow) {
    CCommandLine commandLine;
    commandLine.server = CCommandLine::Server::Automation;
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(commandLine));
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_NE(FindNamedEvent("DynamicLoadNotify"), nullptr);
}

TEST_F(Startup, NotifyEventLivesUntilExit) {
    {
        CTarnwickApp app(m_ui, m_registry);
        ASSERT_TRUE(app.InitInstance(CCommandLine{}));
        CNamedEvent* event = FindNamedEvent("DynamicLoadNotify");
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event, app.NotifyEvent());
        // Serviced by the loop like any other event.
        event->Signal();
        PostQuitMessage(0);
        EXPECT_EQ(app.Run(), 0);
        EXPECT_FALSE(event->IsSignalled());
        app.ExitInstance();
        EXPECT_EQ(FindNamedEvent("DynamicLoadNotify"), nullptr);
    }
    EXPECT_EQ(GetSettings(), nullptr);
}

TEST_F(Startup, ExitDeletesTemporaryFilesButNothingOutsideTheirDirectory) {
    std::filesystem::path temp = m_dir.Path() / "temp";
    std::filesystem::create_directory(temp);
    ASSERT_TRUE(m_registry.SetString(RegRoot::CurrentUser,
                                     "Software\\Vestrial\\Vestrial\\Directories", "Temp Storage",
                                     temp.string() + "/"));
    std::ofstream(temp / "a.ocx") << "x";
    std::ofstream(m_dir.Path() / "outside.txt") << "x";
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(CCommandLine{}));
    app.TempFiles()["a.ocx"] = {"a"};
    app.TempFiles()["missing.ocx"] = {};
    app.TempFiles()["../outside.txt"] = {};
    app.ExitInstance();
    EXPECT_FALSE(std::filesystem::exists(temp / "a.ocx"));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "outside.txt"));
    EXPECT_TRUE(app.TempFiles().empty());
}

TEST(CommandLineTarget, UrlsStandPathsBecomeAbsolute) {
    EXPECT_EQ(CommandLineTarget("http://example.org/"), "http://example.org/");
    EXPECT_EQ(CommandLineTarget("about:about.htm"), "about:about.htm");
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    std::string here = "file://" + std::filesystem::current_path().string();
    EXPECT_EQ(CommandLineTarget("page.htm"), here + "/page.htm");
    EXPECT_EQ(CommandLineTarget("./sub/../p q.htm"), here + "/p%20q.htm");
    EXPECT_EQ(CommandLineTarget("/abs/x#1.htm"), "file:///abs/x%231.htm");
}

TEST_F(Startup, TopDocumentIsShownInTheMainFramesView) {
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(Opening("about:license.htm")));
    ASSERT_NE(app.TopView(), nullptr);
    EXPECT_EQ(&app.TopView()->Document(), app.TopDocument());
    EXPECT_EQ(&app.TopView()->Window(), m_ui.View());
}

TEST_F(Startup, LocationFieldOpensTheCompletedAddress) {
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(Opening("about:license.htm")));
    m_ui.EnterAddress("127.0.0.1");
    EXPECT_EQ(Fetching(app), "http://127.0.0.1/");
    EXPECT_EQ(m_ui.Location(), "http://127.0.0.1/") << "the field shows what opens";
    m_ui.EnterAddress("about:about.htm");
    EXPECT_EQ(Fetching(app), "about:about.htm");
}

namespace {

// Runs the loop until the page has settled.
void Settle(CTarnwickApp& app) {
    bool quitting = false;
    app.SetIdleObserver([&](bool settled) {
        if (settled && !quitting) {
            quitting = true;
            PostQuitMessage(0);
        }
    });
    EXPECT_EQ(app.Run(), 0);
    app.SetIdleObserver(nullptr);
}

} // namespace

TEST_F(Startup, AScriptStartsOnAnEmptyPage) {
    SetLoadHomePage(1);
    CCommandLine commandLine;
    commandLine.script = "-";
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(commandLine));
    EXPECT_EQ(Fetching(app), "");
}

TEST_F(Startup, TheWindowsCommandsFollowTheirRules) {
    SetLoadHomePage(0);
    CTarnwickApp app(m_ui, m_registry);
    ASSERT_TRUE(app.InitInstance(CCommandLine{}));
    auto enabled = [&] {
        std::string names;
        for (const CTarnwickApp::Command& command : CTarnwickApp::Commands())
            if (m_ui.CommandEnabled(command.id))
                names += std::string(names.empty() ? "" : " ") + std::string(command.name);
        return names;
    };
    EXPECT_EQ(enabled(), "home");
    app.OpenUrl("about:about.htm");
    Settle(app);
    EXPECT_EQ(enabled(), "home reload");
    app.OpenUrl("about:license.htm");
    Settle(app);
    EXPECT_EQ(enabled(), "back home reload");
    m_ui.ChooseCommand(CommandId::Back);
    Settle(app);
    EXPECT_EQ(app.History().Index(), 0u);
    EXPECT_EQ(enabled(), "forward home reload");
    m_ui.ChooseCommand(CommandId::Back);
    EXPECT_EQ(Fetching(app), "") << "a greyed command does nothing";
    EXPECT_NE(app.TopDocument()->ContentObject(), nullptr);
}
