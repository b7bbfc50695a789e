#include "net/TestSite.h"

#include "net/TestCertificates.h"

#include <fstream>

namespace {

struct SocketConfig {
    CTestSite::Tls tls;
    const char* pem;
    const char* protocols; // ssl-conf-cmd entries, or empty
};

constexpr SocketConfig kSockets[] = {
    {CTestSite::Tls::Valid, "valid.pem", ""},
    {CTestSite::Tls::OtherName, "other-name.pem", ""},
    {CTestSite::Tls::Expired, "expired.pem", ""},
    {CTestSite::Tls::Untrusted, "untrusted.pem", ""},
    {CTestSite::Tls::Only12, "valid.pem",
     R"("MinProtocol" => "TLSv1.2", "MaxProtocol" => "TLSv1.2")"},
    // The library refuses 1.1 at its default security level, servers too.
    {CTestSite::Tls::Only11, "valid.pem",
     R"("MinProtocol" => "TLSv1.1", "MaxProtocol" => "TLSv1.1", "CipherString" => "DEFAULT@SECLEVEL=0")"},
};

constexpr int ChainLinks = 30;

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

} // namespace

std::string CTestSite::HttpUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
}

std::string CTestSite::HttpsUrl(const std::string& path, Tls tls, const std::string& host) const {
    return "https://" + host + ":" + std::to_string(HttpsPort(tls)) + path;
}

std::unique_ptr<CTestSite> CTestSite::Start(const std::filesystem::path& root, std::string& error) {
    const std::string lighttpd = FindProgram({"/usr/sbin/lighttpd", "/usr/bin/lighttpd"});
    if (lighttpd.empty() || !std::filesystem::exists("/usr/lib/lighttpd/mod_openssl.so")) {
        error = "lighttpd with mod_openssl is not installed (scripts/setup.sh installs it)";
        return nullptr;
    }
    const std::filesystem::path& certificates = TestCertificates();
    if (certificates.empty()) {
        error = "the build made no test certificates (is openssl installed?)";
        return nullptr;
    }
    std::unique_ptr<CTestSite> site(new CTestSite());
    const std::filesystem::path dir = root.parent_path();
    site->m_log = dir / "access.log";
    site->m_httpPort = FreeLoopbackPort();
    for (const SocketConfig& socket : kSockets)
        site->m_httpsPorts[socket.tls] = FreeLoopbackPort();

    std::string config =
        "server.modules = (\"mod_openssl\", \"mod_redirect\", \"mod_accesslog\")\n"
        "server.document-root = " +
        Quoted(root) + "\n" + "server.port = " + std::to_string(site->m_httpPort) + "\n" +
        "server.bind = \"127.0.0.1\"\n"
        "server.errorlog = " +
        Quoted(dir / "error.log") + "\n" + "accesslog.filename = " + Quoted(site->m_log) + "\n" +
        "accesslog.format = \"%r|%{Host}i\"\n"
        "index-file.names = (\"index.html\")\n"
        "mimetype.assign = (\".html\" => \"text/html\", \".gif\" => \"image/gif\", "
        "\".jpg\" => \"image/jpeg\")\n"
        "url.redirect-code = 302\n"
        "$HTTP[\"url\"] == \"/moved\" { url.redirect-code = 301 }\n"
        "url.redirect = (\n"
        "  \"^/moved$\" => \"" +
        site->HttpsUrl("/index.html") + "\",\n" + "  \"^/back$\" => \"" +
        site->HttpUrl("/index.html") + "\",\n" +
        "  \"^/dir/relative$\" => \"page2.html\",\n"
        "  \"^/absolute-path$\" => \"/dir/page2.html\",\n"
        "  \"^/chain/1$\" => \"/index.html\",\n";
    for (int link = 2; link <= ChainLinks; ++link)
        config += "  \"^/chain/" + std::to_string(link) + "$\" => \"/chain/" +
                  std::to_string(link - 1) + "\",\n";
    config += ")\n";
    for (const SocketConfig& socket : kSockets) {
        config +=
            "$SERVER[\"socket\"] == \"127.0.0.1:" + std::to_string(site->m_httpsPorts[socket.tls]) +
            "\" {\n" +
            "  ssl.engine = \"enable\"\n  ssl.pemfile = " + Quoted(certificates / socket.pem) +
            "\n";
        if (*socket.protocols)
            config += std::string("  ssl.openssl.ssl-conf-cmd = (") + socket.protocols + ")\n";
        config += "}\n";
    }
    const std::filesystem::path configPath = dir / "lighttpd.conf";
    std::ofstream(configPath) << config;
    site->m_server =
        CServerProcess::Start({lighttpd, "-D", "-f", configPath.string()}, site->m_httpPort, error);
    if (!site->m_server)
        return nullptr;
    return site;
}

std::vector<std::string> CTestSite::StopAndReadLog() {
    m_server->Stop();
    std::vector<std::string> lines;
    std::ifstream log(m_log);
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    return lines;
}
