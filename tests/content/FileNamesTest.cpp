#include "content/FileNames.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(ContentTypeForName, MatchesTheWholeLastExtensionIgnoringCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.gif", "image/gif"},      {"A.GIF", "image/gif"},
        {"x.htm", "text/html"},      {"x.HtMl", "text/html"},
        {"notes.txt", "text/plain"}, {".txt", "text/plain"},
        {"p.jpg", "image/jpeg"},     {"p.JPEG", "image/jpeg"},
        {"q.png", "image/png"},      {"Q.PNG", "image/png"},
        {"q.pngx", "unknown"},       {"o.opf", "application/x-object-property-file"},
        {"a.tar.html", "text/html"}, {"a.html.gz", "unknown"},
        {"a.htmlx", "unknown"},      {"a.ht", "unknown"},
        {"a.", "unknown"},           {"dir.htm/file", "unknown"},
        {"noextension", "unknown"},  {"", "unknown"},
    };
    for (const auto& [name, type] : cases)
        EXPECT_EQ(ContentTypeForName(name), type) << name;
}

TEST(FileUrlFromPath, EscapesCharactersThatWouldChangeTheUrl) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/My Docs/a#b.htm", "file:///home/u/My%20Docs/a%23b.htm"},
        {"/a%b;c=d?e\\f", "file:///a%25b%3Bc%3Dd%3Fe%5Cf"},
        {"/C:/dir", "file:///C|/dir"},
        {"/\x01\x1f\x7f\xe9\xff", "file:///%01%1F%7F%E9%FF"},
        {"/keep-_.~!$&'()*+,@[]{}", "file:///keep-_.~!$&'()*+,@[]{}"},
        {"/a|b", "file:///a%7Cb"},
        {"/", "file:///"},
    };
    for (const auto& [path, url] : cases)
        EXPECT_EQ(FileUrlFromPath(path), url) << path;
}

TEST(FileUrlFromPath, MakesARelativePathAbsoluteAgainstTheWorkingDirectory) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.Path());
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(FileUrlFromPath("sub/a b.htm"), "file://" + cwd + "/sub/a%20b.htm");
}

TEST(PathFromFileUrl, DecodesEscapesAndDriveBars) {
    const std::pair<const char*, std::string> cases[] = {
        {"file:///C|/dir/a%20b.htm", "/C:/dir/a b.htm"},
        {"file:///a%2f%2Fb", "/a//b"},
        {"file:///a%e9%E9", "/a\xe9\xe9"},
        // A NUL would cut the path short, so it is dropped.
        {"file:///a%00b", "/ab"},
        // Anything that is not "%" and two hex digits stays as written.
        {"file:///a%zzb", "/a%zzb"},
        {"file:///a%2g", "/a%2g"},
        {"file:///a%2", "/a%2"},
        {"file:///100%", "/100%"},
        {"file:///", "/"},
    };
    for (const auto& [url, path] : cases)
        EXPECT_EQ(PathFromFileUrl(url), path) << url;
}

TEST(PathFromFileUrl, InvertsFileUrlFromPathForAwkwardNames) {
    const char* names[] = {
        "a b.htm",  "a#b",     "100%",         "50%25",      "a;b=c?d", "back\\slash", "C:colon",
        "pipe|bar", "caf\xe9", "\x01\x7f\xff", "trailing %", "%",       "%%41",
    };
    for (const char* name : names) {
        std::string path = std::string("/tmp/dir x/") + name;
        EXPECT_EQ(PathFromFileUrl(FileUrlFromPath(path)), path) << FileUrlFromPath(path);
    }
}

} // namespace
