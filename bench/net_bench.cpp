// Loads URLs through the real content pipeline (scheduler, HTTP worker,
// socket layer, UI loop) and reports how long that took. bench/http_bench.sh
// runs it against lighttpd next to curl, over http and https.
//   net_bench throughput URL            one load; prints bytes, seconds, MB/s
//   net_bench parallel URL-PREFIX N MAX  N loads of PREFIX0..PREFIX(N-1) with
//                                        MaxConnections MAX; prints seconds
#include "app/CAppSettings.h"
#include "content/CHttpWorker.h"
#include "content/CLoadOwner.h"
#include "content/CMimeDynamicLoad.h"
#include "content/CMimeObject.h"
#include "content/CObjectTable.h"
#include "content/CScheduler.h"
#include "platform/CMessageQueue.h"
#include "platform/CNamedEvent.h"
#include "platform/CUiLoop.h"
#include "platform/ui/CUiBackend.h"
#include "ui/headless/CHeadlessBackend.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::atomic<uint64_t> g_bytes{0};

// Counts what arrives and keeps nothing, so the measure is the transport.
class CCountingObject final : public CMimeObject {
public:
    using CMimeObject::CMimeObject;
    Status Write(const char*, size_t count) override {
        g_bytes += count;
        return Status::Continue;
    }
    Status EndOfData() override { return Status::Complete; }
};

class CCountingOwner final : public CLoadOwner {
public:
    explicit CCountingOwner(size_t expected) : m_expected(expected) {}
    void OnLoadNotify(uint32_t flags, CDynamicLoad* load) override {
        if (!(flags & Notify::Finished))
            return;
        if (load->Result() != Status::Complete)
            std::fprintf(stderr, "load failed: %s\n", load->ErrorText().c_str());
        if (++m_finished == m_expected)
            PostQuitMessage(0);
    }

private:
    size_t m_expected;
    size_t m_finished = 0;
};

double RunLoads(const std::vector<std::string>& urls, int32_t maxConnections) {
    CAppSettings settings;
    settings.Update([&](CAppSettings::Values& values) { values.maxConnections = maxConnections; });
    SetCurrentSettings(&settings);
    CHeadlessBackend ui;
    SetCurrentUi(&ui);
    CreateObjectTable();
    CNamedEvent notify([](uint32_t) { (void)Scheduler().Pump(); }, 0, "DynamicLoadNotify");
    Scheduler().SetNotifyEvent(&notify);
    ContentTypeRegistration type = ContentTypeTable().Register(
        {[](std::string_view) { return 100; },
         [](const std::string& url,
            const std::string& contentType) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CCountingObject>(url, contentType, Caps::Document);
         },
         Caps::Document | Caps::InlineImage, "*/*"});
    ProtocolRegistration http = RegisterHttpProtocol();
    ProtocolRegistration https = RegisterHttpsProtocol();

    const auto start = std::chrono::steady_clock::now();
    double seconds;
    {
        CCountingOwner owner(urls.size());
        for (const std::string& url : urls) {
            auto* load = owner.NewLoad<CMimeDynamicLoad>(url, Method::Get, "", "", false, 0u);
            Scheduler().Start(load);
        }
        CHeadlessInput input;
        CUiLoop loop(input, [](long) { return false; });
        loop.Run();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Scheduler().SetNotifyEvent(nullptr);
    DestroyObjectTable();
    SetCurrentUi(nullptr);
    SetCurrentSettings(nullptr);
    return seconds;
}

int Usage() {
    std::fprintf(stderr, "usage: net_bench throughput URL | parallel URL-PREFIX N MAX\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "throughput") {
        double seconds = RunLoads({argv[2]}, 4);
        double megabytes = static_cast<double>(g_bytes.load()) / 1e6;
        std::printf("%llu %.3f %.1f\n", static_cast<unsigned long long>(g_bytes.load()), seconds,
                    megabytes / seconds);
        return 0;
    }
    if (argc == 5 && std::string(argv[1]) == "parallel") {
        std::vector<std::string> urls;
        const int count = std::atoi(argv[3]);
        for (int i = 0; i < count; ++i)
            urls.push_back(std::string(argv[2]) + std::to_string(i) + ".gif");
        double seconds = RunLoads(urls, std::atoi(argv[4]));
        std::printf("%d %llu %.3f\n", count, static_cast<unsigned long long>(g_bytes.load()),
                    seconds);
        return 0;
    }
    return Usage();
}
