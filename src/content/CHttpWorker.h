#pragma once

#include "content/CDynamicLoad.h"
#include "content/CLoadWorker.h"
#include "content/CRegistryTables.h"
#include "net/CHttpResponseReader.h"
#include "net/CNullSocket.h"

#include <cstdint>
#include <string>

// The worker of the "http:" and "https:" rows: one HTTP/1.0 request over one
// connection, directly or through the configured proxy, on a thread of its
// own; for https the connection is TLS (through the proxy, inside a CONNECT
// tunnel). The header and then the body go to the load as they arrive;
// redirects, the authentication challenge and server errors go back through
// the load's error text and notification bits.
class CHttpWorker final : public CThreadedWorker, private CHttpResponseReader::Sink {
public:
    // The body reaches the document in blocks of at most this, so pages and
    // images show progressively whatever the network delivers at once.
    static constexpr size_t DeliveryBlock = 4096;
    // One receive. Larger than a delivery block: on a fast link a system call
    // per 4 KiB would cost more than the transfer itself.
    static constexpr size_t ReceiveBlock = 64 * 1024;

    using CThreadedWorker::CThreadedWorker;
    ~CHttpWorker() override;

    void Join() override;

    // The request, byte for byte. The Host line follows the request line:
    // without it a server with several sites on one address answers for
    // whichever it takes as its default.
    [[nodiscard]] static std::string BuildRequest(Method method, const std::string& path,
                                                  const std::string& host,
                                                  const std::string& extraHeaders,
                                                  const std::string& body);
    // What asks a proxy for a tunnel to authority ("host:port").
    [[nodiscard]] static std::string BuildConnectRequest(const std::string& authority);

protected:
    void InterruptBlockingCall() override;

private:
    using Verdict = CHttpResponseReader::Verdict;

    // Where the request goes and what it asks for.
    struct Target {
        bool secure = false;     // https: TLS with the site
        bool tunnel = false;     // https through the proxy: CONNECT first
        std::string host;        // the site, which its certificate must name
        std::string authority;   // the site as "host:port", for CONNECT
        std::string hostLine;    // the Host line's value
        std::string connectHost; // the site, or the proxy
        uint16_t connectPort = 0;
        std::string displayHost; // for the first status text
        std::string path;        // the whole URL through a proxy, unless tunnelled
    };
    // What made the reader stop, for the thread to act on.
    enum class StopReason { None, Result, Redirect, ServerError };

    void Run() override;
    [[nodiscard]] bool FindTarget(const std::string& url, Target& target);
    // Points the target at the proxy, if one is set; true when it did.
    [[nodiscard]] bool UseProxy(Target& target);
    [[nodiscard]] bool Connect(const Target& target);
    [[nodiscard]] bool OpenTunnel(const Target& target);
    [[nodiscard]] bool Secure(const Target& target);
    [[nodiscard]] bool SendRequest(const CDynamicLoad::Request& request, const Target& target);
    [[nodiscard]] bool SendAll(const std::string& text);
    void ReceiveResponse();
    void FailReading(const std::string& reason);
    void FailHeaderTooLarge();
    void EndAfterSocket(SocketResult result);
    void EndStopped();
    void EndWithServerError();
    void EndRedirected();
    void SetServerError(int statusCode);
    void FinishClosed();
    void ShowStatus(std::string text);

    Verdict OnHeaderEnd(int statusCode, const HttpHeaders& headers) override;
    Verdict OnBody(const char* bytes, size_t count) override;

    CNullSocket m_socket;
    // The rest is the thread's own while it runs.
    std::string m_connectHost;
    uint64_t m_totalReceived = 0;
    bool m_bodyFlowing = false; // the header has gone to the load
    StopReason m_stopReason = StopReason::None;
    Status m_stopResult = Status::Continue;
    int m_statusCode = 0;
    std::string m_location;
    std::string m_challenge;
};

// The "http:" row of the protocol table.
[[nodiscard]] ProtocolRegistration RegisterHttpProtocol();
// The "https:" row.
[[nodiscard]] ProtocolRegistration RegisterHttpsProtocol();
