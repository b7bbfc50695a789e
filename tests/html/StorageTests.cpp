#include "content/CTextStore.h"
#include "html/CHtmlElement.h"
#include "html/CRecordPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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

// A view of the store's own characters when they lie in one page, nothing
// when they straddle two; clipped to what is stored like a copy.
TEST(TextStore, ViewsCharactersThatLieInOnePage) {
    CTextStore store;
    std::string text;
    for (int i = 0; i < 3 * 4096; ++i)
        text += static_cast<char>('a' + i % 26);
    store.Append(text.data(), 2 * 4096 + 10);
    const struct {
        uint32_t offset, count;
        std::optional<std::string> view;
    } cases[] = {
        {0, 4096, text.substr(0, 4096)},           // a whole page
        {4000, 96, text.substr(4000, 96)},         // up to the page's last byte
        {4000, 97, std::nullopt},                  // one byte into the next
        {4096, 1, text.substr(4096, 1)},           // the next page's first byte
        {2 * 4096, 50, text.substr(2 * 4096, 10)}, // clipped to what is stored
        {2 * 4096 + 10, 5, ""},                    // at the end
        {3 * 4096, 5, ""},                         // past it
    };
    for (const auto& c : cases) {
        std::optional<std::string_view> view = store.View(c.offset, c.count);
        EXPECT_EQ(view.has_value(), c.view.has_value()) << c.offset << "+" << c.count;
        if (view && c.view) {
            EXPECT_EQ(*view, *c.view) << c.offset << "+" << c.count;
        }
    }
    // A store that never held text answers empty, like one read past its end.
    const CTextStore empty;
    EXPECT_EQ(empty.View(0, 5), std::optional<std::string_view>(""));
    EXPECT_EQ(empty.Copy(0, 5), "");
    EXPECT_EQ(empty.Length(), 0u);
    // A view stays as it was while more is appended after it.
    std::string_view first = *store.View(0, 100);
    store.Append(text.data(), 3 * 4096);
    EXPECT_EQ(first, text.substr(0, 100));
}

// Readers take no lock: whatever length a reader sees, every character below
// it reads back as written, while the writer goes on across pages.
TEST(TextStore, ReadersSeeWholeTextUpToTheLengthTheyRead) {
    CTextStore store;
    auto expected = [](uint32_t at) { return static_cast<char>('a' + at % 26); };
    constexpr uint32_t Total = 64 * 4096 + 3;
    std::atomic<bool> bad{false};
    std::thread reader([&] {
        uint32_t length = 0;
        while (length < Total) {
            length = store.Length();
            const uint32_t from = length > 5000 ? length - 5000 : 0;
            const std::string copy = store.Copy(from, length - from);
            for (uint32_t i = 0; i < copy.size(); ++i)
                if (copy[i] != expected(from + i))
                    bad = true;
            if (auto view = store.View(length ? length - 1 : 0, 1); view && length)
                if (view->size() != 1 || (*view)[0] != expected(length - 1))
                    bad = true;
        }
    });
    std::string chunk;
    for (uint32_t at = 0; at < Total;) {
        const uint32_t size = std::min<uint32_t>(1 + at % 5000, Total - at);
        chunk.clear();
        for (uint32_t i = 0; i < size; ++i)
            chunk += expected(at + i);
        EXPECT_EQ(store.Append(chunk.data(), chunk.size()), at);
        at += size;
    }
    reader.join();
    EXPECT_FALSE(bad);
    EXPECT_EQ(store.Length(), Total);
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

// Test records begin with their kind, as the pool's records must; the pool
// reads their lengths from this table.
enum TestKind : uint16_t {
    Counting = 1,
    PlainCounting,
    Order,
    Wide,
    Bytes2,
    Bytes250,
    Bytes46,
    Bytes50,
    Bytes42,
    Bytes6,
};

struct CountingRecord final : CPoolRecord {
    CountingRecord(int& destroyed, uint64_t value) : m_destroyed(destroyed), m_value(value) {}
    ~CountingRecord() { ++m_destroyed; }
    const uint16_t kind = Counting;
    int& m_destroyed;
    uint64_t m_value;
};

// A record that says it is plain is forgotten by Clear, not destroyed (its
// destructor here only counts); every other record is destroyed, in the
// order made, however the two are mixed.
struct PlainCountingRecord final : CPoolRecord {
    static constexpr bool kPlainRecord = true;
    explicit PlainCountingRecord(int& destroyed) : m_destroyed(destroyed) {}
    ~PlainCountingRecord() { ++m_destroyed; }
    const uint16_t kind = PlainCounting;
    int& m_destroyed;
};

struct OrderRecord final : CPoolRecord {
    OrderRecord(std::vector<int>& order, int value) : m_order(order), m_value(value) {}
    ~OrderRecord() { m_order.push_back(m_value); }
    const uint16_t kind = Order;
    std::vector<int>& m_order;
    int m_value;
};

struct WideRecord final : CPoolRecord {
    static constexpr bool kPlainRecord = true;
    explicit WideRecord(uint64_t v) : value(v) {}
    const uint16_t kind = Wide;
    uint64_t value;
};

// The kind's two bytes and N more.
template <uint16_t Kind, size_t N> struct BytesRecord final : CPoolRecord {
    static constexpr bool kPlainRecord = true;
    explicit BytesRecord(char c) { std::memset(bytes, c, N); }
    const uint16_t kind = Kind;
    char bytes[N];
};
using SmallRecord = BytesRecord<Bytes2, 2>;    // 4 bytes
using OddRecord = BytesRecord<Bytes6, 4>;      // 6 bytes
using LongRecord = BytesRecord<Bytes250, 250>; // 252 bytes

constexpr CRecordPool::SizeTable TestSizes = CRecordPool::MakeSizeTable<TestKind>({
    {Counting, sizeof(CountingRecord)},
    {PlainCounting, sizeof(PlainCountingRecord)},
    {Order, sizeof(OrderRecord)},
    {Wide, sizeof(WideRecord)},
    {Bytes2, sizeof(SmallRecord)},
    {Bytes6, sizeof(OddRecord)},
    {Bytes250, sizeof(LongRecord)},
    {Bytes46, sizeof(BytesRecord<Bytes46, 46>)},
    {Bytes50, sizeof(BytesRecord<Bytes50, 50>)},
    {Bytes42, sizeof(BytesRecord<Bytes42, 42>)},
});
static_assert(sizeof(SmallRecord) == 4 && sizeof(OddRecord) == 6 && sizeof(LongRecord) == 252);

TEST(RecordPool, RecordsKeepOrderAcrossBlocksAndDieTogether) {
    int destroyed = 0;
    {
        CRecordPool pool(TestSizes);
        EXPECT_EQ(pool.First(), 0u);
        for (uint64_t i = 0; i < 2000; ++i) {
            auto* record = pool.Allocate<CountingRecord>(destroyed, i);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(uint64_t), 0u);
        }
        EXPECT_EQ(pool.Count(), 2000u);
        pool.Publish();
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

TEST(RecordPool, ClearDestroysOwningRecordsInOrderAndForgetsPlainOnes) {
    int plainDestroyed = 0;
    std::vector<int> order;
    CRecordPool pool(TestSizes);
    for (int i = 0; i < 1000; ++i) {
        pool.Allocate<PlainCountingRecord>(plainDestroyed);
        if (i % 3 == 0)
            pool.Allocate<OrderRecord>(order, i);
    }
    pool.Publish();
    pool.Clear();
    EXPECT_EQ(plainDestroyed, 0);
    ASSERT_EQ(order.size(), 334u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    // Cleared again (and at destruction): nothing is destroyed twice.
    pool.Clear();
    EXPECT_EQ(order.size(), 334u);
}

// Records of any size from 4 bytes up, mixed with ones that need 8-byte
// alignment: each costs its own length rounded to a word (an 8-aligned one
// at most a word more), sits at its alignment, and reads back in order.
TEST(RecordPool, RecordsCostTheirOwnLengthAndWideOnesKeepTheirAlignment) {
    CRecordPool pool(TestSizes);
    std::vector<const void*> made;
    for (uint64_t i = 0; i < 3000; ++i) {
        if (i % 3 == 1)
            made.push_back(pool.Allocate<WideRecord>(i));
        else if (i % 3 == 0)
            made.push_back(pool.Allocate<SmallRecord>(static_cast<char>(i)));
        else
            made.push_back(pool.Allocate<OddRecord>(static_cast<char>(i)));
    }
    pool.Publish();
    size_t i = 0;
    for (auto at = pool.First(); at; at = pool.Advance(at), ++i) {
        ASSERT_LT(i, made.size());
        const void* record = CRecordPool::At(at);
        ASSERT_EQ(record, made[i]);
        EXPECT_EQ(pool.Find(static_cast<const CPoolRecord*>(record)), at);
        if (i % 3 == 1) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % 8, 0u) << i;
            EXPECT_EQ(static_cast<const WideRecord*>(record)->value, i);
        } else if (i % 3 == 0) {
            EXPECT_EQ(static_cast<const SmallRecord*>(record)->bytes[0], static_cast<char>(i));
        } else {
            EXPECT_EQ(static_cast<const OddRecord*>(record)->bytes[3], static_cast<char>(i));
        }
    }
    EXPECT_EQ(i, made.size());

    CRecordPool small(TestSizes);
    auto* first = small.Allocate<SmallRecord>('a');
    auto* second = small.Allocate<SmallRecord>('b');
    auto* odd = small.Allocate<OddRecord>('c');
    auto* wide = small.Allocate<WideRecord>(1);
    auto* after = small.Allocate<SmallRecord>('d');
    auto* shifted = small.Allocate<WideRecord>(2);
    const auto offset = [first](const void* record) {
        return reinterpret_cast<uintptr_t>(record) - reinterpret_cast<uintptr_t>(first);
    };
    EXPECT_EQ(offset(second), 4u);
    EXPECT_EQ(offset(odd), 8u);
    EXPECT_EQ(offset(wide), 16u); // six bytes take eight: 16 is 8-aligned
    EXPECT_EQ(offset(after), 32u);
    EXPECT_EQ(offset(shifted), 40u); // 36 is not: a mark, then the record
    small.Publish();
    std::vector<uint64_t> wides;
    for (auto at = small.First(); at; at = small.Advance(at)) {
        uint16_t kind;
        std::memcpy(&kind, CRecordPool::At(at), sizeof kind);
        if (kind == Wide)
            wides.push_back(static_cast<const WideRecord*>(CRecordPool::At(at))->value);
    }
    EXPECT_EQ(wides, (std::vector<uint64_t>{1, 2}));
}

// A block holds records up to its last usable byte (the end keeps room for
// the mark and address that link it to the next block: 4096 less 12 leave
// 4084). Sixteen records of 252 bytes take 4032; then a record of 48 bytes
// and one of 4 fill the block exactly; one of 44 leaves four bytes to spare;
// one of 52 leaves the 4-byte record four bytes over.
template <uint16_t Kind, size_t N> bool LastRecordSharesTheBlock() {
    CRecordPool pool(TestSizes);
    const void* first = pool.Allocate<LongRecord>('x');
    for (int i = 1; i < 16; ++i)
        pool.Allocate<LongRecord>('x');
    pool.Allocate<BytesRecord<Kind, N>>('z');
    auto* last = pool.Allocate<SmallRecord>('y');
    pool.Publish();
    EXPECT_EQ(last->bytes[0], 'y');
    size_t count = 0;
    for (auto at = pool.First(); at; at = pool.Advance(at))
        ++count;
    EXPECT_EQ(count, 18u);
    return reinterpret_cast<uintptr_t>(first) / CRecordPool::BlockSize ==
           reinterpret_cast<uintptr_t>(last) / CRecordPool::BlockSize;
}

TEST(RecordPool, ABlockFillsToItsLastUsableByte) {
    static_assert(sizeof(BytesRecord<Bytes42, 42>) == 44);
    EXPECT_TRUE((LastRecordSharesTheBlock<Bytes42, 42>()));  // four bytes to spare
    EXPECT_TRUE((LastRecordSharesTheBlock<Bytes46, 46>()));  // exactly full
    EXPECT_FALSE((LastRecordSharesTheBlock<Bytes50, 50>())); // four bytes over
}

TEST(RecordPool, ElementsWithStringsAreFreed) {
    CRecordPool pool(ElementRecords::Sizes);
    for (int i = 0; i < 500; ++i)
        pool.Allocate<CNameAnchorElement>(std::string(100, 'x'));
    pool.Clear();
    EXPECT_EQ(pool.Count(), 0u);
    EXPECT_EQ(pool.First(), 0u);
}

std::vector<uint64_t> PublishedValues(const CRecordPool& pool) {
    std::vector<uint64_t> values;
    for (auto at = pool.First(); at; at = pool.Advance(at))
        values.push_back(static_cast<CountingRecord*>(CRecordPool::At(at))->m_value);
    return values;
}

TEST(RecordPool, StagedRecordsStayHiddenUntilPublished) {
    int destroyed = 0;
    CRecordPool pool(TestSizes);
    EXPECT_EQ(pool.First(), 0u);
    // Batches of every size from 1 to 60 span many blocks; then 300 batches
    // of one record each, so that the published end also falls on the end
    // of a full block, where the next block's link goes.
    std::vector<uint64_t> batches;
    for (uint64_t batch = 1; batch <= 60; ++batch)
        batches.push_back(batch);
    batches.insert(batches.end(), 300, 1);
    uint64_t next = 0;
    for (uint64_t batch : batches) {
        uint64_t published = next;
        const CountingRecord* last = nullptr;
        for (uint64_t i = 0; i < batch; ++i)
            last = pool.Allocate<CountingRecord>(destroyed, next++);
        EXPECT_EQ(pool.Count(), next);
        EXPECT_EQ(PublishedValues(pool).size(), published) << "after " << published;
        EXPECT_EQ(pool.Find(last), 0u);
        pool.Publish();
        std::vector<uint64_t> values = PublishedValues(pool);
        ASSERT_EQ(values.size(), next) << "after " << published;
        for (uint64_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(values[i], i);
        EXPECT_NE(pool.Find(last), 0u);
    }
    pool.Publish(); // nothing new: changes nothing
    EXPECT_EQ(PublishedValues(pool).size(), next);
}

TEST(RecordPool, ClearDestroysStagedRecordsToo) {
    int destroyed = 0;
    CRecordPool pool(TestSizes);
    pool.Allocate<CountingRecord>(destroyed, 1);
    pool.Publish();
    for (uint64_t i = 0; i < 300; ++i)
        pool.Allocate<CountingRecord>(destroyed, i);
    pool.Clear();
    EXPECT_EQ(destroyed, 301);
    EXPECT_EQ(pool.First(), 0u);
    // The pool starts over cleanly after a clear.
    pool.Allocate<CountingRecord>(destroyed, 7);
    pool.Publish();
    EXPECT_EQ(PublishedValues(pool), (std::vector<uint64_t>{7}));
}

// The pool finds an element's kind in its first two bytes and reads each
// record's length from it (every kind made in any test is checked as it is
// made, in the builds with assertions).
TEST(RecordPool, ElementsAreReadByTheirKinds) {
    CRecordPool elements(ElementRecords::Sizes);
    auto* text = elements.Allocate<CTextElement>(0u, 1u, 3u);
    EXPECT_EQ(static_cast<const void*>(&text->kind), static_cast<const void*>(text));
    elements.Allocate<CBareElement>(ElementKind::LinkEnd);
    elements.Allocate<CTableElement>();
    elements.Publish();
    size_t count = 0;
    for (auto at = elements.First(); at; at = elements.Advance(at))
        ++count;
    EXPECT_EQ(count, 3u);
}

TEST(HtmlElementSerial, ElementsWithStateGetANewNumberEach) {
    CEmbedElement object;
    CFormFieldElement field;
    CImageElement image;
    EXPECT_GT(field.serial, object.serial);
    EXPECT_GT(image.serial, field.serial);
}

} // namespace
