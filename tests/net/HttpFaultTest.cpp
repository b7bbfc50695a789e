// What a server that misbehaves does to a load.
#include "net/HttpFixture.h"
#include "net/ScopedSilenceLimit.h"
#include "net/ScriptedServer.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

const char* HtmlOk = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

std::string ReadFailure(const std::string& reason) {
    return FormatString(StringId::HttpReceiveFailed, {"127.0.0.1", reason});
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

