#include "platform/CStringArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every view handed out still reads its text after the arena has filled
// chunks and taken long strings of their own, at the sizes where it
// changes course: a quarter chunk (kept in the chunk) and one over (a chunk
// of its own), a chunk filled to its last byte, one byte over.
TEST(StringArena, ViewsKeepTheirTextAcrossChunkEdges) {
    constexpr size_t chunk = CStringArena::ChunkSize;
    CStringArena arena;
    std::vector<std::pair<std::string, std::string_view>> kept;
    auto keep = [&](std::string text) {
        std::string_view view = arena.Keep(text);
        kept.emplace_back(std::move(text), view);
    };
    keep("");
    keep(std::string(chunk / 4, 'a'));
    keep(std::string(chunk / 4 + 1, 'b'));
    for (char c : {'c', 'd', 'e'}) // the first chunk filled to its last byte
        keep(std::string(chunk / 4, c));
    keep("f"); // one over: a new chunk
    for (int i = 0; i < 20000; ++i)
        keep("http://host/page.html#section-" + std::to_string(i));
    keep(std::string(chunk * 2, 'g'));
    keep("h");
    for (const auto& [text, view] : kept)
        ASSERT_EQ(view, text);
    // The quarter chunks share the first chunk, the longer one is elsewhere.
    for (auto [before, after] : {std::pair{1, 3}, {3, 4}, {4, 5}})
        EXPECT_EQ(kept[before].second.data() + chunk / 4, kept[after].second.data()) << after;
}

// Each chunk holds twice the one before, up to the largest: after the first
// is filled to its last byte, eight quarter-first-chunks lie end to end in the
// second and the ninth starts a third; the doubling stops at LargestChunk.
TEST(StringArena, ChunksDoubleUpToTheLargest) {
    constexpr size_t quarter = CStringArena::ChunkSize / 4;
    CStringArena arena;
    std::vector<std::string_view> views;
    for (int i = 0; i < 4 + 9; ++i)
        views.push_back(arena.Keep(std::string(quarter, static_cast<char>('a' + i))));
    for (int i = 5; i < 12; ++i)
        EXPECT_EQ(views[i - 1].data() + quarter, views[i].data()) << i;
    EXPECT_NE(views[11].data() + quarter, views[12].data());
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(views[i], std::string(quarter, static_cast<char>('a' + i)));

    // Chunks of 64 KiB, 128, ... 2 MiB, then 2 MiB again: the last two
    // hold LargestChunk / quarter strings each, end to end.
    std::string_view last = views.back();
    size_t run = 0, longest = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string_view view = arena.Keep(std::string(quarter, 'x'));
        run = view.data() == last.data() + quarter ? run + 1 : 1;
        longest = std::max(longest, run);
        last = view;
    }
    EXPECT_EQ(longest, CStringArena::LargestChunk / quarter);
}

} // namespace
