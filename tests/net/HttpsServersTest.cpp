#include "net/HttpFixture.h"
#include "net/ScriptedResolver.h"
#include "net/ScriptedServer.h"
#include "net/ServerProcess.h"
#include "net/TestSite.h"

#include "content/HttpLimits.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using Tls = CTestSite::Tls;

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
const char* const PageTwo = "<title>Two</title>the second page\n";

bool Logged(const std::vector<std::string>& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

} // namespace

// lighttpd serving one site over http and https (a port per certificate),
// with tinyproxy in front of it when a test asks.
class HttpsServers : public HttpsTest {
protected:
    void SetUp() override {
        HttpsTest::SetUp();
        if (IsSkipped())
            return;
        const auto root = m_dir.Path() / "www";
        WriteFile(root / "index.html", Page);
        WriteFile(root / "a.gif", GifBytes(1));
        WriteFile(root / "pictures/b.gif", GifBytes(2));
        WriteFile(root / "dir/page2.html", PageTwo);
        std::string large;
        for (int i = 0; large.size() < (3 << 20); ++i)
            large += std::to_string(i) + "\n";
        WriteFile(root / "large.html", large);
        std::string error;
        m_site = CTestSite::Start(root, error);
        if (!m_site)
            GTEST_SKIP() << error;
    }

    void StartProxy() {
        std::string tinyproxy = FindProgram({"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"});
        if (tinyproxy.empty())
            GTEST_SKIP() << "tinyproxy is not installed (scripts/setup.sh installs it)";
        uint16_t port = FreeLoopbackPort();
        const auto config = m_dir.Path() / "tinyproxy.conf";
        WriteFile(config, "Port " + std::to_string(port) +
                              "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\n"
                              "MaxClients 100\nLogLevel Connect\nLogFile \"" +
                              m_proxyLog.string() + "\"\n");
        std::string error;
        m_tinyproxy = CServerProcess::Start({tinyproxy, "-d", "-c", config.string()}, port, error);
        ASSERT_TRUE(m_tinyproxy) << error;
        SetProxy("localhost", port);
    }

    // Loads the page and its pictures at once, as a document would.
    void LoadSite(const std::string& base) {
        CMimeDynamicLoad* page = Start(base + "/");
        CMimeDynamicLoad* first = Start(base + "/a.gif", Method::Get, "", "", Caps::InlineImage);
        CMimeDynamicLoad* second =
            Start(base + "/pictures/b.gif", Method::Get, "", "", Caps::InlineImage);
        RunUntil([&] {
            return m_owner.Finished(page) && m_owner.Finished(first) && m_owner.Finished(second);
        });
        EXPECT_EQ(page->Result(), Status::Complete) << page->ErrorText();
        EXPECT_EQ(DataOf(page), Page);
        EXPECT_EQ(ObjectOf(page)->ContentType(), "text/html");
        EXPECT_EQ(DataOf(first), GifBytes(1));
        EXPECT_EQ(DataOf(second), GifBytes(2));
    }

    TempDir m_dir;
    std::filesystem::path m_proxyLog = m_dir.Path() / "tinyproxy.log";
    std::unique_ptr<CTestSite> m_site;
    std::unique_ptr<CServerProcess> m_tinyproxy;
};

TEST_F(HttpsServers, PageAndPicturesArriveWholeWithTheHostLine) {
    LoadSite(m_site->HttpsUrl("", Tls::Valid));
    const std::string host = "localhost:" + std::to_string(m_site->HttpsPort(Tls::Valid));
    const auto log = m_site->StopAndReadLog();
    EXPECT_TRUE(Logged(log, "GET / HTTP/1.0|" + host));
    EXPECT_TRUE(Logged(log, "GET /pictures/b.gif HTTP/1.0|" + host));
}

TEST_F(HttpsServers, LargeBodyArrivesWholeInBlocks) {
    CMimeDynamicLoad* load = Load(m_site->HttpsUrl("/large.html"));
    ASSERT_EQ(load->Result(), Status::Complete) << load->ErrorText();
    std::ifstream file(m_dir.Path() / "www/large.html", std::ios::binary);
    std::string expected((std::istreambuf_iterator<char>(file)), {});
    const std::string data = DataOf(load);
    EXPECT_EQ(data.size(), expected.size());
    EXPECT_TRUE(data == expected) << "the bytes differ";
    for (size_t block : ObjectOf(load)->Writes())
        EXPECT_LE(block, CHttpWorker::DeliveryBlock);
}

TEST_F(HttpsServers, CertificateFailuresGiveTheirMessagesAndNothingElse) {
    const std::pair<Tls, std::string> cases[] = {
        {Tls::Untrusted, FormatString(StringId::TlsUntrusted,
                                      {"localhost", "unable to get local issuer certificate"})},
        {Tls::OtherName, FormatString(StringId::TlsNameMismatch, {"localhost"})},
        {Tls::Expired, FormatString(StringId::TlsExpired, {"localhost"})},
    };
    for (const auto& [tls, message] : cases) {
        CMimeDynamicLoad* load = Load(m_site->HttpsUrl("/index.html", tls));
        EXPECT_EQ(load->Result(), Status::Failed);
        EXPECT_EQ(load->ErrorText(), message);
        EXPECT_EQ(load->GetObject(), nullptr) << message;
        m_owner.Delete(load);
    }
    EXPECT_EQ(m_site->StopAndReadLog(), std::vector<std::string>{}) << "no request was sent";
}

TEST_F(HttpsServers, PlainServerGivesTheHandshakeFailureAndNoPlainRequest) {
    const std::string url = "https://localhost:" + std::to_string(m_site->HttpPort()) + "/";
    CMimeDynamicLoad* load = Load(url);
    EXPECT_EQ(load->ErrorText(),
              FormatString(StringId::TlsHandshakeFailed, {"localhost", "wrong version number"}));
    EXPECT_EQ(load->GetObject(), nullptr);
    for (const std::string& line : m_site->StopAndReadLog())
        EXPECT_FALSE(line.starts_with("GET ")) << line;
}

TEST_F(HttpsServers, ThroughTinyproxyTheTunnelCarriesTheSite) {
    StartProxy();
    LoadSite(m_site->HttpsUrl("", Tls::Valid));
    const std::string authority = "localhost:" + std::to_string(m_site->HttpsPort(Tls::Valid));
    m_tinyproxy->Stop();
    std::ifstream file(m_proxyLog);
    std::string log((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(log.find("CONNECT " + authority + " HTTP/1.0"), std::string::npos) << log;
    EXPECT_TRUE(Logged(m_site->StopAndReadLog(), "GET /a.gif HTTP/1.0|" + authority));
}

TEST_F(HttpsServers, InsideATunnelTheDefaultPortIsLeftOutOfTheHostLine) {
    // A proxy of our own, which sends every tunnel to the site's valid port
    // whatever it names: so the site also sees requests for port 443.
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    const uint16_t site = m_site->HttpsPort(Tls::Valid);
    CScriptedServer proxy([site](CServerConnection& c) {
        c.ReadRequest();
        c.Send("HTTP/1.0 200 Connection established\r\n\r\n");
        c.RelayTo(site);
    });
    SetProxy("proxy.test", proxy.Port());
    for (const char* url :
         {"https://vestrial.test/dir/page2.html", "https://vestrial.test:443/dir/page2.html",
          "https://vestrial.test:444/dir/page2.html"}) {
        CMimeDynamicLoad* load = Load(url);
        EXPECT_EQ(DataOf(load), PageTwo) << load->ErrorText();
        m_owner.Delete(load);
    }
    ASSERT_EQ(proxy.Requests().size(), 3u);
    EXPECT_TRUE(proxy.Requests()[0].starts_with("CONNECT vestrial.test:443 HTTP/1.0\r\n"));
    EXPECT_EQ(m_site->StopAndReadLog(),
              (std::vector<std::string>{"GET /dir/page2.html HTTP/1.0|vestrial.test",
                                        "GET /dir/page2.html HTTP/1.0|vestrial.test",
                                        "GET /dir/page2.html HTTP/1.0|vestrial.test:444"}));
}

TEST_F(HttpsServers, RedirectsAcrossSchemesAndRelativeOnesArrive) {
    struct Case {
        std::string start;
        std::string arrival;
        const char* data;
    };
    const Case cases[] = {
        {m_site->HttpUrl("/moved"), m_site->HttpsUrl("/index.html"), Page},
        {m_site->HttpsUrl("/back"), m_site->HttpUrl("/index.html"), Page},
        {m_site->HttpUrl("/dir/relative"), m_site->HttpUrl("/dir/page2.html"), PageTwo},
        {m_site->HttpsUrl("/absolute-path"), m_site->HttpsUrl("/dir/page2.html"), PageTwo},
    };
    for (const Case& c : cases) {
        CMimeDynamicLoad* load = Load(c.start);
        EXPECT_EQ(load->Result(), Status::Complete) << c.start << ": " << load->ErrorText();
        EXPECT_EQ(load->Url(), c.arrival);
        EXPECT_EQ(DataOf(load), c.data) << c.start;
        m_owner.Delete(load);
    }
}

TEST_F(HttpsServers, TwentyRedirectsAreFollowedAndTheTwentyFirstIsNot) {
    ASSERT_EQ(MaxRedirects, 20);
    CMimeDynamicLoad* arrives = Load(m_site->HttpsUrl("/chain/20"));
    EXPECT_EQ(DataOf(arrives), Page) << arrives->ErrorText();
    m_owner.Delete(arrives);

    CMimeDynamicLoad* stops = Load(m_site->HttpsUrl("/chain/21"));
    EXPECT_EQ(stops->Result(), Status::Failed);
    EXPECT_EQ(stops->ErrorText(),
              FormatString(StringId::TooManyRedirects, {20, m_site->HttpsUrl("/chain/1")}));
    EXPECT_EQ(stops->GetObject(), nullptr);

    const auto log = m_site->StopAndReadLog();
    // 20 redirects and the page for the first chain, then 21 requests for
    // the second: the one asked for and 20 redirects.
    ASSERT_EQ(log.size(), 21u + 21u);
    EXPECT_TRUE(log[20].starts_with("GET /index.html "));
    EXPECT_TRUE(log[21].starts_with("GET /chain/21 "));
    EXPECT_TRUE(log.back().starts_with("GET /chain/1 "));
}
