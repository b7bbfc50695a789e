#pragma once

#include "net/ServerProcess.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

// lighttpd on 127.0.0.1 serving one directory over http and, on a port of
// its own for each, over https with each of the test certificates. It logs
// every request's line and Host, and redirects:
//   /moved           301 to https://localhost:VALID/index.html
//   /back            302 to http://127.0.0.1:HTTP/index.html
//   /dir/relative    302 to "page2.html"
//   /absolute-path   302 to "/dir/page2.html"
//   /chain/N         302 to /chain/N-1 for N from 2 to 30, /chain/1 to /index.html
class CTestSite {
public:
    enum class Tls { Valid, OtherName, Expired, Untrusted, Only12, Only11 };

    // Null, with the reason in error, when lighttpd, its TLS module or the
    // certificates are missing, or it does not start.
    static std::unique_ptr<CTestSite> Start(const std::filesystem::path& root, std::string& error);

    uint16_t HttpPort() const { return m_httpPort; }
    uint16_t HttpsPort(Tls tls) const { return m_httpsPorts.at(tls); }
    std::string HttpUrl(const std::string& path) const;
    std::string HttpsUrl(const std::string& path, Tls tls = Tls::Valid,
                         const std::string& host = "localhost") const;

    // Stops the server and returns its access log, one "REQUEST-LINE|HOST"
    // per request.
    std::vector<std::string> StopAndReadLog();

private:
    CTestSite() = default;
    std::filesystem::path m_log;
    uint16_t m_httpPort = 0;
    std::map<Tls, uint16_t> m_httpsPorts;
    std::unique_ptr<CServerProcess> m_server;
};
