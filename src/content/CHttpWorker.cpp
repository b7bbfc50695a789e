#include "content/CHttpWorker.h"

#include "app/CAppSettings.h"
#include "content/CDynamicLoad.h"
#include "content/CScheduler.h"
#include "content/HttpLimits.h"
#include "content/Url.h"
#include "net/CConnectReplyReader.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"
#include "platform/Verify.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr uint16_t DefaultHttpPort = 80;
constexpr uint16_t DefaultHttpsPort = 443;
constexpr long MaxPort = 65535;
// A proxy's answer to CONNECT is a few lines.
constexpr size_t ConnectReplyBlock = 1024;

// The server answers that have a text of their own.
struct ServerErrorText {
    int code;
    unsigned stringId;
};
constexpr std::array<ServerErrorText, 7> kServerErrors = {{
    {400, StringId::HttpBadRequest},
    {403, StringId::HttpForbidden},
    {404, StringId::HttpNotFound},
    {500, StringId::HttpInternalError},
    {501, StringId::HttpNotImplemented},
    {502, StringId::HttpBadGateway},
    {503, StringId::HttpServiceUnavailable},
}};

// A byte that may not stand in a request line or a Host line as it is: a
// control byte (CR and LF would end the line and start a header of the
// page's choosing) or a blank (it would end the request target).
bool UnsafeInLine(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

// The request target as it may go on the wire: unsafe bytes as %XX.
std::string EscapeTarget(std::string_view target) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(target.size());
    for (char c : target) {
        if (!UnsafeInLine(c)) {
            escaped += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        escaped += '%';
        escaped += Hex[byte >> 4];
        escaped += Hex[byte & 0xF];
    }
    return escaped;
}

uint16_t DefaultPortOf(std::string_view scheme) {
    return EqualsNoCase(scheme, "https") ? DefaultHttpsPort : DefaultHttpPort;
}

// The header lines without those of the given (lower-case) name.
std::string WithoutHeader(std::string_view lines, std::string_view name) {
    std::string kept;
    while (!lines.empty()) {
        size_t end = lines.find('\n');
        end = end == std::string_view::npos ? lines.size() : end + 1;
        std::string_view line = lines.substr(0, end);
        lines.remove_prefix(end);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || !EqualsNoCase(line.substr(0, colon), name))
            kept += line;
    }
    return kept;
}

const char* Verb(Method method) {
    switch (method) {
    case Method::Head:
        return "HEAD ";
    case Method::Post:
        return "POST ";
    case Method::Get:
        break;
    }
    return "GET ";
}

unsigned TlsFailureText(CTlsStream::Failure failure) {
    switch (failure) {
    case CTlsStream::Failure::Untrusted:
        return StringId::TlsUntrusted;
    case CTlsStream::Failure::NameMismatch:
        return StringId::TlsNameMismatch;
    case CTlsStream::Failure::Expired:
        return StringId::TlsExpired;
    case CTlsStream::Failure::None:
    case CTlsStream::Failure::Handshake:
    case CTlsStream::Failure::Transfer:
        break;
    }
    return StringId::TlsHandshakeFailed;
}

} // namespace

CHttpWorker::~CHttpWorker() = default;

void CHttpWorker::Join() {
    CThreadedWorker::Join();
    m_socket.Close();
}

void CHttpWorker::InterruptBlockingCall() {
    m_socket.Cancel();
}

std::string CHttpWorker::BuildRequest(Method method, const std::string& path,
                                      const std::string& host, const std::string& extraHeaders,
                                      const std::string& body) {
    std::string request = Verb(method);
    request += EscapeTarget(path);
    request += " HTTP/1.0\r\n";
    request += "Host: ";
    request += host;
    request += "\r\nUser-Agent: ";
    request += LoadString(StringId::UserAgent);
    request += "\r\nAccept: ";
    request += AcceptHeaderValue();
    request += "\r\n";
    request += extraHeaders;
    request += "\r\n";
    request += body;
    return request;
}

std::string CHttpWorker::BuildConnectRequest(const std::string& authority) {
    std::string request = "CONNECT " + authority + " HTTP/1.0\r\n";
    request += "Host: " + authority + "\r\n";
    request += "User-Agent: ";
    request += LoadString(StringId::UserAgent);
    request += "\r\n\r\n";
    return request;
}

void CHttpWorker::ShowStatus(std::string text) {
    m_load.SetStatusText(std::move(text));
    SignalNotify();
}

bool CHttpWorker::FindTarget(const std::string& url, Target& target) {
    // The rows matched their scheme in any case; the worker wants it exact.
    const std::string scheme = UrlScheme(url);
    if (scheme != "http" && scheme != "https")
        return false;
    const long port = UrlPort(url);
    if (port == UrlPortMalformed)
        return false;
    target.host = UrlHost(url);
    // Such a host would put bytes of the page's choosing into the Host line,
    // or into the request line a proxy is sent.
    if (std::any_of(target.host.begin(), target.host.end(), UnsafeInLine))
        return false;
    target.secure = scheme == "https";
    const uint16_t defaultPort = DefaultPortOf(scheme);
    const uint16_t sitePort = port < 0 ? defaultPort : static_cast<uint16_t>(port);
    target.authority = target.host + ":" + std::to_string(sitePort);
    target.hostLine = sitePort == defaultPort ? target.host : target.authority;
    target.connectHost = target.displayHost = target.host;
    target.connectPort = sitePort;
    target.path = UrlPath(url);
    // The proxy is handed the whole URL of a plain request; a secure one
    // passes it by inside the tunnel, as the site expects it.
    if (UseProxy(target)) {
        target.tunnel = target.secure;
        if (!target.secure)
            target.path = url;
    }
    return true;
}

bool CHttpWorker::UseProxy(Target& target) {
    std::string proxy;
    int32_t proxyPort = 0;
    if (CAppSettings* settings = GetSettings()) {
        // One snapshot: the UI thread may be changing them from the
        // preferences right now.
        const CAppSettings::Values values = settings->Snapshot();
        proxy = values.httpProxy;
        proxyPort = values.httpProxyPort;
    }
    if (proxy.empty())
        return false;
    target.displayHost += " via " + proxy;
    target.connectHost = proxy;
    // A port out of range becomes 0, where nothing listens, so the connect
    // fails with the text users know.
    target.connectPort =
        proxyPort >= 0 && proxyPort <= MaxPort ? static_cast<uint16_t>(proxyPort) : 0;
    return true;
}

void CHttpWorker::Run() {
    CDynamicLoad::Request request = m_load.GetRequest();
    Target target;
    if (!FindTarget(request.url, target)) {
        m_load.SetError(StringId::MalformedUrl, {request.url});
        return Finish(Status::Failed);
    }
    m_connectHost = target.connectHost;
    ShowStatus(FormatText("Contacting host %s.", {target.displayHost}));
    if (Connect(target) && OpenTunnel(target) && Secure(target) && SendRequest(request, target))
        ReceiveResponse();
}

bool CHttpWorker::Connect(const Target& target) {
    SocketResult result = m_socket.Connect(target.connectHost, target.connectPort);
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::HttpConnectFailed, {m_connectHost, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        EndAfterSocket(result);
        return false;
    }
    (void)m_socket.SetNoDelay();
    return true;
}

bool CHttpWorker::SendAll(const std::string& text) {
    SocketResult result = m_socket.Send(text.data(), text.size());
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::HttpSendFailed, {m_connectHost, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        EndAfterSocket(result);
        return false;
    }
    return true;
}

bool CHttpWorker::OpenTunnel(const Target& target) {
    if (!target.tunnel)
        return true;
    ShowStatus(FormatText("Host %s contacted. Opening a tunnel to %s.",
                          {m_connectHost, target.authority}));
    if (!SendAll(BuildConnectRequest(target.authority)))
        return false;
    CConnectReplyReader reader;
    char buffer[ConnectReplyBlock];
    for (;;) {
        size_t count = 0;
        SocketResult result = m_socket.Receive(buffer, sizeof buffer, count);
        if (result == SocketResult::Failed)
            m_load.SetError(StringId::HttpReceiveFailed, {m_connectHost, m_socket.GetErrorText()});
        if (result != SocketResult::Done) {
            EndAfterSocket(result);
            return false;
        }
        if (count == 0) {
            FailReading("The proxy closed the connection instead of opening a tunnel.");
            return false;
        }
        switch (reader.Feed({buffer, count})) {
        case CConnectReplyReader::Outcome::NeedMore:
            continue;
        case CConnectReplyReader::Outcome::Open:
            return true;
        case CConnectReplyReader::Outcome::Refused:
            // The proxy's refusal reads as any server's answer, naming it.
            SetServerError(reader.StatusCode());
            Finish(Status::Failed);
            return false;
        case CConnectReplyReader::Outcome::NotHttp:
            FailReading("The proxy did not answer the request for a tunnel in HTTP.");
            return false;
        case CConnectReplyReader::Outcome::EarlyBytes:
            FailReading("The proxy sent data before the tunnel was open.");
            return false;
        case CConnectReplyReader::Outcome::TooLarge:
            FailHeaderTooLarge();
            return false;
        }
    }
}

bool CHttpWorker::Secure(const Target& target) {
    if (!target.secure)
        return true;
    ShowStatus(FormatText("Host %s contacted. Securing the connection.", {m_connectHost}));
    SocketResult result = m_socket.StartTls(target.host);
    // The certificate is the site's, also when a proxy carries the tunnel.
    if (result == SocketResult::Failed)
        m_load.SetError(TlsFailureText(m_socket.GetTlsFailure()),
                        {target.host, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        EndAfterSocket(result);
        return false;
    }
    return true;
}

bool CHttpWorker::SendRequest(const CDynamicLoad::Request& request, const Target& target) {
    ShowStatus(FormatText("Host %s contacted. Sending HTTP command.", {m_connectHost}));
    if (!SendAll(BuildRequest(request.method, target.path, target.hostLine, request.headers,
                              request.postData)))
        return false;
    ShowStatus(FormatText("Host %s contacted. Waiting for reply.", {m_connectHost}));
    return true;
}

void CHttpWorker::ReceiveResponse() {
    CHttpResponseReader reader(*this);
    // On the heap: a worker thread's stack is not the place for 64 KiB.
    std::vector<char> buffer(ReceiveBlock);
    for (;;) {
        size_t count = 0;
        SocketResult result = m_socket.Receive(buffer.data(), buffer.size(), count);
        if (result == SocketResult::Failed)
            m_load.SetError(StringId::HttpReceiveFailed, {m_connectHost, m_socket.GetErrorText()});
        if (result != SocketResult::Done)
            return EndAfterSocket(result);
        if (count == 0)
            return EndOfStream(reader);
        // A server that sends without pause never lets a receive wait, where
        // a cancel would reach it: Stop is seen between blocks.
        if (AbortRequested())
            return FinishAborted();
        // Everything this receive hands on wakes the UI thread once; the
        // batch ends before the next receive can wait.
        CSignalBatch batch;
        m_totalReceived += count;
        m_load.SetStatusText(
            FormatText("%ld bytes received from %s", {m_totalReceived, m_connectHost}));
        // Once body flows, delivering it wakes the UI thread, which then picks
        // the count up too: one wake per block instead of two.
        if (!m_bodyFlowing)
            SignalNotify();
        switch (reader.Feed({buffer.data(), count})) {
        case CHttpResponseReader::Outcome::NeedMore:
            break;
        case CHttpResponseReader::Outcome::HeaderTooLarge:
            return FailHeaderTooLarge();
        case CHttpResponseReader::Outcome::BodyComplete:
            // Whatever follows the declared length is not read at all.
            SetResult(Status::Complete);
            return FinishClosed();
        case CHttpResponseReader::Outcome::Stopped:
            return EndStopped();
        }
    }
}

void CHttpWorker::EndOfStream(CHttpResponseReader& reader) {
    switch (reader.EndOfStream()) {
    case CHttpResponseReader::Ending::Whole:
        return FinishClosed();
    case CHttpResponseReader::Ending::Stopped:
        return EndStopped();
    case CHttpResponseReader::Ending::InHeader:
        // An empty answer, or one cut off in its header, is no page: it must
        // not end as a blank one without a word.
        return FailReading("The server closed the connection before sending a page.");
    case CHttpResponseReader::Ending::Short:
        // What arrived stays on screen, but it is not the whole page.
        return FailReading(FormatText("The server closed the connection after %lu of the %lu "
                                      "bytes of the page.",
                                      {reader.BodyReceived(), reader.ContentLength()}));
    }
    VERIFY_NOT_REACHED();
}

void CHttpWorker::FailReading(const std::string& reason) {
    m_load.SetError(StringId::HttpReceiveFailed, {m_connectHost, reason});
    Finish(Status::Failed);
}

void CHttpWorker::FailHeaderTooLarge() {
    // A server that never ends its header would otherwise have us buffer it
    // without bound; the reason reads like the socket's own texts.
    FailReading(FormatText("The response header is too large (more than %lu bytes).",
                           {CHttpHeaderParser::MaxHeaderBytes}));
}

void CHttpWorker::EndAfterSocket(SocketResult result) {
    // A cancel comes only from Abort: the scheduler finishes the load itself.
    if (result == SocketResult::Cancelled && AbortRequested())
        return FinishAborted();
    Finish(Status::Failed);
}

void CHttpWorker::FinishClosed() {
    m_load.SetStatusText(FormatText("Connection to %s closed.", {m_connectHost}));
    FinishKeepingResult();
}

CHttpResponseReader::Verdict CHttpWorker::OnHeaderEnd(int statusCode, const HttpHeaders& headers) {
    m_statusCode = statusCode;
    auto value = [&headers](const char* name) {
        auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    };
    if (statusCode >= 300 && statusCode <= 399) {
        m_location = value("location");
        m_stopReason = StopReason::Redirect;
        return Verdict::Stop;
    }
    if (statusCode >= 400 && statusCode <= 599) {
        m_challenge = value("www-authenticate");
        m_stopReason = StopReason::ServerError;
        return Verdict::Stop;
    }
    Status status = DeliverHeaders(headers);
    if (!EndsTransfer(status)) {
        m_bodyFlowing = true;
        return Verdict::Continue;
    }
    m_stopReason = StopReason::Result;
    m_stopResult = status;
    return Verdict::Stop;
}

CHttpResponseReader::Verdict CHttpWorker::OnBody(const char* bytes, size_t count) {
    // An empty block (the header ended with the receive) is delivered as such.
    size_t offset = 0;
    do {
        const size_t block = std::min(count - offset, DeliveryBlock);
        Status status = DeliverData(bytes + offset, block);
        if (EndsTransfer(status)) {
            m_stopReason = StopReason::Result;
            m_stopResult = status;
            return Verdict::Stop;
        }
        offset += block;
    } while (offset < count);
    return Verdict::Continue;
}

void CHttpWorker::EndStopped() {
    switch (m_stopReason) {
    case StopReason::Result:
        SetResult(m_stopResult);
        return FinishClosed();
    case StopReason::Redirect:
        // A 304 answers a conditional request, which is never sent: there is
        // nothing to show, and the user is told why.
        if (m_statusCode == 304) {
            m_load.SetError(StringId::HttpNotModified, {m_connectHost});
            return FinishKeepingResult(Notify::TransferFailed);
        }
        return EndRedirected();
    case StopReason::ServerError:
        return EndWithServerError();
    case StopReason::None:
        break;
    }
    VERIFY_NOT_REACHED();
}

void CHttpWorker::EndRedirected() {
    if (m_load.Redirects() >= MaxRedirects) {
        m_load.SetError(StringId::TooManyRedirects, {MaxRedirects, m_url});
        return Finish(Status::Failed);
    }
    // A relative location ("/login", "page2.html") is meant from the address
    // that was asked for; an absent one stays empty and fails as before.
    const std::string next = m_location.empty() ? m_location : ResolveUrl(m_url, m_location);
    // A server has no say over the files of the machine it sends pages to.
    if (EqualsNoCase(UrlScheme(next), "file")) {
        m_load.SetError(StringId::RedirectToFile, {m_connectHost, next});
        return Finish(Status::Failed);
    }
    m_load.CountRedirect();
    // A credential is for the site it was given to, not for wherever that
    // site sends the request on (another host, or the same one without TLS).
    if (!SameSite(m_url, next))
        m_load.SetHeaders(WithoutHeader(m_load.Headers(), "authorization"));
    SetUrl(next);
    FinishRedirected();
}

void CHttpWorker::EndWithServerError() {
    if (m_statusCode == 401) {
        m_load.SetChallenge(m_challenge);
        m_load.SetError(StringId::HttpUnauthorized, {m_connectHost});
        return FinishKeepingResult(Notify::AuthRequested);
    }
    SetServerError(m_statusCode);
    Finish(Status::Failed);
}

void CHttpWorker::SetServerError(int statusCode) {
    const auto* known = std::find_if(
        kServerErrors.begin(), kServerErrors.end(),
        [statusCode](const ServerErrorText& entry) { return entry.code == statusCode; });
    if (known != kServerErrors.end())
        m_load.SetError(known->stringId, {m_connectHost});
    else
        m_load.SetError(StringId::HttpOtherError, {m_connectHost, statusCode});
}

namespace {

std::unique_ptr<CLoadWorker> CreateHttpWorker(CDynamicLoad& load) {
    return std::make_unique<CHttpWorker>(load, load.Url());
}

} // namespace

ProtocolRegistration RegisterHttpProtocol() {
    return ProtocolTable().Register({PrefixMatcher("http:"), CreateHttpWorker, "HTTP"});
}

ProtocolRegistration RegisterHttpsProtocol() {
    return ProtocolTable().Register({PrefixMatcher("https:"), CreateHttpWorker, "HTTPS"});
}
