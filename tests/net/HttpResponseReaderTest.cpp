#include "net/CHttpResponseReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what the reader hands on, and stops where the test says.
class CRecordingSink final : public CHttpResponseReader::Sink {
public:
    CHttpResponseReader::Verdict OnHeaderEnd(int code, const HttpHeaders& map) override {
        ++headerEnds;
        statusCode = code;
        headers = map;
        return stopAtHeader ? CHttpResponseReader::Verdict::Stop
                            : CHttpResponseReader::Verdict::Continue;
    }
    CHttpResponseReader::Verdict OnBody(const char* bytes, size_t count) override {
        blocks.emplace_back(bytes, count);
        body.append(bytes, count);
        return CHttpResponseReader::Verdict::Continue;
    }

    bool stopAtHeader = false;
    int headerEnds = 0;
    int statusCode = -1;
    HttpHeaders headers;
    std::vector<std::string> blocks;
    std::string body;
};

struct Fed {
    CHttpResponseReader::Outcome last;
    CRecordingSink sink;
};

// Feeds the response cut into pieces of at most step bytes.
void FeedInSteps(std::string_view response, size_t step, Fed& fed) {
    CHttpResponseReader reader(fed.sink);
    fed.last = CHttpResponseReader::Outcome::NeedMore;
    for (size_t at = 0; at < response.size(); at += step) {
        fed.last = reader.Feed(response.substr(at, step));
        if (fed.last != CHttpResponseReader::Outcome::NeedMore)
            return;
    }
}

} // namespace

TEST(HttpHeaderParsing, EveryWayOfCuttingTheResponseGivesTheSameHeaderAndBody) {
    const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
                                 "X-Odd:value\r\nno colon line\r\n\r\n<p>body</p>";
    for (size_t step = 1; step <= response.size(); ++step) {
        Fed fed;
        FeedInSteps(response, step, fed);
        EXPECT_EQ(fed.sink.headerEnds, 1) << step;
        EXPECT_EQ(fed.sink.statusCode, 200) << step;
        EXPECT_EQ(fed.sink.headers,
                  (HttpHeaders{{"content-type", "text/html"}, {"x-odd", "value"}}))
            << step;
        EXPECT_EQ(fed.sink.body, "<p>body</p>") << step;
    }
}

TEST(HttpHeaderParsing, CrIsDroppedAnywhereAndLfAloneEndsLines) {
    Fed fed;
    FeedInSteps("HTTP/1.0 2\r0\r0 OK\nA: b\rc\n\n!", 64, fed);
    EXPECT_EQ(fed.sink.statusCode, 200);
    EXPECT_EQ(fed.sink.headers.at("a"), "bc");
    EXPECT_EQ(fed.sink.body, "!");
}

TEST(HttpHeaderParsing, StatusLineMayStartWithBlanksAndCodeFollowsAnyBlanks) {
    Fed fed;
    FeedInSteps("  HTTP/1.1    404 Gone\r\n\r\n", 64, fed);
    EXPECT_EQ(fed.sink.statusCode, 404);
}

TEST(HttpHeaderParsing, NoStatusLineMakesEverythingBodyTypedHtml) {
    for (size_t step : {1u, 3u, 100u}) {
        Fed fed;
        FeedInSteps("<html>\r\nrest", step, fed);
        EXPECT_EQ(fed.sink.statusCode, 0);
        EXPECT_EQ(fed.sink.headers, (HttpHeaders{{"content-type", "text/html"}}));
        EXPECT_EQ(fed.sink.body, "<html>\r\nrest") << "step " << step;
    }
}

TEST(HttpHeaderParsing, LowerCaseHttpIsNotAStatusLine) {
    Fed fed;
    FeedInSteps("http/1.0 200 OK\r\n\r\n", 64, fed);
    EXPECT_EQ(fed.sink.statusCode, 0);
}

TEST(HttpBody, ContentLengthCountsOnlyForSuccess) {
    Fed fed;
    FeedInSteps("HTTP/1.0 100 Go\r\nContent-Length: 2\r\n\r\nabcd", 64, fed);
    EXPECT_EQ(fed.last, CHttpResponseReader::Outcome::NeedMore);
    EXPECT_EQ(fed.sink.body, "abcd");
}

TEST(HttpBody, SinkStopAtHeaderDeliversNoBody) {
    Fed fed;
    fed.sink.stopAtHeader = true;
    FeedInSteps("HTTP/1.0 302 Found\r\nLocation: http://x/\r\n\r\nbody", 64, fed);
    EXPECT_EQ(fed.last, CHttpResponseReader::Outcome::Stopped);
    EXPECT_TRUE(fed.sink.blocks.empty());
}

TEST(HttpBody, ContentLengthValues) {
    struct Case {
        const char* value;
        uint64_t length;
    };
    const Case cases[] = {
        {"10", 10},
        {"  42abc", 42},
        {"abc", 0},
        {"", 0},
        {"-5", 0},
        {"5000000000", 5000000000ull},
        {"18446744073709551615", 18446744073709551615ull},
        {"18446744073709551616", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseContentLength(c.value), c.length) << c.value;
}

TEST(HttpHeaderLimit, HeaderWithoutEndStopsPastOneMebibyte) {
    CRecordingSink sink;
    CHttpResponseReader reader(sink);
    ASSERT_EQ(reader.Feed("HTTP/1.0 200 OK\r\nX: "), CHttpResponseReader::Outcome::NeedMore);
    const std::string block(4096, 'a');
    CHttpResponseReader::Outcome outcome = CHttpResponseReader::Outcome::NeedMore;
    size_t fed = 0;
    while (outcome == CHttpResponseReader::Outcome::NeedMore && fed < (2u << 20)) {
        outcome = reader.Feed(block);
        fed += block.size();
    }
    EXPECT_EQ(outcome, CHttpResponseReader::Outcome::HeaderTooLarge);
    EXPECT_LE(fed, (1u << 20) + block.size());
    EXPECT_EQ(sink.headerEnds, 0);
}

// The cap counts every byte of the header, its empty last line included: a
// header of exactly the cap is read, one byte more is refused.
TEST(HttpHeaderLimit, AHeaderOfExactlyTheCapIsRead) {
    const std::string start = "HTTP/1.0 200 OK\r\nX: ";
    const std::string end = "\r\n\r\n";
    for (uint64_t total :
         {CHttpHeaderParser::MaxHeaderBytes, CHttpHeaderParser::MaxHeaderBytes + 1}) {
        SCOPED_TRACE(total);
        const std::string value(total - start.size() - end.size(), 'a');
        CHttpHeaderParser parser;
        CHttpHeaderParser::Progress progress = parser.Feed(start + value + end + "body");
        if (total > CHttpHeaderParser::MaxHeaderBytes) {
            EXPECT_EQ(progress.state, CHttpHeaderParser::State::TooLarge);
            continue;
        }
        ASSERT_EQ(progress.state, CHttpHeaderParser::State::Complete);
        EXPECT_EQ(progress.bodyOffset, total);
        EXPECT_EQ(parser.Headers().at("x"), value);
    }
}
