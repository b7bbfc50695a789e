#include "platform/CGrowingArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Grown one value and one run at a time, over the step from heap to mapping
// (64 KiB: 8192 eight-byte values) at its edge and far past it, the array
// keeps every value in order; moving it hands the values over.
TEST(GrowingArray, KeepsEveryValueAcrossTheStepToAMapping) {
    for (size_t count : {1u, 8191u, 8192u, 8193u, 300000u}) {
        CGrowingArray<uint64_t> values;
        std::vector<uint64_t> run;
        uint64_t next = 0;
        while (values.size() < count) {
            if (next % 7 == 0) {
                run.assign(std::min<size_t>(count - values.size(), 1 + next % 500), 0);
                for (uint64_t& value : run)
                    value = next++ * 3;
                values.append(run);
                continue;
            }
            values.push_back(next++ * 3);
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
    same.push_back(1);
    while (same.size() < 20000)
        same.push_back(same.back());
    EXPECT_EQ(same.back(), 1u);
}

// Storage grown through every size round the step: what was written
// survives each move from heap to mapping, and each block is freed the way it
// was made (the address sanitizer tells a wrong one).
TEST(GrowingArray, StorageGrowsFromHeapToMappingIntact) {
    constexpr size_t Step = GrowingMemory::MapThreshold;
    const std::vector<std::vector<size_t>> chains = {
        {16, Step - 1, Step, Step + 1, 4 * Step},
        {Step - 1},
        {Step},
        {Step - 1, Step + 1},
    };
    for (const auto& chain : chains) {
        void* block = nullptr;
        size_t bytes = 0;
        for (size_t size : chain) {
            block = GrowingMemory::Resize(block, bytes, size);
            auto* at = static_cast<unsigned char*>(block);
            for (size_t i = 0; i < bytes; ++i)
                ASSERT_EQ(at[i], static_cast<unsigned char>(i * 7)) << bytes << " -> " << size;
            for (size_t i = 0; i < size; ++i)
                at[i] = static_cast<unsigned char>(i * 7);
            bytes = size;
        }
        GrowingMemory::Free(block, bytes);
    }
}

} // namespace
