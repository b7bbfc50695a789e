#include "platform/CGrowingArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace {

constexpr size_t Largest = CGrowingArena::LargestPiece;

// Grown one value and one run at a time, over the step from the arena to a
// mapping (32 KiB: 4096 eight-byte values) at its edge and far past it, the
// array keeps every value in order; moving it hands the values over.
TEST(GrowingArray, KeepsEveryValueAcrossTheStepToAMapping) {
    CGrowingArena arena;
    for (size_t count : {1u, 4095u, 4096u, 4097u, 300000u}) {
        CGrowingArray<uint64_t> values;
        std::vector<uint64_t> run;
        uint64_t next = 0;
        while (values.size() < count) {
            if (next % 7 == 0) {
                run.assign(std::min<size_t>(count - values.size(), 1 + next % 500), 0);
                for (uint64_t& value : run)
                    value = next++ * 3;
                values.append(run, arena);
                continue;
            }
            values.push_back(next++ * 3, arena);
        }
        ASSERT_EQ(values.size(), count);
        for (size_t i = 0; i < count; ++i)
            ASSERT_EQ(values[i], i * 3) << "of " << count << " at " << i;
        EXPECT_EQ(values.back(), (count - 1) * 3);

        CGrowingArray<uint64_t> moved = std::move(values);
        EXPECT_TRUE(values.empty());
        ASSERT_EQ(moved.size(), count);
        EXPECT_EQ(*moved.begin(), 0u);
        EXPECT_EQ(moved.end()[-1], (count - 1) * 3);
    }
    // One of its own values pushed as the array grows is read before it moves
    // (through the step to a mapping and on).
    CGrowingArray<uint64_t> same;
    same.push_back(1, arena);
    while (same.size() < 20000)
        same.push_back(same.back(), arena);
    EXPECT_EQ(same.back(), 1u);
}

// Many arrays grown in turn, as a page's flows grow line by line: pieces
// handed back by one are taken by another, and none overlaps another's
// values (nor, under the address sanitizer, reaches past its piece).
TEST(GrowingArray, ArraysSharingAnArenaKeepTheirOwnValues) {
    CGrowingArena arena;
    std::vector<CGrowingArray<uint32_t>> arrays(300);
    for (uint32_t round = 0; round < 40; ++round)
        for (uint32_t i = 0; i < arrays.size(); ++i)
            for (uint32_t n = 0; n < 1 + (i * 7 + round) % 13; ++n)
                arrays[i].push_back(i << 16 | static_cast<uint32_t>(arrays[i].size()), arena);
    for (uint32_t i = 0; i < arrays.size(); ++i)
        for (uint32_t at = 0; at < arrays[i].size(); ++at)
            ASSERT_EQ(arrays[i][at], i << 16 | at) << "array " << i;
}

TEST(GrowingArena, PiecesArePowersOfTwoFromSixteenBytes) {
    const std::map<size_t, size_t> pieces = {
        {1, 16},           {15, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 64}, {Largest - 1, Largest},
        {Largest, Largest}};
    for (auto [bytes, piece] : pieces)
        EXPECT_EQ(CGrowingArena::PieceSize(bytes), piece) << bytes;
}

// A piece handed back goes to the next request of its size, not to one of
// another; and what a block has left when a larger piece no longer fits
// serves the smaller sizes, so no request starts a block early.
TEST(GrowingArena, ReleasedPiecesAndBlockEndsAreTakenAgain) {
    CGrowingArena arena;
    void* first = arena.Allocate(100);
    arena.Release(first, 100);
    EXPECT_NE(arena.Allocate(200), first);
    EXPECT_EQ(arena.Allocate(65), first);

    // Fill a block to 16 bytes short of a largest piece, then ask for one:
    // it comes from a new block, and the 16 KiB, ... 16 bytes that were left
    // are handed out before any new space.
    CGrowingArena filled;
    std::vector<std::byte*> pieces;
    for (size_t used = 0; used + Largest <= CGrowingArena::BlockSize - Largest; used += Largest)
        pieces.push_back(static_cast<std::byte*>(filled.Allocate(Largest)));
    auto* last = static_cast<std::byte*>(filled.Allocate(Largest / 2));
    for (size_t size = Largest / 4; size >= 16; size /= 2)
        pieces.push_back(static_cast<std::byte*>(filled.Allocate(size)));
    // 16 bytes remain; a largest piece opens the second block.
    auto* second = static_cast<std::byte*>(filled.Allocate(Largest));
    EXPECT_NE(second, last + Largest / 2);
    auto* tail = static_cast<std::byte*>(filled.Allocate(16));
    EXPECT_EQ(tail + 16, pieces.front() + CGrowingArena::BlockSize)
        << "the first block's last bytes";
}

// Storage grown through every size round the step: what was written survives
// each move from the arena to a mapping, and each is freed the way it was
// made (the address sanitizer tells a wrong one).
TEST(GrowingArray, StorageGrowsFromPieceToMappingIntact) {
    const std::vector<std::vector<size_t>> chains = {
        {16, Largest - 1, Largest, Largest + 1, 4 * Largest},
        {Largest},
        {Largest + 1},
        {Largest - 1, Largest + 1},
    };
    for (const auto& chain : chains) {
        CGrowingArena arena;
        void* block = nullptr;
        size_t bytes = 0;
        for (size_t size : chain) {
            if (size <= bytes)
                continue; // the piece already holds it
            auto [grown, held] = GrowingMemory::Resize(arena, block, bytes, size);
            ASSERT_GE(held, size);
            auto* at = static_cast<unsigned char*>(grown);
            for (size_t i = 0; i < bytes; ++i)
                ASSERT_EQ(at[i], static_cast<unsigned char>(i * 7)) << bytes << " -> " << size;
            for (size_t i = 0; i < held; ++i)
                at[i] = static_cast<unsigned char>(i * 7);
            block = grown;
            bytes = held;
        }
        EXPECT_EQ(GrowingMemory::IsMapping(bytes), chain.back() > Largest);
        if (GrowingMemory::IsMapping(bytes))
            GrowingMemory::FreeMapping(block, bytes);
    }
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESTRIAL_TEST_ADDRESS_SANITIZER
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define VESTRIAL_TEST_ADDRESS_SANITIZER
#endif

#ifdef VESTRIAL_TEST_ADDRESS_SANITIZER
// The arena's pieces sit side by side in one block: the sanitizer must still
// tell a write one past a piece.
TEST(GrowingArenaDeathTest, AWritePastAPieceIsReported) {
    EXPECT_DEATH(
        {
            CGrowingArena arena;
            auto* piece = static_cast<volatile char*>(arena.Allocate(32));
            piece[32] = 1;
        },
        "use-after-poison");
}
#endif

} // namespace
