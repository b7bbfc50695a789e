#include "platform/CStringArena.h"

#include <gtest/gtest.h>

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

} // namespace
