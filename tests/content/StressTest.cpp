#include "support/PipelineFixture.h"

#include "content/FileNames.h"
#include "support/TempDir.h"

#include <fstream>
#include <random>

// Many loads of every local kind at once, cancelled and deleted at random
// points from the UI thread while their workers run. Run under
// ThreadSanitizer, this is what shows the locking of loads, objects, the
// object table and the scheduler to be sound. Seeded, and bounded in rounds.
TEST_F(PipelineTest, ConcurrentLoadsSurviveRandomCancellation) {
    constexpr int Rounds = 30;
    constexpr int LoadsPerRound = 8;
    std::mt19937 random(20261206);
    TempDir dir;
    std::string big = (dir.Path() / "big.txt").string();
    std::ofstream(big, std::ios::binary) << std::string(256 * 1024, 'x');
    const std::string urls[] = {
        FileUrlFromPath(big),     "about:logo",    "about:about.htm",   "gate:text/html/shared",
        "gate:image/gif/picture", "about:missing", "ftp://example.org/"};
    SetMaxConnections(3);
    m_gate.Open();

    CRecordingOwner owner;
    owner.onNotify = [&](uint32_t flags, CDynamicLoad* load) {
        // Sometimes drop a finished load at once, sometimes cancel another.
        if ((flags & Notify::Finished) && random() % 2)
            owner.Delete(load);
        else if (random() % 8 == 0 && !owner.Loads().empty())
            Scheduler().Cancel(owner.Loads().front().get());
    };
    for (int round = 0; round < Rounds; ++round) {
        std::vector<CDynamicLoad*> started;
        for (int i = 0; i < LoadsPerRound; ++i) {
            const std::string& url = urls[random() % std::size(urls)];
            auto* load = owner.NewLoad<CMimeDynamicLoad>(url, Method::Get, "", "");
            Scheduler().Start(load);
            started.push_back(load);
        }
        if (random() % 3 == 0)
            Scheduler().Cancel(started[random() % started.size()]);
        RunUntil([&] { return !Scheduler().AnyActive() && Scheduler().WaitingCount() == 0; });
        // Whatever is still queued for the owner goes with the loads.
        owner.DeleteAllLoads();
        owner.notices.clear();
    }
    EXPECT_LE(ObjectTable()->CachedCount(), CObjectTable::CacheLimit);
    EXPECT_EQ(ObjectTable()->InUseCount(), 0u);
}
