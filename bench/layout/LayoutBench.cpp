// Laying out a large page from its element list, and repainting a screenful
// of dense text through the display items, as the view does on every
// scroll. The baseline of the repaint is clearing the same section, the
// least a repaint costs.

#include "content/CInlineResources.h"
#include "html/CHtmlObject.h"
#include "images/CSharedPalette.h"
#include "layout/CLayoutEngine.h"
#include "layout/CPaintContext.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFontCache.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;

// Every image is 32 x 32 and settled as missing.
class CSizedImages final : public CInlineResources {
public:
    void RequestInline(const std::string&, uint32_t) override {}
    bool GetInlineImageSize(const std::string&, int32_t& width, int32_t& height) override {
        width = height = 32;
        return true;
    }
    bool GetInlineObject(const std::string&, CMimeObject*& object) override {
        object = nullptr;
        return false;
    }
};

std::string CorpusPage(const char* name) {
    std::ifstream in(std::filesystem::path(VESTRIAL_HTML_CORPUS) / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::unique_ptr<CHtmlObject> Parse(const std::string& html) {
    auto object = std::make_unique<CHtmlObject>("http://host/page.html", "text/html");
    (void)object->Write(html.data(), html.size());
    (void)object->EndOfData();
    return object;
}

std::unique_ptr<CLayoutEngine> Engine(CHtmlObject& object, CInlineResources& images) {
    CLayoutEngine::Settings settings;
    settings.availableWidth = kWidth;
    return std::make_unique<CLayoutEngine>(&object, &images, settings, nullptr);
}

void LayOutLargePage(benchmark::State& state) {
    std::string html;
    for (const char* name : {"university.html", "tables.html", "manual.html", "links.html"})
        html += CorpusPage(name);
    std::string large;
    for (int i = 0; i < 25; ++i)
        large += html;
    auto object = Parse(large);
    CSizedImages images;
    for (auto _ : state) {
        auto engine = Engine(*object, images);
        benchmark::DoNotOptimize(engine->Pass());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * large.size()));
}
BENCHMARK(LayOutLargePage)->Unit(benchmark::kMillisecond);

// The same shape of page at 1, 4 and 16 times a base size: the time per
// element must stay flat for layout to be linear.
std::string ScaledPage(int64_t copies, bool nested) {
    std::string html;
    if (nested) {
        for (int64_t i = 0; i < copies * 64; ++i)
            html += "<table border><tr><td>cell ";
        for (int64_t i = 0; i < copies * 64; ++i)
            html += "</table>";
    } else {
        for (int64_t i = 0; i < copies * 1000; ++i)
            html += "<p>A line of ordinary text with <b>a few</b> words in it.\n";
    }
    return html;
}

void LayOutScaledPage(benchmark::State& state, bool nested) {
    auto object = Parse(ScaledPage(state.range(0), nested));
    uint32_t elements = 0;
    ElementPosition position = object->GetFirstElementPosition();
    while (object->GetNextElement(position))
        ++elements;
    CSizedImages images;
    for (auto _ : state) {
        auto engine = Engine(*object, images);
        benchmark::DoNotOptimize(engine->Pass());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * elements);
    state.counters["elements"] = elements;
}
BENCHMARK_CAPTURE(LayOutScaledPage, lines, false)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LayOutScaledPage, nested_tables, true)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond);

std::string DenseText() {
    std::string html = "<p>";
    for (int i = 0; i < 400; ++i)
        html += "Dense running text with <b>bold</b>, <i>italic</i> and <a href=x.html>link</a> "
                "words filling every line of the window. ";
    return html + "</p>";
}

void BaselineClearSection(benchmark::State& state) {
    auto section = CDibSection::Create(kWidth, kHeight, CSharedPalette::ColorTable());
    CDeviceContext dc(*section);
    for (auto _ : state) {
        dc.FillRect(section->Bounds(), CBrush::White());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BaselineClearSection)->Unit(benchmark::kMillisecond);

void RepaintDenseTextPage(benchmark::State& state) {
    auto object = Parse(DenseText());
    CSizedImages images;
    auto engine = Engine(*object, images);
    (void)engine->Pass();
    auto section = CDibSection::Create(kWidth, kHeight, CSharedPalette::ColorTable());
    CDeviceContext dc(*section);
    CFontCache fonts(dc);
    CPaintContext context{dc,
                          fonts,
                          engine->TextStore(),
                          MakeColorRef(0, 0, 0),
                          MakeColorRef(0, 0, 255),
                          MakeColorRef(128, 0, 128),
                          MakeColorRef(255, 255, 255),
                          &images};
    int64_t items = 0;
    for (auto _ : state) {
        dc.FillRect(section->Bounds(), CBrush::White());
        engine->ForEachItemIn({0, 0, kWidth, kHeight}, [&](const CDisplayItem& item) {
            item.Draw(context);
            ++items;
        });
        benchmark::ClobberMemory();
    }
    state.counters["items/frame"] =
        benchmark::Counter(static_cast<double>(items) / static_cast<double>(state.iterations()));
}
BENCHMARK(RepaintDenseTextPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
