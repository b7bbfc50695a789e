#include "net/HttpFixture.h"
#include "net/ServerProcess.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Not a picture anyone could look at, only bytes that must arrive unchanged.
std::string GifBytes(int seed) {
    std::string bytes = "GIF89a";
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 7 + seed) & 0xFF);
    return bytes;
}

const char* const Page = "<html><title>Test page</title><img src=\"a.gif\"></html>\n";

} // namespace

// lighttpd serving a directory of pages and pictures, and tinyproxy in front
// of it, both on 127.0.0.1 for the time of one test.
class HttpServers : public HttpTest {
protected:
    void SetUp() override {
        std::string lighttpd = FindProgram({"/usr/sbin/lighttpd", "/usr/bin/lighttpd"});
        if (lighttpd.empty())
            GTEST_SKIP() << "lighttpd is not installed (scripts/setup.sh installs it)";
        const auto root = m_dir.Path() / "www";
        WriteFile(root / "index.html", Page);
        WriteFile(root / "a.gif", GifBytes(1));
        WriteFile(root / "pictures/b.gif", GifBytes(2));
        std::string large;
        for (int i = 0; large.size() < (3 << 20); ++i)
            large += std::to_string(i) + "\n";
        WriteFile(root / "large.html", large);
        std::filesystem::create_directories(root / "closed");
        m_port = FreeLoopbackPort();
        const auto config = m_dir.Path() / "lighttpd.conf";
        WriteFile(config, "server.document-root = \"" + root.string() + "\"\n" + "server.port = " +
                              std::to_string(m_port) + "\n" + "server.bind = \"127.0.0.1\"\n" +
                              "server.errorlog = \"" + (m_dir.Path() / "error.log").string() +
                              "\"\n" + "index-file.names = (\"index.html\")\n" +
                              "mimetype.assign = (\".html\" => \"text/html\", \".gif\" => "
                              "\"image/gif\", \".txt\" => \"text/plain\")\n");
        std::string error;
        m_lighttpd = CServerProcess::Start({lighttpd, "-D", "-f", config.string()}, m_port, error);
        ASSERT_TRUE(m_lighttpd) << error;
    }

    void StartProxy() {
        std::string tinyproxy = FindProgram({"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"});
        if (tinyproxy.empty())
            GTEST_SKIP() << "tinyproxy is not installed (scripts/setup.sh installs it)";
        uint16_t port = FreeLoopbackPort();
        const auto config = m_dir.Path() / "tinyproxy.conf";
        WriteFile(config, "Port " + std::to_string(port) +
                              "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\n"
                              "MaxClients 100\nLogLevel Error\n");
        std::string error;
        m_tinyproxy = CServerProcess::Start({tinyproxy, "-d", "-c", config.string()}, port, error);
        ASSERT_TRUE(m_tinyproxy) << error;
        // By name, so that messages tell the proxy from the site.
        SetProxy("localhost", port);
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    // Loads the page and its pictures at once, as a document would.
    void LoadSite() {
        CMimeDynamicLoad* page = Start(Url("/"));
        CMimeDynamicLoad* first = Start(Url("/a.gif"), Method::Get, "", "", Caps::InlineImage);
        CMimeDynamicLoad* second =
            Start(Url("/pictures/b.gif"), Method::Get, "", "", Caps::InlineImage);
        RunUntil([&] {
            return m_owner.Finished(page) && m_owner.Finished(first) && m_owner.Finished(second);
        });
        EXPECT_EQ(page->Result(), Status::Complete) << page->ErrorText();
        EXPECT_EQ(DataOf(page), Page);
        EXPECT_EQ(ObjectOf(page)->ContentType(), "text/html");
        EXPECT_EQ(DataOf(first), GifBytes(1));
        EXPECT_EQ(DataOf(second), GifBytes(2));
        EXPECT_EQ(ObjectOf(second)->ContentType(), "image/gif");
    }

    TempDir m_dir;
    uint16_t m_port = 0;
    std::unique_ptr<CServerProcess> m_lighttpd;
    std::unique_ptr<CServerProcess> m_tinyproxy;
};

TEST_F(HttpServers, PageAndPicturesArriveWhole) {
    LoadSite();
}

TEST_F(HttpServers, LargeBodyArrivesWholeInBlocks) {
    CMimeDynamicLoad* load = Load(Url("/large.html"));
    ASSERT_EQ(load->Result(), Status::Complete);
    std::ifstream file(m_dir.Path() / "www/large.html", std::ios::binary);
    std::string expected((std::istreambuf_iterator<char>(file)), {});
    const std::string data = DataOf(load);
    EXPECT_EQ(data.size(), expected.size());
    EXPECT_TRUE(data == expected) << "the bytes differ";
    for (size_t block : ObjectOf(load)->Writes())
        EXPECT_LE(block, CHttpWorker::DeliveryBlock);
}

TEST_F(HttpServers, MissingPageGivesNotFound) {
    CMimeDynamicLoad* load = Load(Url("/no/such/page.html"));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), FormatString(StringId::HttpNotFound, {"127.0.0.1"}));
}

TEST_F(HttpServers, DirectoryWithoutIndexGivesForbidden) {
    CMimeDynamicLoad* load = Load(Url("/closed/"));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), FormatString(StringId::HttpForbidden, {"127.0.0.1"}));
}

TEST_F(HttpServers, ThroughTinyproxyTheSameSiteArrives) {
    StartProxy();
    LoadSite();
}

TEST_F(HttpServers, ThroughTinyproxyErrorsNameTheProxy) {
    StartProxy();
    CMimeDynamicLoad* missing = Load(Url("/gone.html"));
    EXPECT_EQ(missing->ErrorText(), FormatString(StringId::HttpNotFound, {"localhost"}));
    CMimeDynamicLoad* closed = Load(Url("/closed/"));
    EXPECT_EQ(closed->ErrorText(), FormatString(StringId::HttpForbidden, {"localhost"}));
}
