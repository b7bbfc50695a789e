#include "app/CCommandLine.h"
#include "app/CTarnwickApp.h"

#include <gtest/gtest.h>

TEST(ShellOptions, ScreenshotWithSizeAndFullPage) {
    auto result = ParseCommandLine(
        {"--headless", "--screenshot", "out.png", "--size", "640x480", "--full", "page.htm"});
    ASSERT_TRUE(result.commandLine) << result.error;
    EXPECT_EQ(result.commandLine->screenshot, "out.png");
    EXPECT_TRUE(result.commandLine->fullPage);
    EXPECT_EQ(result.commandLine->width, 640);
    EXPECT_EQ(result.commandLine->height, 480);
    EXPECT_EQ(result.commandLine->target, "page.htm");
}

TEST(ShellOptions, DefaultSizeIs800By600) {
    auto result = ParseCommandLine({"--headless", "--dump-layout", "page.htm"});
    ASSERT_TRUE(result.commandLine) << result.error;
    EXPECT_TRUE(result.commandLine->dumpLayout);
    EXPECT_EQ(result.commandLine->width, 800);
    EXPECT_EQ(result.commandLine->height, 600);
}

TEST(ShellOptions, SnapshotsNeedTheHeadlessShell) {
    EXPECT_FALSE(ParseCommandLine({"--screenshot", "out.png", "page.htm"}).commandLine);
    EXPECT_FALSE(ParseCommandLine({"--dump-layout", "page.htm"}).commandLine);
    EXPECT_FALSE(ParseCommandLine({"--headless", "--full", "page.htm"}).commandLine)
        << "--full alone has nothing to make whole";
}

TEST(ShellOptions, BadValuesAreRefused) {
    for (const char* size : {"800", "x600", "800x", "0x600", "800x-1", "99999x10", "8OOx600"})
        EXPECT_FALSE(ParseCommandLine({"--headless", "--size", size}).commandLine) << size;
    EXPECT_FALSE(ParseCommandLine({"--headless", "--screenshot"}).commandLine);
    EXPECT_FALSE(ParseCommandLine({"--headless", "--size"}).commandLine);
}

TEST(ShellOptions, ScriptStandsAloneInTheHeadlessShell) {
    auto result = ParseCommandLine({"--headless", "--script", "-", "--size", "320x200", "a.htm"});
    ASSERT_TRUE(result.commandLine) << result.error;
    EXPECT_EQ(result.commandLine->script, "-");
    EXPECT_EQ(result.commandLine->target, "a.htm");
    EXPECT_TRUE(result.commandLine->SuppressesHomePage());
    EXPECT_FALSE(ParseCommandLine({"--script", "s.txt"}).commandLine) << "needs --headless";
    EXPECT_FALSE(ParseCommandLine({"--headless", "--script"}).commandLine);
    EXPECT_FALSE(ParseCommandLine({"--headless", "--script", ""}).commandLine);
    for (const char* option : {"--dump-layout", "--dump-elements"})
        EXPECT_FALSE(ParseCommandLine({"--headless", "--script", "s.txt", option}).commandLine)
            << option;
    EXPECT_FALSE(
        ParseCommandLine({"--headless", "--script", "s.txt", "--screenshot", "o.png"}).commandLine);
}

TEST(TypedAddress, CompletionRules) {
    struct Case {
        const char* typed;
        const char* opened;
    } cases[] = {
        {"www.example.com", "http://www.example.com/"},
        {"example.com/path", "http://example.com/path"},
        {"//host", "http://host/"},
        {"//host/a.htm", "http://host/a.htm"},
        {"HTTP://HOST", "HTTP://HOST/"},
        {"http://host/", "http://host/"},
        {"http://host/dir/page.htm", "http://host/dir/page.htm"},
        {"about:about.htm", "about:about.htm"},
        {"file:///C|/My%20Docs/a.htm", "file:///C|/My%20Docs/a.htm"},
        {"host:8080", "host:8080"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompleteTypedAddress(c.typed), c.opened) << c.typed;
}
