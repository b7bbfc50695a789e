#include "app/CCommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, TargetAndShell) {
    auto result = ParseCommandLine({"--headless", "page.htm"});
    ASSERT_TRUE(result.commandLine);
    EXPECT_EQ(result.commandLine->shell, CCommandLine::Shell::Headless);
    EXPECT_EQ(result.commandLine->target, "page.htm");
    EXPECT_TRUE(result.commandLine->OpensSomething());
}

TEST(CommandLine, EmptyOpensNothing) {
    auto result = ParseCommandLine({});
    ASSERT_TRUE(result.commandLine);
    EXPECT_FALSE(result.commandLine->OpensSomething());
    EXPECT_EQ(result.commandLine->shell, CCommandLine::Shell::Gui);
}

TEST(CommandLine, ServerFlagsInEitherFormAndCase) {
    for (const char* flag : {"/Embedding", "-embedding", "/EMBEDDING"}) {
        auto result = ParseCommandLine({flag});
        ASSERT_TRUE(result.commandLine) << flag;
        EXPECT_EQ(result.commandLine->server, CCommandLine::Server::Embedding) << flag;
        EXPECT_FALSE(result.commandLine->OpensSomething());
    }
    EXPECT_EQ(ParseCommandLine({"-Automation"}).commandLine->server,
              CCommandLine::Server::Automation);
}

TEST(CommandLine, RejectsUnknownOptionsAndSecondTarget) {
    EXPECT_FALSE(ParseCommandLine({"--frobnicate"}).commandLine);
    auto two = ParseCommandLine({"a.htm", "b.htm"});
    EXPECT_FALSE(two.commandLine);
    EXPECT_NE(two.error.find("b.htm"), std::string::npos);
}

TEST(CommandLine, DoubleDashEndsOptions) {
    auto result = ParseCommandLine({"--", "--headless"});
    ASSERT_TRUE(result.commandLine);
    EXPECT_EQ(result.commandLine->target, "--headless");
    EXPECT_EQ(result.commandLine->shell, CCommandLine::Shell::Gui);
}

TEST(CommandLine, HelpAndVersion) {
    EXPECT_EQ(ParseCommandLine({"--help"}).commandLine->action, CCommandLine::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).commandLine->action, CCommandLine::Action::Version);
}
