// What a server that misbehaves does to a load: silence, answers cut short,
// bytes meant to reach places they must not.
#include "net/HttpFixture.h"
#include "net/ScopedSilenceLimit.h"
#include "net/ScriptedResolver.h"
#include "net/ScriptedServer.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

const char* HtmlOk = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

std::string ReadFailure(const std::string& reason) {
    return FormatString(StringId::HttpReceiveFailed, {"127.0.0.1", reason});
}

// A server that reads the request, sends reply and closes.
CScriptedServer::Script Answer(std::string reply) {
    return [reply](CServerConnection& c) {
        c.ReadRequest();
        c.Send(reply);
    };
}

} // namespace

using HttpSilence = HttpTest;

TEST_F(HttpSilence, ASilentServerFailsTheLoadAtTheLimitWhereverItFallsSilent) {
    ScopedSilenceLimit limit(300ms);
    // What the server sends before it falls silent: its header, then body.
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"HTTP/1.0 200 OK\r\nContent-Ty", ""},
        {HtmlOk, "<p>half a page"},
    };
    for (auto [header, kept] : cases) {
        const std::string sent = std::string(header) + kept;
        CScriptedServer server([&sent](CServerConnection& c) {
            c.ReadRequest();
            c.Send(sent);
            c.HoldUntilStopped();
        });
        const auto before = std::chrono::steady_clock::now();
        CMimeDynamicLoad* load = Load(server.Url());
        const auto took = std::chrono::steady_clock::now() - before;
        EXPECT_GE(took, 300ms) << sent;
        EXPECT_LT(took, 10s) << sent;
        EXPECT_EQ(load->Result(), Status::Failed) << sent;
        EXPECT_EQ(load->ErrorText(), ReadFailure("The host sent nothing for 300 milliseconds."));
        if (*kept == '\0')
            EXPECT_EQ(load->GetObject(), nullptr) << sent;
        else
            EXPECT_EQ(DataOf(load), kept) << "what arrived stays";
        m_owner.Delete(load);
    }
}

using HttpStop = HttpTest;

TEST_F(HttpStop, AServerThatNeverPausesIsStoppedBetweenBlocks) {
    CScriptedServer server([](CServerConnection& c) {
        c.ReadRequest();
        const std::string block(64 << 10, 'x');
        if (c.Send(HtmlOk))
            while (c.Send(block)) {
            }
    });
    CMimeDynamicLoad* load = Start(server.Url());
    RunUntil([&] { return ObjectOf(load) && DataOf(load).size() > (1 << 20); });
    const auto before = std::chrono::steady_clock::now();
    Scheduler().Cancel(load);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(), "");
    RunUntilFinished(m_owner, load);
}

using HttpEnd = HttpTest;

TEST_F(HttpEnd, AnAnswerThatEndsBeforeItsHeaderDoesIsNoPage) {
    const char* const replies[] = {
        "",
        "HTTP/1.0 200 OK",
        "HTTP/1.0 200 OK\r\n",
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n",
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r",
        "HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n",
        "\r",
    };
    for (const char* reply : replies) {
        CScriptedServer server(Answer(reply));
        CMimeDynamicLoad* load = Load(server.Url());
        EXPECT_EQ(load->Result(), Status::Failed) << reply;
        EXPECT_EQ(load->ErrorText(),
                  ReadFailure("The server closed the connection before sending a page."))
            << reply;
        EXPECT_EQ(load->GetObject(), nullptr) << reply;
        EXPECT_EQ(server.Requests().size(), 1u) << "no redirect is followed: " << reply;
        m_owner.Delete(load);
    }
}

TEST_F(HttpEnd, ALineWithoutLineFeedIsAPageWithoutHeader) {
    const std::vector<std::string> cases[] = {
        {"<p>Hello"}, {"<p>Hel", "lo"}, {" "}, {"HTTP", "/"}, {"\r\r<b>x"},
    };
    for (const auto& parts : cases) {
        CScriptedServer server([&](CServerConnection& c) {
            c.ReadRequest();
            for (const std::string& part : parts) {
                c.Send(part);
                // Each part in a read of its own, as far as that can be had.
                std::this_thread::sleep_for(20ms);
            }
        });
        CMimeDynamicLoad* load = Load(server.Url());
        std::string whole;
        for (const std::string& part : parts)
            whole += part;
        if (whole == "HTTP/") {
            EXPECT_EQ(load->Result(), Status::Failed) << "a status line cut short is no page";
        } else {
            EXPECT_EQ(load->Result(), Status::Complete) << whole;
            ASSERT_NE(ObjectOf(load), nullptr) << whole;
            EXPECT_EQ(ObjectOf(load)->ContentType(), "text/html");
            EXPECT_EQ(DataOf(load), whole);
        }
        m_owner.Delete(load);
    }
}

TEST_F(HttpEnd, ABodyOneByteShortOfItsLengthFailsAndKeepsWhatArrived) {
    const std::string header =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 10\r\n\r\n";
    {
        CScriptedServer server(Answer(header + "0123456789"));
        CMimeDynamicLoad* load = Load(server.Url());
        EXPECT_EQ(load->Result(), Status::Complete) << "exactly met";
        EXPECT_EQ(DataOf(load), "0123456789");
        m_owner.Delete(load);
    }
    CScriptedServer server(Answer(header + "012345678"));
    CMimeDynamicLoad* load = Load(server.Url());
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(),
              ReadFailure("The server closed the connection after 9 of the 10 bytes of the page."));
    EXPECT_EQ(DataOf(load), "012345678");
    EXPECT_EQ(ObjectOf(load)->Ends(), 1) << "the page's end still reaches it";
    EXPECT_EQ(ObjectOf(load)->GetStatus(), Status::Failed);
}

using HttpUnsafe = HttpTest;

TEST_F(HttpUnsafe, ControlBytesAndBlanksInThePathAreEscapedInTheRequestLine) {
    CScriptedServer server(Answer(HtmlOk));
    CMimeDynamicLoad* load = Load(server.Url("/a b\r\nX-Injected-Raw: 1\r\n\tc\x01\x7f\xe9?q=1 2"));
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_TRUE(request.starts_with(
        "GET /a%20b%0D%0AX-Injected-Raw:%201%0D%0A%09c%01%7F\xe9?q=1%202 HTTP/1.0\r\nHost: "))
        << request;
    EXPECT_EQ(request.find("X-Injected-Raw: 1"), std::string::npos);
    EXPECT_EQ(load->Result(), Status::Complete);
}

TEST_F(HttpUnsafe, AHostWithControlBytesOrBlanksIsMalformedAndNothingIsSent) {
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    CScriptedServer proxy(Answer(HtmlOk));
    SetProxy("proxy.test", proxy.Port());
    const char* const urls[] = {
        "http://h.test\r\nX-Injected: 1/",
        "http://h test/",
        "http://h\ttest/",
        "http://h\x01test/",
        "http://h\x7ftest/",
        "https://h\ntest/",
    };
    for (const char* url : urls) {
        CMimeDynamicLoad* load = Load(url);
        EXPECT_EQ(load->Result(), Status::Failed) << url;
        EXPECT_EQ(load->ErrorText(), FormatString(StringId::MalformedUrl, {url}));
        m_owner.Delete(load);
    }
    EXPECT_TRUE(proxy.Requests().empty());
    EXPECT_EQ(resolver->byName, 0);
}

TEST_F(HttpUnsafe, PortsUpTo65535AreUsedAndAnythingElseIsMalformed) {
    // Through a proxy, the site's port only shows in the request: no server
    // needs to listen on it.
    ScopedResolver resolver;
    resolver->Map("proxy.test", "127.0.0.1");
    CScriptedServer proxy(Answer(HtmlOk));
    SetProxy("proxy.test", proxy.Port());
    const std::pair<const char*, const char*> cases[] = {
        {"http://h.test:65535/", "Host: h.test:65535\r\n"},
        {"http://h.test:0/", "Host: h.test:0\r\n"},
        {"http://h.test:65536/", nullptr},
        {"http://h.test:99999/", nullptr},
        {"http://h.test:8o/", nullptr},
        {"http://h.test:/", nullptr},
        {"http://h.test:-1/", nullptr},
    };
    size_t requests = 0;
    for (auto [url, hostLine] : cases) {
        CMimeDynamicLoad* load = Load(url);
        if (hostLine) {
            ASSERT_EQ(proxy.Requests().size(), ++requests) << url;
            EXPECT_NE(proxy.Requests().back().find(hostLine), std::string::npos) << url;
            EXPECT_EQ(load->Result(), Status::Complete) << url;
        } else {
            EXPECT_EQ(load->ErrorText(), FormatString(StringId::MalformedUrl, {url}));
            EXPECT_EQ(proxy.Requests().size(), requests) << url;
        }
        m_owner.Delete(load);
    }
}

using HttpRedirectSafety = HttpTest;

TEST_F(HttpRedirectSafety, ARedirectToALocalFileIsRefused) {
    TempDir dir;
    const auto file = dir.Path() / "secret.html";
    std::ofstream(file) << "local secret";
    const std::string locations[] = {
        "file://" + file.string(),
        "FILE://" + file.string(),
        "File:" + file.string(),
    };
    for (const std::string& location : locations) {
        CScriptedServer server(Answer("HTTP/1.0 302 Found\r\nLocation: " + location + "\r\n\r\n"));
        CMimeDynamicLoad* load = Load(server.Url("/a"));
        EXPECT_EQ(load->Result(), Status::Failed) << location;
        EXPECT_EQ(load->ErrorText(),
                  FormatString(StringId::RedirectToFile, {"127.0.0.1", location}));
        EXPECT_EQ(load->GetObject(), nullptr) << location;
        EXPECT_EQ(load->Url(), server.Url("/a")) << "the load stays where it was";
        m_owner.Delete(load);
    }
    EXPECT_EQ(FormatString(StringId::RedirectToFile, {"h", "file:///x"}),
              "The server \"h\" redirected the request to the local file \"file:///x\". A server "
              "may not open files of this computer.");
}

TEST_F(HttpRedirectSafety, AuthorizationStaysWithTheSiteItWasGivenTo) {
    // The site answers /start with a redirect to the location asked for in
    // the query, and anything else with the page.
    auto redirecting = [](CServerConnection& c) {
        const std::string request = c.ReadRequest();
        const size_t query = request.find("/start?");
        if (query == std::string::npos) {
            c.Send(HtmlOk);
            return;
        }
        const size_t end = request.find(' ', query);
        c.Send("HTTP/1.0 302 Found\r\nLocation: " + request.substr(query + 7, end - query - 7) +
               "\r\n\r\n");
    };
    CScriptedServer site(redirecting);
    CScriptedServer other(redirecting);
    const std::string port = std::to_string(site.Port());
    const std::string headers = "Authorization: Basic dTpw\r\nX-Other: kept\r\n";
    // Each to a path of its own: a page already fetched would come from the
    // object table without a request.
    const std::pair<std::string, bool> cases[] = {
        {"/next1", true},
        {"http://127.0.0.1:" + port + "/next2", true},
        {"http://localhost:" + port + "/next3", false},
        {other.Url("/next4"), false},
    };
    for (const auto& [location, kept] : cases) {
        const size_t before = site.Requests().size() + other.Requests().size();
        CMimeDynamicLoad* load = Start(site.Url("/start?" + location), Method::Get, headers);
        RunUntilFinished(m_owner, load);
        EXPECT_EQ(load->Result(), Status::Complete) << location << ": " << load->ErrorText();
        std::vector<std::string> all = site.Requests();
        for (const std::string& request : other.Requests())
            all.push_back(request);
        ASSERT_EQ(all.size(), before + 2) << location;
        // The redirected request is the latest of either server's.
        const std::string followed =
            location.find(std::to_string(other.Port())) != std::string::npos
                ? other.Requests().back()
                : site.Requests().back();
        EXPECT_EQ(followed.find("Authorization: Basic dTpw\r\n") != std::string::npos, kept)
            << location;
        EXPECT_NE(followed.find("X-Other: kept\r\n"), std::string::npos) << location;
        m_owner.Delete(load);
    }
}
