#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <semaphore>
#include <sstream>
#include <thread>

namespace {

// Passes on a layout thread while parsing goes on and the UI thread paints
// and hit-tests: under ThreadSanitizer this must be clean.
TEST(LayoutThreads, QueriesRunWhilePassesLayOut) {
    std::ifstream in(std::filesystem::path(VESTRIAL_HTML_CORPUS) / "university.html",
                     std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    std::string html;
    for (int i = 0; i < 4; ++i)
        html += read.str();

    CHtmlObject object("http://host/dir/page.html", "text/html");
    CFakeResources resources;
    resources.SetDefaultSize(20, 20);
    std::atomic<int> progress{0};
    CLayoutEngine::Settings settings;
    settings.availableWidth = 640;
    CLayoutEngine engine(&object, &resources, settings, [&] { ++progress; });

    std::atomic<bool> fed{false};
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (size_t at = 0; at < html.size(); at += 512)
            (void)object.Write(html.data() + at, std::min<size_t>(512, html.size() - at));
        (void)object.EndOfData();
        fed = true;
    });
    std::thread layout([&] {
        // Done only after a pass that began once everything was fed: a pass
        // that caught up with a page half fed, its thread then preempted
        // while the feeder finished, has not seen the rest.
        for (;;) {
            const bool allFed = fed.load();
            if (engine.Pass() && allFed)
                break;
            std::this_thread::yield();
        }
        done = true;
    });
    size_t seen = 0;
    while (!done.load()) {
        CPoint extent = engine.GetExtent();
        engine.ForEachItemIn({0, 0, 640, extent.y}, [&](const CDisplayItem& item) {
            seen += item.GetRect().Width() >= 0;
        });
        (void)engine.LinkedItemAt(100, extent.y / 2);
        (void)engine.TakeNewItemsArea();
        (void)engine.NamedAnchor("x");
        (void)engine.FormRecords();
    }
    feeder.join();
    layout.join();
    EXPECT_GT(progress.load(), 0);
    EXPECT_FALSE(Items(engine).empty());
    (void)seen;
}

std::string Paragraphs(int count) {
    std::string html;
    for (int i = 0; i < count; ++i)
        html += "<p>paragraph number " + std::to_string(i) + "</p>";
    return html;
}

// Progress is announced at most once a frame while a pass runs, but what the
// pass laid out last is announced before it returns.
TEST(LayoutThreads, ProgressHeldBackIsAnnouncedBeforeThePassEnds) {
    auto object = ParseHtml(Paragraphs(3000));
    CFakeResources resources;
    CLayoutEngine::Settings settings;
    settings.availableWidth = 400;
    int calls = 0;
    int32_t announcedExtent = 0;
    std::unique_ptr<CLayoutEngine> engine;
    engine = std::make_unique<CLayoutEngine>(object.get(), &resources, settings, [&] {
        ++calls;
        announcedExtent = engine->GetExtent().y;
    });
    EXPECT_TRUE(engine->Pass());
    EXPECT_GE(calls, 1);
    EXPECT_LT(calls, 3000) << "not once a line";
    EXPECT_EQ(announcedExtent, engine->GetExtent().y) << "the last lines were never announced";
}

TEST(LayoutThreads, StopFromAnotherThreadEndsARunningPass) {
    auto object = ParseHtml(Paragraphs(3000));
    CFakeResources resources;
    CLayoutEngine::Settings settings;
    settings.availableWidth = 400;
    settings.pixelsPerInch = 96;
    // The first progress of the pass (announced at once; later ones at most
    // once a frame) holds it until another thread has stopped the engine.
    std::binary_semaphore reached(0);
    std::binary_semaphore stopped(0);
    int progress = 0;
    CLayoutEngine engine(object.get(), &resources, settings, [&] {
        if (++progress == 1) {
            reached.release();
            stopped.acquire();
        }
    });
    std::thread stopper([&] {
        reached.acquire();
        engine.Stop();
        stopped.release();
    });
    EXPECT_FALSE(engine.Pass());
    stopper.join();
    const std::vector<SeenItem> items = Items(engine);
    EXPECT_FALSE(items.empty());
    EXPECT_LT(items.size(), 100u) << "the pass ended soon after the stop";
    EXPECT_FALSE(engine.Pass());
}

} // namespace
