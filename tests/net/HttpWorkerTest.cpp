#include "net/HttpFixture.h"
#include "net/ScriptedResolver.h"
#include "net/ScriptedServer.h"

#include "content/HttpLimits.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

using namespace std::chrono_literals;

namespace {

constexpr const char* UserAgentLine = "User-Agent: Vestrial (Alpha2 i386 WinNT/Win95)\r\n";

std::string AcceptLine() {
    return "Accept: " + AcceptHeaderValue() + "\r\n";
}

// A server that reads one request and answers with response, then closes.
CScriptedServer::Script Answer(std::string response) {
    return [response](CServerConnection& c) {
        c.ReadRequest();
        c.Send(response);
    };
}

const char* HtmlOk = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

} // namespace

using HttpRequest = HttpTest;

TEST_F(HttpRequest, GetOfHostOnlyUrlSendsExactlyFiveLines) {
    EXPECT_EQ(AcceptHeaderValue(), "text/html, image/gif, internal/launch-ftp, */*")
        << "the fixture's content types, in table order";
    CScriptedServer server(Answer(std::string(HtmlOk) + "hello"));
    CMimeDynamicLoad* load = Load(server.Url());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "GET / HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
                  UserAgentLine + AcceptLine() + "\r\n");
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(DataOf(load), "hello");
    EXPECT_EQ(m_lastStatus, "Connection to 127.0.0.1 closed.");
}

TEST_F(HttpRequest, PostSendsExtraHeadersEmptyLineAndBody) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest(3);
        c.Send(HtmlOk);
    });
    const std::string headers =
        "Content-type: application/x-www-form-urlencoded\r\nContent-length: 3\r\n";
    CMimeDynamicLoad* load = Start(server.Url("/form?x"), Method::Post, headers, "a=b");
    RunUntilFinished(m_owner, load);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "POST /form?x HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
                  UserAgentLine + AcceptLine() + headers + "\r\na=b");
}

TEST_F(HttpRequest, HeadUsesItsVerbAndTheFragmentStaysHome) {
    CScriptedServer server(Answer(HtmlOk));
    CMimeDynamicLoad* load = Start(server.Url("/p#part"), Method::Head);
    RunUntilFinished(m_owner, load);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].substr(0, 18), "HEAD /p HTTP/1.0\r\n");
}

TEST_F(HttpRequest, ThroughProxySendsTheWholeUrlAndNamesBothHosts) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    resolver->hold = true;
    CScriptedServer proxy(Answer(std::string(HtmlOk) + "via proxy"));
    SetProxy("proxy.test", proxy.Port());
    CMimeDynamicLoad* load = Start("http://h.test:81/a");
    // The lookup of the proxy is held, so the first status text stays up.
    RunUntil([&] { return m_lastStatus == "Contacting host h.test via proxy.test."; });
    resolver->release.Set();
    RunUntilFinished(m_owner, load);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "GET http://h.test:81/a HTTP/1.0\r\nHost: h.test:81\r\n" +
                                       std::string(UserAgentLine) + AcceptLine() + "\r\n");
    EXPECT_EQ(resolver->byName, 1) << "only the proxy is looked up";
    EXPECT_EQ(DataOf(load), "via proxy");
    EXPECT_EQ(m_lastStatus, "Connection to proxy.test closed.");
}

TEST_F(HttpRequest, ServerErrorThroughProxyNamesTheProxy) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    CScriptedServer proxy(Answer("HTTP/1.0 404 Not Found\r\n\r\n"));
    SetProxy("proxy.test", proxy.Port());
    CMimeDynamicLoad* load = Load("http://h.test/missing");
    EXPECT_EQ(load->ErrorText(), FormatString(StringId::HttpNotFound, {"proxy.test"}));
}

using HttpHostLine = HttpTest;

namespace {

// The request a GET of url sends when the Host line reads host.
std::string GetWithHost(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.0\r\nHost: " + host + "\r\n" + UserAgentLine + AcceptLine() +
           "\r\n";
}

} // namespace

TEST_F(HttpHostLine, DirectlyOnTheDefaultPortTheHostStandsAlone) {
    ScopedResolver resolver;
    // Port 80 on an address of its own, so no other server on the machine is
    // in the way; binding it needs the right to.
    resolver->Map("h.test", "127.80.80.80");
    CScriptedServer server(Answer(HtmlOk), {"127.80.80.80", 80});
    if (!server.Listening())
        GTEST_SKIP() << "port 80 cannot be bound here";
    for (const char* url : {"http://h.test/a", "http://h.test:80/a"})
        m_owner.Delete(Load(url));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0], GetWithHost("/a", "h.test"));
    EXPECT_EQ(server.Requests()[1], GetWithHost("/a", "h.test")) << "the default, even when named";
}

TEST_F(HttpHostLine, ThroughTheProxyOnlyTheDefaultPortIsLeftOut) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    CScriptedServer proxy(Answer(HtmlOk));
    SetProxy("proxy.test", proxy.Port());
    const std::pair<const char*, const char*> cases[] = {
        {"http://h.test/a", "h.test"},
        {"http://h.test:80/a", "h.test"},
        {"http://h.test:79/a", "h.test:79"},
        {"http://h.test:81/a", "h.test:81"},
    };
    for (auto [url, host] : cases)
        m_owner.Delete(Load(url));
    ASSERT_EQ(proxy.Requests().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(proxy.Requests()[i], GetWithHost(cases[i].first, cases[i].second));
}

using HttpTunnel = HttpsTest;

TEST_F(HttpTunnel, ConnectNamesHostAndPortAndARefusalNamesTheProxy) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    CScriptedServer proxy(Answer("HTTP/1.0 403 Forbidden\r\n\r\n"));
    SetProxy("proxy.test", proxy.Port());
    const std::pair<const char*, const char*> cases[] = {
        {"https://h.test/a", "h.test:443"},
        {"https://h.test:443/a", "h.test:443"},
        {"https://h.test:442/a", "h.test:442"},
        {"https://h.test:444/a", "h.test:444"},
    };
    for (auto [url, authority] : cases) {
        CMimeDynamicLoad* load = Load(url);
        EXPECT_EQ(load->ErrorText(), FormatString(StringId::HttpForbidden, {"proxy.test"}));
        m_owner.Delete(load);
    }
    ASSERT_EQ(proxy.Requests().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string authority = cases[i].second;
        EXPECT_EQ(proxy.Requests()[i], "CONNECT " + authority + " HTTP/1.0\r\nHost: " + authority +
                                           "\r\n" + UserAgentLine + "\r\n");
    }
    EXPECT_EQ(resolver->byName, static_cast<int>(std::size(cases))) << "only the proxy";
}

TEST_F(HttpTunnel, OnlyATwoHundredAnswerOpensTheTunnel) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    const std::string unknown = "The server \"proxy.test\" has returned the following error:\n";
    const auto reading = [](const char* reason) {
        return FormatString(StringId::HttpReceiveFailed, {"proxy.test", reason});
    };
    // Once open, the "site" behind it leaves: the TLS failure names the site.
    const std::string opened =
        FormatString(StringId::TlsHandshakeFailed,
                     {"h.test", "The server closed the connection during the handshake."});
    const std::pair<std::string, std::string> cases[] = {
        {"HTTP/1.0 199 Early\r\n\r\n", unknown + "199 - Unknown error has occurred."},
        {"HTTP/1.0 200 Connection established\r\n\r\n", opened},
        {"HTTP/1.1 299 Odd\r\nX: y\r\n\r\n", opened},
        {"HTTP/1.0 300 Choices\r\n\r\n", unknown + "300 - Unknown error has occurred."},
        {"HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic\r\n\r\n",
         unknown + "401 - Unknown error has occurred."},
        {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n",
         unknown + "407 - Unknown error has occurred."},
        {"HTTP/1.0 502 Bad Gateway\r\n\r\n",
         FormatString(StringId::HttpBadGateway, {"proxy.test"})},
        {"SSH-2.0-OpenSSH_9.2\r\n\r\n",
         reading("The proxy did not answer the request for a tunnel in HTTP.")},
        {"HTTP/1.0 200 OK\r\n\r\nhello",
         reading("The proxy sent data before the tunnel was open.")},
        {"", reading("The proxy closed the connection instead of opening a tunnel.")},
        {"HTTP/1.0 200 OK\r\nX: " + std::string(CHttpHeaderParser::MaxHeaderBytes, 'a'),
         reading("The response header is too large (more than 1048576 bytes).")},
    };
    for (const auto& [reply, message] : cases) {
        CScriptedServer proxy([&reply = reply](CServerConnection& c) {
            c.ReadRequest();
            c.Send(reply);
            // Takes in what comes through a tunnel, so that leaving is a
            // close and not a reset.
            (void)c.WaitForPeerClose(200ms);
        });
        SetProxy("proxy.test", proxy.Port());
        CMimeDynamicLoad* load = Load("https://h.test/");
        EXPECT_EQ(load->Result(), Status::Failed) << reply.substr(0, 40);
        EXPECT_EQ(load->ErrorText(), message) << reply.substr(0, 40);
        EXPECT_FALSE(m_owner.FlagsOf(load) & Notify::AuthRequested)
            << "the site's login is not the proxy's";
        m_owner.Delete(load);
    }
}

using HttpsStop = HttpsTest;

TEST_F(HttpsStop, DuringAHandshakeTheServerNeverAnswersTheLoadEndsWithinASecond) {
    CScriptedServer server([](CServerConnection& c) { c.HoldUntilStopped(); });
    CMimeDynamicLoad* load = Start("https://127.0.0.1:" + std::to_string(server.Port()) + "/");
    RunUntil([&] { return m_lastStatus == "Host 127.0.0.1 contacted. Securing the connection."; });
    const auto before = std::chrono::steady_clock::now();
    Scheduler().Cancel(load);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    RunUntilFinished(m_owner, load);
    EXPECT_EQ(load->GetObject(), nullptr);
}

using HttpRedirect = HttpTest;

TEST_F(HttpRedirect, AbsoluteLocationRestartsThereWithSameMethodAndBody) {
    CScriptedServer target([](CServerConnection& c) {
        c.ReadRequest(4);
        c.Send(std::string(HtmlOk) + "arrived");
    });
    CScriptedServer first([&](CServerConnection& c) {
        c.ReadRequest(4);
        c.Send("HTTP/1.0 302 Found\r\nLocation: " + target.Url("/there") + "\r\n\r\n");
    });
    CMimeDynamicLoad* load = Start(first.Url("/here"), Method::Post, "", "q=12");
    RunUntilFinished(m_owner, load);
    ASSERT_EQ(target.Requests().size(), 1u);
    const std::string moved = target.Requests()[0];
    EXPECT_EQ(moved.substr(0, 27), "POST /there HTTP/1.0\r\nHost:");
    EXPECT_EQ(moved.substr(moved.size() - 8), "\r\n\r\nq=12");
    EXPECT_EQ(load->Url(), target.Url("/there"));
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(DataOf(load), "arrived");
}

TEST_F(HttpRedirect, RelativeLocationsResolveAgainstTheRequestedUrl) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a", "GET /a HTTP/1.0\r\n"},
        {"b.html", "GET /dir/b.html HTTP/1.0\r\n"},
        {"../c.html?x=1#part", "GET /c.html?x=1 HTTP/1.0\r\n"},
    };
    for (auto [location, requestLine] : cases) {
        CScriptedServer server([location = location](CServerConnection& c) {
            if (c.ReadRequest().starts_with("GET /dir/page.html "))
                c.Send(std::string("HTTP/1.0 302 Found\r\nLocation: ") + location + "\r\n\r\n");
            else
                c.Send(std::string(HtmlOk) + "arrived");
        });
        CMimeDynamicLoad* load = Load(server.Url("/dir/page.html"));
        ASSERT_EQ(server.Requests().size(), 2u) << location;
        EXPECT_TRUE(server.Requests()[1].starts_with(requestLine)) << server.Requests()[1];
        EXPECT_EQ(DataOf(load), "arrived") << location;
        m_owner.Delete(load);
    }
}

TEST_F(HttpRedirect, ChainsAreFollowedUpToTheBoundAndNoFurther) {
    // /N answers with a redirect to /N-1, and /0 with the page.
    CScriptedServer server([](CServerConnection& c) {
        const std::string request = c.ReadRequest();
        const int step = std::atoi(request.c_str() + 5);
        if (step == 0)
            c.Send(std::string(HtmlOk) + "end of the chain");
        else
            c.Send("HTTP/1.0 302 Found\r\nLocation: /" + std::to_string(step - 1) + "\r\n\r\n");
    });
    ASSERT_EQ(MaxRedirects, 20);
    CMimeDynamicLoad* arrives = Load(server.Url("/20"));
    EXPECT_EQ(DataOf(arrives), "end of the chain");
    EXPECT_EQ(server.Requests().size(), 21u);

    CMimeDynamicLoad* stops = Load(server.Url("/21"));
    EXPECT_EQ(stops->Result(), Status::Failed);
    EXPECT_EQ(stops->ErrorText(), "The server redirected the request more than 20 times; the last "
                                  "address was \"" +
                                      server.Url("/1") + "\".");
    EXPECT_EQ(server.Requests().size(), 21u + 21u) << "the request and 20 redirects";
    EXPECT_EQ(stops->GetObject(), nullptr);
}

TEST_F(HttpRedirect, NotModifiedFailsSayingThereIsNoPage) {
    CScriptedServer server(Answer("HTTP/1.0 304 Not Modified\r\n\r\n"));
    CMimeDynamicLoad* load = Load(server.Url("/c"));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(),
              "The server \"127.0.0.1\" has returned the following error:\n304 - "
              "Not modified, although nothing was asked conditionally; there "
              "is no page to show.");
    EXPECT_TRUE(m_owner.FlagsOf(load) & Notify::TransferFailed);
    EXPECT_EQ(load->GetObject(), nullptr);
}

using HttpResponse = HttpTest;

TEST_F(HttpResponse, ResponseWithoutStatusLineIsShownAsHtml) {
    CScriptedServer server(Answer("<title>old</title>\nno header here"));
    CMimeDynamicLoad* load = Load(server.Url("/old"));
    ASSERT_NE(ObjectOf(load), nullptr);
    EXPECT_EQ(ObjectOf(load)->ContentType(), "text/html");
    EXPECT_EQ(DataOf(load), "<title>old</title>\nno header here");
    EXPECT_EQ(load->Result(), Status::Complete);
}

TEST_F(HttpResponse, ContentLengthDeliversExactlyThatManyBytesWithoutWaitingForClose) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest();
        c.Send("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 10\r\n\r\n"
               "0123456789EXTRA BYTES");
        c.HoldUntilStopped();
    });
    CMimeDynamicLoad* load = Load(server.Url());
    EXPECT_EQ(DataOf(load), "0123456789");
    EXPECT_EQ(load->Result(), Status::Complete);
}

TEST_F(HttpResponse, HeaderEndingAtChunkEndDeliversAnEmptyBlockFirst) {
    CManualResetEvent sendBody;
    CScriptedServer server([&](CServerConnection& c) {
        c.ReadRequest();
        c.Send(HtmlOk);
        (void)sendBody.WaitFor(10s);
        c.Send("body");
    });
    CMimeDynamicLoad* load = Start(server.Url());
    RunUntil([&] { return ObjectOf(load) && ObjectOf(load)->Writes().size() == 1; });
    EXPECT_EQ(ObjectOf(load)->Writes(), std::vector<size_t>{0});
    sendBody.Set();
    RunUntilFinished(m_owner, load);
    EXPECT_EQ(ObjectOf(load)->Writes(), (std::vector<size_t>{0, 4}));
    EXPECT_EQ(DataOf(load), "body");
}

TEST_F(HttpResponse, HeaderNamesIgnoreCaseAndValuesLoseLeadingTabsAndBlanks) {
    CScriptedServer server(Answer("HTTP/1.0 200 OK\r\nCONTENT-TYPE: text/html\r\n"
                                  "Content-type:\t  image/gif\r\n\r\nGIF89a"));
    CMimeDynamicLoad* load = Load(server.Url("/i"));
    ASSERT_NE(ObjectOf(load), nullptr);
    EXPECT_EQ(ObjectOf(load)->ContentType(), "image/gif") << "the last of the two wins";
}

TEST_F(HttpResponse, MissingContentTypeFailsAnInlineImageLoad) {
    CScriptedServer server(Answer("HTTP/1.0 200 OK\r\n\r\ndata"));
    CMimeDynamicLoad* load = Start(server.Url("/x"), Method::Get, "", "", Caps::InlineImage);
    RunUntilFinished(m_owner, load);
    EXPECT_EQ(load->Result(), Status::Failed);
}

TEST_F(HttpResponse, UpperCaseSchemeMatchesTheRowThenFailsAsMalformed) {
    CMimeDynamicLoad* load = Load("HTTP://127.0.0.1/");
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "The URL \"HTTP://127.0.0.1/\" is malformed.");
}

TEST_F(HttpResponse, HeaderWithoutEndFailsPastOneMebibyte) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest();
        c.Send("HTTP/1.0 200 OK\r\nX-Long: ");
        const std::string block(64 << 10, 'a');
        for (int i = 0; i < 20; ++i)
            c.Send(block);
        c.HoldUntilStopped();
    });
    CMimeDynamicLoad* load = Load(server.Url());
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(),
              FormatString(StringId::HttpReceiveFailed,
                           {"127.0.0.1", "The response header is too large (more than 1048576 "
                                         "bytes)."}));
    EXPECT_EQ(load->GetObject(), nullptr);
}

using HttpServerError = HttpTest;

TEST_F(HttpServerError, KnownCodesGiveTheirMessages) {
    const std::pair<int, unsigned> cases[] = {
        {400, StringId::HttpBadRequest},         {403, StringId::HttpForbidden},
        {404, StringId::HttpNotFound},           {500, StringId::HttpInternalError},
        {501, StringId::HttpNotImplemented},     {502, StringId::HttpBadGateway},
        {503, StringId::HttpServiceUnavailable},
    };
    for (auto [code, id] : cases) {
        CScriptedServer server(
            Answer("HTTP/1.0 " + std::to_string(code) + " X\r\nContent-Type: text/html\r\n\r\n"));
        CMimeDynamicLoad* load = Load(server.Url("/e"));
        EXPECT_EQ(load->Result(), Status::Failed) << code;
        EXPECT_EQ(load->ErrorText(), FormatString(id, {"127.0.0.1"})) << code;
        m_owner.Delete(load);
    }
}

TEST_F(HttpServerError, UnlistedCodeGivesTheUnknownErrorWithTheCode) {
    CScriptedServer server(Answer("HTTP/1.0 402 Payment Required\r\n\r\n"));
    CMimeDynamicLoad* load = Load(server.Url());
    EXPECT_EQ(load->ErrorText(), "The server \"127.0.0.1\" has returned the following error:\n"
                                 "402 - Unknown error has occurred.");
}

TEST_F(HttpServerError, UnauthorizedCarriesTheChallenge) {
    CScriptedServer server(
        Answer("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\n"));
    CMimeDynamicLoad* load = Load(server.Url("/secret"));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->Challenge(), "Basic realm=\"x\"");
    EXPECT_EQ(load->ErrorText(), FormatString(StringId::HttpUnauthorized, {"127.0.0.1"}));
    EXPECT_TRUE(m_owner.FlagsOf(load) & Notify::AuthRequested);
}

using HttpFailure = HttpTest;

TEST_F(HttpFailure, RefusedConnectionNamesHostAndReason) {
    uint16_t port;
    {
        CScriptedServer closed([](CServerConnection&) {}, false);
        port = closed.Port();
    }
    CMimeDynamicLoad* load = Load("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "Connect to host 127.0.0.1 failed due to the following "
                                 "reason:\nThe attempt to connect was forcefully rejected.");
}

TEST_F(HttpFailure, UnknownHostNamesHostAndReason) {
    ScopedResolver resolver;
    CMimeDynamicLoad* load = Load("http://nowhere.test/");
    EXPECT_EQ(load->ErrorText(), "Connect to host nowhere.test failed due to the following "
                                 "reason:\nThe host does not exist.");
}

TEST_F(HttpFailure, ResetInTheMiddleOfTheBodyFailsWithTheResetText) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest();
        c.Send(std::string(HtmlOk) + "first part");
        (void)c.WaitForPeerClose(200ms);
        c.Reset();
    });
    CMimeDynamicLoad* load = Load(server.Url());
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "Could not read data from host 127.0.0.1 due to the following "
                                 "reason:\nThe virtual circuit was reset by the remote side.");
}

using HttpCancel = HttpTest;

namespace {

// Cancels the load and says whether that came back promptly.
bool CancelPromptly(CDynamicLoad* load) {
    const auto before = std::chrono::steady_clock::now();
    Scheduler().Cancel(load);
    return std::chrono::steady_clock::now() - before < 5s;
}

} // namespace

TEST_F(HttpCancel, DuringLookup) {
    ScopedResolver resolver;
    resolver->hold = true;
    resolver->Map("slow.test", "127.0.0.1");
    CMimeDynamicLoad* load = Start("http://slow.test/");
    ASSERT_TRUE(resolver->entered.WaitFor(5s));
    EXPECT_TRUE(CancelPromptly(load));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    RunUntilFinished(m_owner, load);
}

TEST_F(HttpCancel, DuringConnect) {
    CScriptedServer listener([](CServerConnection&) {}, false, 0);
    // Fill the queue of a listener that never accepts, so a handshake waits.
    std::vector<std::unique_ptr<CNullSocket>> fillers;
    for (int i = 0; i < 4; ++i) {
        auto filler = std::make_unique<CNullSocket>();
        CNullSocket* raw = filler.get();
        auto done = std::async(std::launch::async, [raw, &listener] {
            return raw->Connect("127.0.0.1", listener.Port());
        });
        if (done.wait_for(300ms) == std::future_status::timeout) {
            filler->Cancel();
            done.wait();
            filler->Close();
            break;
        }
        fillers.push_back(std::move(filler));
    }
    CMimeDynamicLoad* load = Start(listener.Url("/"));
    RunUntil([&] { return m_lastStatus.rfind("Contacting host", 0) == 0; });
    EXPECT_TRUE(CancelPromptly(load));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    for (auto& filler : fillers)
        filler->Close();
}

TEST_F(HttpCancel, DuringReceive) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest();
        c.HoldUntilStopped();
    });
    CMimeDynamicLoad* load = Start(server.Url());
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_TRUE(CancelPromptly(load));
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    RunUntilFinished(m_owner, load);
}

using HttpSettings = HttpTest;

TEST_F(HttpSettings, ProxySettingsMayChangeWhileWorkersReadThem) {
    CScriptedServer server(Answer(std::string(HtmlOk) + "x"));
    std::vector<CMimeDynamicLoad*> loads;
    for (int i = 0; i < 8; ++i) {
        loads.push_back(Start(server.Url("/" + std::to_string(i))));
        // As the preferences sheet would, under the settings' lock; a worker
        // reading them without it is a data race ThreadSanitizer reports.
        SetProxy("", 80 + i);
    }
    RunUntil([&] {
        return std::all_of(loads.begin(), loads.end(),
                           [&](CDynamicLoad* load) { return m_owner.Finished(load); });
    });
    for (CMimeDynamicLoad* load : loads)
        EXPECT_EQ(load->Result(), Status::Complete) << load->ErrorText();
}
