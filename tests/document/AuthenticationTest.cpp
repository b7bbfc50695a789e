#include "document/DocumentFixture.h"

#include "document/Base64.h"
#include "document/RememberedCredential.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "support/TempDir.h"

#include <cstdio>
#include <fstream>
#include <mutex>

namespace {

struct UrlCase {
    const char* url;
    bool carries;
};

// Its output, read through a pipe: coreutils is the independent encoder.
std::string OutputOf(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, count);
    pclose(pipe);
    return output;
}

} // namespace

TEST(Base64, EncodesByRfcVectorsAndPadsTheLastGroup) {
    struct Case {
        std::string_view in;
        std::string_view out;
    };
    for (auto [in, out] : std::initializer_list<Case>{{"", ""},
                                                      {"f", "Zg=="},
                                                      {"fo", "Zm8="},
                                                      {"foo", "Zm9v"},
                                                      {"foob", "Zm9vYg=="},
                                                      {"fooba", "Zm9vYmE="},
                                                      {"foobar", "Zm9vYmFy"},
                                                      {":", "Og=="},
                                                      {"ann:secret", "YW5uOnNlY3JldA=="}})
        EXPECT_EQ(Base64Encode(in), out) << in;
}

TEST(Base64, EveryByteValueAsCoreutilsEncodesIt) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    // Three lengths, so the last group is whole, one byte and two bytes.
    for (size_t length : {bytes.size() - 1, bytes.size(), bytes.size() + 1}) {
        std::string input = (bytes + bytes).substr(0, length);
        const auto path = dir.Path() / "bytes";
        std::ofstream(path, std::ios::binary) << input;
        std::string expected = OutputOf("base64 -w0 " + path.string());
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Base64Encode(input), expected) << length;
    }
}

class Credential : public ::testing::Test {
protected:
    ~Credential() override { ForgetCredential(); }
};

TEST_F(Credential, NothingRememberedAddsNothing) {
    for (const char* url : {"", "page", "http://host/", ":"})
        EXPECT_EQ(AuthorizationHeaderFor(url), "") << url;
}

TEST_F(Credential, MatchesSchemeHostAndPortExactly) {
    RememberCredential("http://host:8080/private/a.html", "ann", "secret");
    EXPECT_EQ(CurrentCredential()->authorization, "Basic YW5uOnNlY3JldA==");
    for (auto [url, carries] : std::initializer_list<UrlCase>{
             {"http://host:8080/other/b.gif", true},
             {"http://host:8080", true},
             {"http://host:8081/private/a.html", false},
             {"http://host:808/private/a.html", false},
             {"http://host/private/a.html", false},
             {"http://Host:8080/private/a.html", false},
             {"HTTP://host:8080/private/a.html", false},
             {"https://host:8080/private/a.html", false},
             {"http://hostx:8080/", false},
             {"http://hos:8080/", false},
         })
        EXPECT_EQ(AuthorizationHeaderFor(url),
                  carries ? "Authorization: Basic YW5uOnNlY3JldA==\r\n" : "")
            << url;
}

TEST_F(Credential, AUrlWithoutPortMatchesOnlyUrlsWithoutPort) {
    RememberCredential("http://host/a.html", "", "");
    EXPECT_EQ(CurrentCredential()->port, -1);
    EXPECT_EQ(AuthorizationHeaderFor("http://host/z"), "Authorization: Basic Og==\r\n");
    EXPECT_EQ(AuthorizationHeaderFor("http://host:80/z"), "");
}

TEST_F(Credential, ALaterLoginReplacesTheFirst) {
    RememberCredential("http://one:1/", "ann", "secret");
    RememberCredential("http://two:2/", "bob", "pw");
    EXPECT_EQ(AuthorizationHeaderFor("http://one:1/"), "");
    EXPECT_EQ(AuthorizationHeaderFor("http://two:2/"), "Authorization: Basic Ym9iOnB3\r\n");
}

TEST(AuthorizationLine, ReplacesAnOlderLineWhereverItStands) {
    const std::string line = "Authorization: Basic bmV3\r\n";
    struct Case {
        std::string headers;
        std::string expected;
    };
    for (const auto& [headers, expected] : std::initializer_list<Case>{
             {"", line},
             {"Authorization: Basic b2xk\r\n", line},
             {"authorization: Basic b2xk\r\nX-A: 1\r\n", "X-A: 1\r\n" + line},
             {"X-A: 1\r\nAuthorization: Basic b2xk\r\nX-B: 2\r\n", "X-A: 1\r\nX-B: 2\r\n" + line},
             {"Authorization-Info: kept\r\n", "Authorization-Info: kept\r\n" + line},
             {"Authorizatio: kept\r\n", "Authorizatio: kept\r\n" + line},
         })
        EXPECT_EQ(WithAuthorizationLine(headers, line), expected) << headers;
}

TEST(BasicChallenge, IsTheFirstFiveCharactersInAnyCase) {
    struct Case {
        const char* challenge;
        bool basic;
    };
    for (auto [challenge, basic] : std::initializer_list<Case>{{"Basic realm=\"x\"", true},
                                                               {"basic", true},
                                                               {"BASIC", true},
                                                               {"bAsIcally anything", true},
                                                               {"Basi", false},
                                                               {"", false},
                                                               {" Basic realm=x", false},
                                                               {"Digest realm=\"x\"", false}})
        EXPECT_EQ(IsBasicChallenge(challenge), basic) << challenge;
}

namespace {

// The "auth:" scheme: "auth://host:port/..." answers with a challenge unless
// the request carries ann's right password; every request's headers are kept.
class CChallengeWorker final : public CThreadedWorker {
public:
    struct Control {
        std::mutex mutex;
        std::vector<std::string> requests; // guarded by mutex
        std::string challenge = "Basic realm=\"test\"";
    };

    CChallengeWorker(CDynamicLoad& load, std::string url, Control& control)
        : CThreadedWorker(load, std::move(url)), m_control(control) {}

private:
    void Run() override {
        std::string headers = m_load.Headers();
        {
            std::lock_guard lock(m_control.mutex);
            m_control.requests.push_back(headers);
        }
        if (headers.find("Authorization: Basic YW5uOnNlY3JldA==\r\n") == std::string::npos) {
            m_load.SetChallenge(m_control.challenge);
            m_load.SetError(StringId::HttpUnauthorized, {"host"});
            return FinishKeepingResult(Notify::AuthRequested);
        }
        Status status = DeliverHeaders({{"content-type", "text/html"}});
        if (!EndsTransfer(status))
            status = DeliverData("page", 4);
        if (EndsTransfer(status))
            return Finish(status);
        FinishKeepingResult();
    }

    Control& m_control;
};

class Authentication : public DocumentTest {
protected:
    Authentication() {
        m_protocols.push_back(ProtocolTable().Register(
            {PrefixMatcher("auth:"),
             [this](CDynamicLoad& load) -> std::unique_ptr<CLoadWorker> {
                 return std::make_unique<CChallengeWorker>(load, load.Url(), m_server);
             },
             "Auth"}));
    }
    ~Authentication() override { ForgetCredential(); }

    std::vector<std::string> Requests() {
        std::lock_guard lock(m_server.mutex);
        return m_server.requests;
    }

    CChallengeWorker::Control m_server;
};

} // namespace

TEST_F(Authentication, WrongThenRightCredentialsGetThrough) {
    m_ui.QueueLogin(LoginAnswer{"ann", "wrong"});
    m_ui.QueueLogin(LoginAnswer{"ann", "secret"});
    NavigateAndSettle({.url = "auth://host:1/page"});
    EXPECT_EQ(m_ui.LoginsAsked(), 2);
    ASSERT_NE(m_document.ContentObject(), nullptr);
    std::vector<std::string> requests = Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], "");
    EXPECT_EQ(requests[1], "Authorization: Basic YW5uOndyb25n\r\n");
    EXPECT_EQ(requests[2], "Authorization: Basic YW5uOnNlY3JldA==\r\n")
        << "the new line replaces the old one";
    EXPECT_TRUE(m_ui.Shown().empty());
}

TEST_F(Authentication, CancelShowsTheServersRefusal) {
    m_ui.QueueLogin(std::nullopt);
    NavigateAndSettle({.url = "auth://host:1/page"}, false);
    EXPECT_EQ(m_ui.LoginsAsked(), 1);
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, FormatString(StringId::HttpUnauthorized, {"host"}));
    EXPECT_EQ(m_document.ContentObject(), nullptr);
    EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(Authentication, NoAnswerCancels) {
    NavigateAndSettle({.url = "auth://host:1/page"}, false);
    EXPECT_EQ(m_ui.LoginsAsked(), 1);
    EXPECT_EQ(m_ui.Shown().size(), 1u);
}

TEST_F(Authentication, OtherSchemesAreRefusedWithoutAsking) {
    m_server.challenge = "Digest realm=\"test\"";
    m_ui.QueueLogin(LoginAnswer{"ann", "secret"});
    NavigateAndSettle({.url = "auth://host:1/page"}, false);
    EXPECT_EQ(m_ui.LoginsAsked(), 0);
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text,
              "This URL requires an authentication mechanism that is not currently supported.");
}

TEST_F(Authentication, InlineLoadsOfTheSameSiteCarryTheCredential) {
    m_ui.QueueLogin(LoginAnswer{"ann", "secret"});
    NavigateAndSettle({.url = "auth://host:1/page"});
    for (const char* url : {"auth://host:1/a.gif", "auth://host:2/b.gif", "auth://other:1/c.gif"})
        m_document.RequestInline(url, Caps::InlineImage);
    RunUntil([&] { return m_document.Idle(); });
    std::vector<std::string> requests = Requests();
    ASSERT_EQ(requests.size(), 5u);
    std::sort(requests.begin() + 2, requests.end());
    EXPECT_EQ(requests[2], "");
    EXPECT_EQ(requests[3], "");
    EXPECT_EQ(requests[4], "Authorization: Basic YW5uOnNlY3JldA==\r\n");
    EXPECT_EQ(m_ui.LoginsAsked(), 1) << "inline refusals never ask";
}
