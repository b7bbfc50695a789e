#include "controls/ControlFixture.h"

#include "content/CHttpWorker.h"
#include "controls/CDispatchDriver.h"
#include "controls/CFileReadRequest.h"
#include "net/ServerProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

// The control's last answer to a "ReadFile", from its log.
std::string LastAnswer(const std::vector<std::string>& log) {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->rfind("OnReadFileNotify", 0) == 0)
            return *it;
    return "<none>";
}

// Has the fetcher fire "ReadFile" with the arguments (comma-separated).
void Fire(CTarnwickCntrItem& item, const std::string& arguments) {
    ComPtr<IDispatch> dispatch = item.Dispatch();
    ASSERT_TRUE(dispatch);
    LPOLESTR names[] = {const_cast<LPOLESTR>("FireEvent")};
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    ASSERT_EQ(InvokeHelper(dispatch.Get(), id, DISPATCH_METHOD,
                           {CVariant::String("ReadFile"), CVariant::String(arguments)}, VT_EMPTY,
                           nullptr),
              S_OK);
}

std::string TextOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ReadFileAddresses, OnlyFetchableSchemesAreResolved) {
    const std::string base = "http://host/dir/page.opf";
    EXPECT_EQ(ResolveReadAddress(base, "data.txt"), "http://host/dir/data.txt");
    EXPECT_EQ(ResolveReadAddress(base, "HTTPS://other/x"), "HTTPS://other/x");
    EXPECT_EQ(ResolveReadAddress(base, "file:///tmp/x"), "file:///tmp/x");
    EXPECT_EQ(ResolveReadAddress(base, "mailto:someone@host"), "");
    EXPECT_EQ(ResolveReadAddress(base, "about:about.htm"), "");
}

TEST(ReadFileAddresses, LocalNamesStayInTheirDirectory) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"http://host/dir/data.txt", "/c/data.txt"},
        {"http://host/dir/data.txt?x=1#top", "/c/data.txt"},
        {"http://host/we ird;name", "/c/we_ird_name"},
        {"http://host/d%61ta.txt", "/c/data.txt"},
        {"http://host/%2e%2e%2e", "/c/..."},
        {"http://host/..a", "/c/..a"},
        {"http://host/%4", "/c/_4"},
        {"http://host/%zz", "/c/_zz"},
        // Refused: no name, or one that is not a file of the directory.
        {"http://host/dir/", std::nullopt},
        {"http://host/dir/.", std::nullopt},
        {"http://host/dir/..", std::nullopt},
        {"http://host/%2e", std::nullopt},
        {"http://host/%2E%2e", std::nullopt},
        {"http://host/a%2F..%2Fb", std::nullopt},
        {"http://host/a%2fb", std::nullopt},
        {"http://host/a%5Cb", std::nullopt},
        {"http://host/a%00b", std::nullopt},
        {"http://host/dir/?name=x", std::nullopt},
    };
    for (const auto& [address, path] : cases)
        EXPECT_EQ(LocalPathFor("/c/", address), path) << address;
}

// A local file that already is where the control's files go is not fetched
// onto itself, which would empty it before reading it.
TEST_F(ControlTest, AFileInTheControlDirectoryIsNotFetchedOntoItself) {
    const auto ocx = m_dir.Path() / "ocx";
    std::filesystem::create_directories(ocx);
    std::ofstream(ocx / "kept.txt") << "kept";
    std::ofstream(m_dir.Path() / "outside.txt") << "outside";
    std::filesystem::create_symlink("../outside.txt", ocx / "link.txt");
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];

    const struct {
        std::string address;
        std::string answer;
        std::string file; // in the control directory afterwards
        std::string text;
    } cases[] = {
        {"ocx/kept.txt", "OnReadFileNotify ocx/kept.txt 1", "kept.txt", "kept"},
        {"ocx/gone.txt", "OnReadFileNotify ocx/gone.txt 0", "gone.txt", "<none>"},
        {"ocx/link.txt", "OnReadFileNotify ocx/link.txt 1", "link.txt", "outside"},
        {"outside.txt", "OnReadFileNotify outside.txt 1", "outside.txt", "outside"},
    };
    for (const auto& c : cases) {
        Fire(fetch, "," + c.address);
        Settle();
        EXPECT_EQ(LastAnswer(LogOf("fetch.log")), c.answer);
        EXPECT_EQ(std::filesystem::exists(ocx / c.file) ? TextOf(ocx / c.file) : "<none>", c.text)
            << c.address;
    }
    EXPECT_EQ(TextOf(m_dir.Path() / "outside.txt"), "outside");

    // A name that is no file of the control directory once unescaped is
    // refused, though the file it names could be read.
    std::filesystem::create_directories(m_dir.Path() / "a");
    const size_t before = std::distance(std::filesystem::directory_iterator(ocx), {});
    for (const std::string address : {"a%2F..%2Foutside.txt", "ocx/", "ocx/%2e%2e"}) {
        Fire(fetch, "," + address);
        Settle();
        EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + address + " 0");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ocx), {}), before);
    EXPECT_EQ(fetch.PendingReads(), 0u);
}

// The fetcher on a page served by lighttpd on 127.0.0.1.
class ReadFileTest : public ControlTest {
protected:
    void SetUp() override {
        std::string lighttpd = FindProgram({"/usr/sbin/lighttpd", "/usr/bin/lighttpd"});
        if (lighttpd.empty())
            GTEST_SKIP() << "lighttpd is not installed (scripts/setup.sh installs it)";
        m_protocols.push_back(RegisterHttpProtocol());
        const auto root = m_dir.Path() / "www";
        std::filesystem::create_directories(root);
        std::ofstream(root / "data.txt") << "the data";
        m_port = FreeLoopbackPort();
        const auto config = m_dir.Path() / "lighttpd.conf";
        std::ofstream(config) << "server.document-root = \"" << root.string() << "\"\n"
                              << "server.port = " << m_port << "\n"
                              << "server.bind = \"127.0.0.1\"\n"
                              << "server.errorlog = \"" << (m_dir.Path() / "error.log").string()
                              << "\"\nmimetype.assign = (\".html\" => \"text/html\", \".opf\" => "
                                 "\"application/x-object-property-file\", \".txt\" => "
                                 "\"text/plain\")\n";
        std::string error;
        m_lighttpd = CServerProcess::Start({lighttpd, "-D", "-f", config.string()}, m_port, error);
        ASSERT_TRUE(m_lighttpd) << error;
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/" + path;
    }

    uint16_t m_port = 0;
    std::unique_ptr<CServerProcess> m_lighttpd;
};

TEST_F(ReadFileTest, AFileArrivesOverHttpAndTheControlHearsOfIt) {
    COpfContents contents;
    contents.classId = kFetchClass;
    contents.properties = {
        {"Address", "data.txt"}, {"FetchOnStart", "1"}, {"LogFile", PathOf("fetch.log")}};
    std::string error;
    auto bytes = WriteObjectPropertyFile(contents, error);
    ASSERT_TRUE(bytes) << error;
    std::ofstream(m_dir.Path() / "www/fetch.opf", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()),
               static_cast<std::streamsize>(bytes->size()));
    std::ofstream(m_dir.Path() / "www/page.html")
        << "<p>Fetching: <embed src=fetch.opf width=300 height=100>";

    NavigateAndSettle(Url("page.html"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify data.txt 1")
        << "the address as the control gave it";
    std::ifstream stored(m_dir.Path() / "ocx/data.txt");
    std::stringstream text;
    text << stored.rdbuf();
    EXPECT_EQ(text.str(), "the data");
    EXPECT_EQ(fetch.PendingReads(), 0u) << "an answered request is forgotten";

    // A file the server does not have: failure, with the address as given.
    Fire(fetch, "ignored.txt,missing.txt");
    EXPECT_EQ(fetch.PendingReads(), 1u);
    Settle();
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify missing.txt 0");
    EXPECT_EQ(fetch.PendingReads(), 0u);

    // An absolute address, and one the browser refuses to fetch: that gets
    // no answer at all.
    Fire(fetch, "," + Url("data.txt"));
    Settle();
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + Url("data.txt") + " 1");
    Fire(fetch, ",mailto:someone@host");
    Settle();
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + Url("data.txt") + " 1");
    EXPECT_EQ(fetch.PendingReads(), 0u);
}

// Names in the control directory other than the ones expected: a fetch's
// unfinished file left behind shows here.
std::vector<std::string> OtherFiles(const std::filesystem::path& directory,
                                    const std::vector<std::string>& expected) {
    std::vector<std::string> others;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        if (std::find(expected.begin(), expected.end(), entry.path().filename()) == expected.end())
            others.push_back(entry.path().filename());
    return others;
}

TEST_F(ReadFileTest, AFileFetchedOnceIsAnsweredAtOnceUntilItIsGone) {
    std::ofstream(m_dir.Path() / "www/other.txt") << "other data";
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];
    const auto ocx = m_dir.Path() / "ocx";
    const std::string data = Url("data.txt");
    Fire(fetch, "," + data);
    EXPECT_EQ(fetch.PendingReads(), 1u);
    Settle();
    ASSERT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + data + " 1");

    // With the server gone, the file fetched before is still answered, within
    // the event, and the control may give the address in another spelling.
    m_lighttpd.reset();
    Fire(fetch, "," + data);
    EXPECT_EQ(fetch.PendingReads(), 0u);
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + data + " 1");

    // Another address of the same name is fetched, and failing keeps the
    // file that was there.
    const std::string elsewhere = Url("sub/data.txt");
    Fire(fetch, "," + elsewhere);
    EXPECT_EQ(fetch.PendingReads(), 1u);
    Settle();
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + elsewhere + " 0");
    EXPECT_EQ(TextOf(ocx / "data.txt"), "the data");
    // ... and the first address is still known for it.
    Fire(fetch, "," + data);
    EXPECT_EQ(fetch.PendingReads(), 0u);

    // Deleted since: fetched again (and failing, with no server).
    std::filesystem::remove(ocx / "data.txt");
    Fire(fetch, "," + data);
    EXPECT_EQ(fetch.PendingReads(), 1u);
    Settle();
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "OnReadFileNotify " + data + " 0");
    EXPECT_EQ(OtherFiles(ocx, {}), std::vector<std::string>{});
}

TEST_F(ReadFileTest, LeavingThePageCancelsTheFilesOnTheirWay) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    // The page is left before the pump has passed the answer on.
    Fire(*Items()[0], ",http://127.0.0.1:" + std::to_string(m_port) + "/data.txt");
    EXPECT_EQ(Items()[0]->PendingReads(), 1u);
    NavigateAndSettle(WritePage("other.html", "<p>Elsewhere."));
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(LogOf("fetch.log").back(), "Close");
    EXPECT_EQ(LastAnswer(LogOf("fetch.log")), "<none>");
    EXPECT_EQ(OtherFiles(m_dir.Path() / "ocx", {}), std::vector<std::string>{})
        << "nothing unfinished is left behind";
}

} // namespace
