#include "content/CTextStore.h"
#include "html/CHtmlElement.h"
#include "html/CRecordPool.h"

#include <gtest/gtest.h>

namespace {

TEST(TextStore, AppendsAcrossPagesAndCopiesBack) {
    CTextStore store;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        std::string word = "w" + std::to_string(i) + " ";
        store.Append(word.data(), word.size());
        expected += word;
    }
    store.Append('!');
    expected += '!';
    ASSERT_GT(expected.size(), 2 * CTextStore::PageSize);
    EXPECT_EQ(store.Length(), expected.size());
    EXPECT_EQ(store.Copy(0, store.Length()), expected);
    EXPECT_EQ(store.Copy(4090, 20), expected.substr(4090, 20));
    EXPECT_EQ(store.Copy(store.Length() - 2, 100), expected.substr(expected.size() - 2));
    EXPECT_EQ(store.Copy(store.Length() + 5, 3), "");
}

TEST(TextStore, HandlesShareOneBody) {
    CTextStore first;
    CTextStore second = first;
    EXPECT_EQ(first.References(), 2);
    second.Append("abc", 3);
    EXPECT_EQ(first.Copy(0, 3), "abc");
    {
        CTextStore third = second;
        EXPECT_EQ(first.References(), 3);
    }
    EXPECT_EQ(first.References(), 2);
}

struct CountingRecord final : CPoolRecord {
    CountingRecord(int& destroyed, uint64_t value) : m_destroyed(destroyed), m_value(value) {}
    ~CountingRecord() override { ++m_destroyed; }
    int& m_destroyed;
    uint64_t m_value;
};

TEST(RecordPool, RecordsKeepOrderAcrossBlocksAndDieTogether) {
    int destroyed = 0;
    {
        CRecordPool pool;
        EXPECT_EQ(pool.First(), 0u);
        for (uint64_t i = 0; i < 2000; ++i) {
            auto* record = pool.Allocate<CountingRecord>(destroyed, i);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(uint64_t), 0u);
        }
        EXPECT_EQ(pool.Count(), 2000u);
        uint64_t expected = 0;
        for (auto at = pool.First(); at; at = pool.Advance(at)) {
            auto* record = static_cast<CountingRecord*>(CRecordPool::At(at));
            EXPECT_EQ(record->m_value, expected++);
            EXPECT_EQ(pool.Find(record), at);
        }
        EXPECT_EQ(expected, 2000u);
        int outside = 0;
        CountingRecord stranger(outside, 1);
        EXPECT_EQ(pool.Find(&stranger), 0u);
    }
    EXPECT_EQ(destroyed, 2000);
}

TEST(RecordPool, ElementsWithStringsAreFreed) {
    CRecordPool pool;
    for (int i = 0; i < 500; ++i)
        pool.Allocate<CLinkElement>(std::string(100, 'x'), "target");
    pool.Clear();
    EXPECT_EQ(pool.Count(), 0u);
    EXPECT_EQ(pool.First(), 0u);
}

TEST(HtmlElementSerial, EveryElementGetsANewNumber) {
    CBareElement first(ElementKind::LineEnd);
    CBareElement second(ElementKind::LineEnd);
    EXPECT_GT(second.serial, first.serial);
}

} // namespace
