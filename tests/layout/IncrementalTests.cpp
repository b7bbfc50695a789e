#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadCorpus(const std::string& name) {
    std::ifstream in(std::filesystem::path(VESTRIAL_HTML_CORPUS) / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> CorpusPages() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VESTRIAL_HTML_CORPUS))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Feeds a page in pieces with a pass after each, then lays the same element
// list out again in one go: the two layouts must not differ in any item.
size_t ExpectIncrementalEqualsWhole(const std::string& html, size_t piece, bool slowImages) {
    CHtmlObject object("http://host/dir/page.html", "text/html");
    CFakeResources resources;
    resources.SetDefaultSize(slowImages ? 0 : 24, 24);
    auto incremental = MakeEngine(object, &resources);
    for (size_t at = 0; at < html.size(); at += piece) {
        (void)object.Write(html.data() + at, std::min(piece, html.size() - at));
        (void)incremental->Pass();
    }
    (void)object.EndOfData();
    resources.SetDefaultSize(24, 24);
    EXPECT_TRUE(incremental->Pass());
    auto whole = MakeEngine(object, &resources);
    EXPECT_TRUE(whole->Pass());
    const std::string expected = Dump(*whole);
    EXPECT_EQ(Dump(*incremental), expected);
    return static_cast<size_t>(std::count(expected.begin(), expected.end(), '\n'));
}

TEST(LayoutIncremental, PiecesWithPassesBetweenEqualOneLayout) {
    size_t pagesWithItems = 0;
    for (const std::string& name : CorpusPages()) {
        SCOPED_TRACE(name);
        const std::string html = ReadCorpus(name);
        size_t lines = ExpectIncrementalEqualsWhole(html, 97, false);
        ExpectIncrementalEqualsWhole(html, 1024, true);
        pagesWithItems += lines > 20;
    }
    EXPECT_GE(pagesWithItems, 4u);
}

TEST(LayoutDump, ItemsAreWrittenAsJsonLines) {
    LaidOutPage page =
        LayOut("<p>caf\xe9 \"quoted\" \x93twice\x94 <a href=x.html>link</a></p><hr>");
    const std::string dump = Dump(*page.engine);
    EXPECT_NE(dump.find("{\"type\":1,\"rect\":[12,10,"), std::string::npos) << dump;
    // Bytes above 127 are written as their Windows-1252 characters.
    EXPECT_NE(dump.find("\\u00e9 \\\"quoted\\\" \\u201ctwice\\u201d \"}"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("\"type\":2,"), std::string::npos);
    EXPECT_NE(dump.find("\"href\":\"http://host/dir/x.html\""), std::string::npos);
    EXPECT_NE(dump.find("\"type\":3,"), std::string::npos);
    const CPoint extent = page.engine->GetExtent();
    const std::string last =
        "{\"extent\":[" + std::to_string(extent.x) + "," + std::to_string(extent.y) + "]}\n";
    ASSERT_GE(dump.size(), last.size());
    EXPECT_EQ(dump.substr(dump.size() - last.size()), last);
}

} // namespace
