// The screen shows the page's 8-bit section converted to RGB once per frame.
// Target: under 4 ms for an 800 x 600 section. The baseline is a plain copy
// of the same number of RGB bytes, the least any conversion must cost.

#include "platform/gdi/CDibSection.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr size_t kRgbBytes = size_t{kWidth} * kHeight * 3;

std::array<CRgbQuad, 256> GreyRamp() {
    std::array<CRgbQuad, 256> table{};
    for (size_t i = 0; i < table.size(); ++i) {
        const auto v = static_cast<uint8_t>(i);
        table[i] = {v, static_cast<uint8_t>(255 - v), v, 0};
    }
    return table;
}

std::unique_ptr<CDibSection> RandomPage() {
    auto section = CDibSection::Create(kWidth, kHeight, GreyRamp());
    std::mt19937 random(1);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x)
            section->Row(y)[x] = static_cast<uint8_t>(random());
    }
    return section;
}

void BaselineMemcpyRgb(benchmark::State& state) {
    std::vector<uint8_t> from(kRgbBytes, 7);
    std::vector<uint8_t> to(kRgbBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kRgbBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRgbBytes));
}

void ConvertSectionToRgb(benchmark::State& state) {
    const auto section = RandomPage();
    std::vector<uint8_t> rgb(kRgbBytes);
    for (auto _ : state) {
        section->ConvertToRgb(rgb);
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRgbBytes));
}

} // namespace

BENCHMARK(BaselineMemcpyRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertSectionToRgb)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
