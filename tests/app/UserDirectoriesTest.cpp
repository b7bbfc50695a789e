#include "support/TempDir.h"

#include "app/UserDirectories.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

struct DirectoryCase {
    std::map<std::string, std::string> environment;
    UserDirectories expected;
};

} // namespace

TEST(UserDirectoriesDefaults, FollowTheBaseDirectoryRules) {
    const DirectoryCase cases[] = {
        {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d"}, {"XDG_CACHE_HOME", "/c/"}},
         {"/d/vestrial/", "/d/vestrial/controls/", "/c/vestrial/"}},
        {{{"HOME", "/home/u"}},
         {"/home/u/.local/share/vestrial/", "/home/u/.local/share/vestrial/controls/",
          "/home/u/.cache/vestrial/"}},
        {{{"HOME", "/home/u/"}, {"XDG_DATA_HOME", ""}, {"XDG_CACHE_HOME", "relative/c"}},
         {"/home/u/.local/share/vestrial/", "/home/u/.local/share/vestrial/controls/",
          "/home/u/.cache/vestrial/"}},
        {{{"HOME", "/"}},
         {"/.local/share/vestrial/", "/.local/share/vestrial/controls/", "/.cache/vestrial/"}},
        {{{"HOME", "home"}}, {"/work/", "/work/", "/work/"}},
        {{}, {"/work/", "/work/", "/work/"}},
        {{{"XDG_CACHE_HOME", "/c"}}, {"/work/", "/work/", "/c/vestrial/"}},
    };
    for (const DirectoryCase& c : cases) {
        auto lookup = [&](const char* name) -> const char* {
            auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        UserDirectories got = DefaultUserDirectories(lookup, "/work");
        EXPECT_EQ(got.bookmarks, c.expected.bookmarks);
        EXPECT_EQ(got.controls, c.expected.controls);
        EXPECT_EQ(got.temporary, c.expected.temporary);
    }
}

TEST(UserDirectoriesEnsure, MakesMissingLevelsForTheUserAlone) {
    TempDir dir;
    namespace fs = std::filesystem;
    const fs::path deep = dir.Path() / "a" / "b" / "c";
    EXPECT_TRUE(EnsureDirectory(deep.string() + "/"));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_EQ(fs::status(dir.Path() / "a").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(deep).permissions(), fs::perms::owner_all);
    // There already: nothing changes.
    EXPECT_TRUE(EnsureDirectory(deep.string()));
    // A file in the way.
    std::ofstream(dir.Path() / "file") << "x";
    EXPECT_FALSE(EnsureDirectory((dir.Path() / "file" / "sub").string()));
    EXPECT_FALSE(EnsureDirectory(""));
}
