#include "content/Url.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Parts {
    const char* url;
    const char* scheme;
    const char* host;
    long port;
    const char* path;
};

// Each row is one URL seen through all four accessors, so a change in how one
// of them finds the "://" shows up against the others.
constexpr Parts PartCases[] = {
    {"http://www.example.com/dir/page.htm", "http", "www.example.com", -1, "/dir/page.htm"},
    {"http://h:8080/x", "http", "h", 8080, "/x"},
    {"http://h:8080", "http", "h", 8080, "/"},
    {"http://h", "http", "h", -1, "/"},
    {"http://h?q/x", "http", "h?q", -1, "/x"},
    // A ":" after the host's "/" is part of the path, not a port.
    {"http://h/a:b", "http", "h", -1, "/a:b"},
    {"http://h:65535/", "http", "h", 65535, "/"},
    {"http://h:65536/", "http", "h", UrlPortMalformed, "/"},
    {"http://h:0/", "http", "h", 0, "/"},
    {"http://h:99999999999999999999999/", "http", "h", UrlPortMalformed, "/"},
    {"http://h:/x", "http", "h", UrlPortMalformed, "/x"},
    {"http://h:8o/x", "http", "h", UrlPortMalformed, "/x"},
    {"http://h:http/x", "http", "h", UrlPortMalformed, "/x"},
    {"http://h:80 /x", "http", "h", UrlPortMalformed, "/x"},
    {"http://h:81?q", "http", "h", 81, "/"},
    {"http://h:82#top", "http", "h", 82, "/"},
    {"file:///C|/a/b", "file", "", -1, "/C|/a/b"},
    // Without "//" straight after the first ":" there is no host and no path.
    {"mailto:x@y.org", "mailto", "", -1, ""},
    {"http:/x", "http", "", -1, ""},
    {"a:b://h:5/x", "a", "", -1, ""},
    {"no/scheme//here", "", "", -1, "/"},
    {"", "", "", -1, "/"},
};

TEST(UrlParts, SchemeHostPortAndPathFollowTheFirstColon) {
    for (const Parts& c : PartCases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(UrlScheme(c.url), c.scheme);
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
    }
}

TEST(UrlSameSite, SchemeHostAndPortMustAllAgree) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"http://h/a", "http://h/b?c", true},           {"http://h/a", "HTTP://H/b", true},
        {"http://h/a", "http://h:80/b", true},          {"https://h/a", "https://h:443/", true},
        {"http://h:81/a", "http://h:81/b", true},       {"http://h/a", "https://h/a", false},
        {"https://h:8443/a", "http://h:8443/a", false}, {"http://h/a", "http://h:81/a", false},
        {"http://h:80/a", "http://h:8080/a", false},    {"http://h/a", "http://g/a", false},
        {"http://h/a", "http://h.example/a", false},    {"http://h/a", "file:///a", false},
    };
    for (auto [a, b, same] : cases) {
        EXPECT_EQ(SameSite(a, b), same) << a << " " << b;
        EXPECT_EQ(SameSite(b, a), same) << b << " " << a;
    }
}

TEST(UrlFileName, TakesTheTextAfterTheLastSeparatorOfTheFirstKindPresent) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/a/b.htm", "b.htm"},
        {"http://h/a/", ""},
        {"C:\\dir\\f.txt", "f.txt"},
        {"a/b\\c", "b\\c"},
        {"a\\b:c", "b:c"},
        {"about:blank", "blank"},
        {"x:", ""},
        {"dir\\", ""},
        {"name.txt", "name.txt"},
        {"", ""},
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(FileNameFromUrl(url), expected) << url;
}

struct Resolve {
    const char* base;
    const char* reference;
    const char* expected;
};

// Readable test names instead of raw pointer bytes.
void PrintTo(const Resolve& r, std::ostream* os) {
    *os << '"' << r.base << "\" + \"" << r.reference << '"';
}

class UrlResolve : public testing::TestWithParam<Resolve> {};

TEST_P(UrlResolve, GivesTheAbsoluteUrl) {
    EXPECT_EQ(ResolveUrl(GetParam().base, GetParam().reference), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FragmentReplacesTheBaseFragment, UrlResolve,
                         testing::Values(Resolve{"http://h/a/b.htm", "#top",
                                                 "http://h/a/b.htm#top"},
                                         Resolve{"http://h/a/b#old", "#new", "http://h/a/b#new"},
                                         Resolve{"http://h/a?q#f", "#", "http://h/a?q#"},
                                         Resolve{"about:blank", "#x", "about:blank#x"}));

INSTANTIATE_TEST_SUITE_P(BaseWithoutSlashesLeavesTheReference, UrlResolve,
                         testing::Values(Resolve{"about:blank", "x.htm", "x.htm"},
                                         Resolve{"about:blank", "/x", "/x"},
                                         Resolve{"about:blank", "../x", "../x"}));

INSTANTIATE_TEST_SUITE_P(AbsolutePathKeepsTheRoot, UrlResolve,
                         testing::Values(Resolve{"http://h:81/a/b?q#f", "/c", "http://h:81/c"},
                                         Resolve{"http://h", "/c", "http://h/c"},
                                         Resolve{"http://h/a/b", "/a//b", "http://h/a//b"},
                                         Resolve{"file:///d/f.htm", "/g", "file:///g"}));

INSTANTIATE_TEST_SUITE_P(AbsoluteReferenceIsUnchanged, UrlResolve,
                         testing::Values(Resolve{"http://h/a/b", "//other/x", "//other/x"},
                                         Resolve{"http://h/a/b", "x//y", "x//y"},
                                         Resolve{"http://h/a/b", "..//y", "..//y"},
                                         Resolve{"http://h/a/b", "https://o/x", "https://o/x"},
                                         Resolve{"http://h/a/b", "mailto:x", "mailto:x"},
                                         Resolve{"http://h/a/b", "c?t=1:2", "c?t=1:2"}));

INSTANTIATE_TEST_SUITE_P(RelativePathReplacesTheLastSegment, UrlResolve,
                         testing::Values(Resolve{"http://h/a/b.htm", "c.htm", "http://h/a/c.htm"},
                                         Resolve{"http://h/a/", "c", "http://h/a/c"},
                                         Resolve{"http://h", "c", "http://h/c"},
                                         Resolve{"http://h:8", "c", "http://h:8/c"},
                                         Resolve{"http://h/a/b", "", "http://h/a/"},
                                         Resolve{"http://h/a/b", "?q", "http://h/a/?q"},
                                         Resolve{"http://h/a/b?q", "e", "http://h/a/e"},
                                         Resolve{"http://h/a/b#f", "e", "http://h/a/e"},
                                         // The base's last "/" counts even inside its query.
                                         Resolve{"http://h/a/b?x=/c/d", "e", "http://h/a/b?x=/c/e"},
                                         Resolve{"file:///d/f.htm", "g.htm", "file:///d/g.htm"}));

INSTANTIATE_TEST_SUITE_P(OnlyLeadingParentStepsClimb, UrlResolve,
                         testing::Values(Resolve{"http://h/a/b/c", "../x", "http://h/a/x"},
                                         Resolve{"http://h/a/b/c", "../../x", "http://h/x"},
                                         Resolve{"http://h/a/b/c", "../", "http://h/a/"},
                                         Resolve{"http://h/a/b/c", "../../../x", "../../../x"},
                                         Resolve{"http://h", "../x", "../x"},
                                         Resolve{"http://h/a/b", "x/../y", "http://h/a/x/../y"},
                                         Resolve{"http://h/a/b", "./x", "http://h/a/./x"},
                                         Resolve{"http://h/a/b/c", ".././x", "http://h/a/./x"}));

} // namespace
