#include "platform/lz/CLzExpander.h"
#include "platform/lz/LzFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Status = CLzExpander::Status;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Text with repeats (so that the compressor makes references, some of them
// overlapping) mixed with noise (so that it makes literals).
Bytes SampleData(size_t size, uint32_t seed) {
    static const std::string phrase = "The quick brown control jumps over the lazy page. ";
    Bytes data;
    uint32_t state = seed * 2654435761u + 1;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        switch ((state >> 16) % 4) {
        case 0:
            data.push_back(static_cast<uint8_t>(state >> 8));
            break;
        case 1:
            data.insert(data.end(), phrase.begin(), phrase.begin() + (state >> 20) % phrase.size());
            break;
        case 2:
            data.insert(data.end(), (state >> 24) % 40, static_cast<uint8_t>('a' + seed % 26));
            break;
        default:
            data.push_back(' ');
        }
    }
    data.resize(size);
    return data;
}

Bytes Header(uint32_t length) {
    Bytes header = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0};
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<uint8_t>(length >> (8 * i)));
    return header;
}

// A hand-made file of literals only, eight after each control byte.
Bytes LiteralFile(const Bytes& data) {
    Bytes file = Header(static_cast<uint32_t>(data.size()));
    for (size_t i = 0; i < data.size(); ++i) {
        if (i % 8 == 0)
            file.push_back(0xFF);
        file.push_back(data[i]);
    }
    return file;
}

struct Expanded {
    Status status;
    Bytes out;
};

// Feeds file in pieces of chunk bytes.
Expanded ExpandBytes(const Bytes& file, size_t chunk = SIZE_MAX,
                     uint64_t limit = CLzExpander::DefaultLimit) {
    Expanded result{Status::Continue, {}};
    CLzExpander expander(
        [&](const uint8_t* data, size_t size) {
            result.out.insert(result.out.end(), data, data + size);
            return true;
        },
        limit);
    for (size_t at = 0; at < file.size() && result.status == Status::Continue;) {
        size_t n = std::min(chunk, file.size() - at);
        result.status = expander.Write(file.data() + at, n);
        at += n;
    }
    if (result.status == Status::Continue)
        result.status = expander.Finish();
    return result;
}

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

} // namespace

// The oracle: Debian's mscompress makes the files, msexpand expands them
// too, and both expansions must give back the original bytes.
TEST(LzExpander, MatchesMsexpandForEverySizeFrom16To300) {
    TempDir dir;
    constexpr size_t First = 16, Last = 300;
    for (size_t size = First; size <= Last; ++size)
        WriteAll(dir.Path() / ("f" + std::to_string(size)),
                 SampleData(size, static_cast<uint32_t>(size)));
    // One shell for all of them keeps the suite fast.
    ASSERT_EQ(
        Shell("cd '" + dir.Path().string() +
              "' && mscompress f* && for f in f*_; do msexpand < $f > $f.ref || exit 1; done"),
        0);
    for (size_t size = First; size <= Last; ++size) {
        SCOPED_TRACE(size);
        std::string name = "f" + std::to_string(size);
        Bytes compressed = ReadAll(dir.Path() / (name + "_"));
        Bytes reference = ReadAll(dir.Path() / (name + "_.ref"));
        ASSERT_EQ(reference, SampleData(size, static_cast<uint32_t>(size)));
        for (size_t chunk : {size_t{1}, size_t{7}, SIZE_MAX}) {
            Expanded got = ExpandBytes(compressed, chunk);
            ASSERT_EQ(got.status, Status::Complete) << "chunk " << chunk;
            ASSERT_EQ(got.out, reference) << "chunk " << chunk;
        }
    }
}

TEST(LzExpander, MatchesMsexpandOnALargeFile) {
    TempDir dir;
    // Half a megabyte: the window wraps round over a hundred times and the output
    // is handed on in many blocks.
    Bytes data = SampleData(512 * 1024 + 17, 7);
    WriteAll(dir.Path() / "big", data);
    ASSERT_EQ(Shell("cd '" + dir.Path().string() + "' && mscompress big && msexpand < big_ > ref"),
              0);
    ASSERT_TRUE(ExpandLzFile((dir.Path() / "big_").string(), (dir.Path() / "big.ocx").string()));
    EXPECT_EQ(ReadAll(dir.Path() / "big.ocx"), ReadAll(dir.Path() / "ref"));
    EXPECT_EQ(ReadAll(dir.Path() / "big.ocx"), data);
}

// mscompress writes broken files below 16 bytes, so those sizes are made by
// hand, as are the references it does not happen to make.
TEST(LzExpander, HandMadeFiles) {
    struct Case {
        const char* name;
        Bytes file;
        Bytes expected;
    };
    auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
    std::vector<Case> cases;
    for (size_t size = 0; size < 16; ++size) {
        Bytes data = SampleData(size, 100 + static_cast<uint32_t>(size));
        cases.push_back({"literals", LiteralFile(data), data});
    }
    // Three literals, then a reference to the first of them (written at
    // 4080) nine long, which overlaps what it writes.
    Bytes overlap = Header(12);
    overlap.insert(overlap.end(), {0x07, 'a', 'b', 'c', 0xF0, 0xF6});
    cases.push_back({"overlapping reference", overlap, text("abcabcabcabc")});
    // The window starts out as blanks.
    Bytes blanks = Header(5);
    blanks.insert(blanks.end(), {0x00, 0x00, 0x02});
    cases.push_back({"reference to the blank window", blanks, text("     ")});
    // Sixteen literals fill the window up to its end, the seventeenth lands
    // at 0; a reference from 4094 reads across the wrap: "op" then "Z".
    Bytes wrap = Header(20);
    std::string letters = "abcdefghijklmnopZ";
    wrap.push_back(0xFF);
    wrap.insert(wrap.end(), letters.begin(), letters.begin() + 8);
    wrap.push_back(0xFF);
    wrap.insert(wrap.end(), letters.begin() + 8, letters.begin() + 16);
    wrap.insert(wrap.end(), {0x01, 'Z', 0xFE, 0xF0});
    cases.push_back({"reference across the window's end", wrap, text(letters + "opZ")});
    // The longest reference: 18 bytes.
    Bytes longest = Header(18);
    longest.insert(longest.end(), {0x00, 0x00, 0x0F});
    cases.push_back({"longest reference", longest, Bytes(18, ' ')});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string(" ") + std::to_string(c.expected.size()));
        for (size_t chunk : {size_t{1}, SIZE_MAX}) {
            Expanded got = ExpandBytes(c.file, chunk);
            EXPECT_EQ(got.status, Status::Complete);
            EXPECT_EQ(got.out, c.expected);
        }
    }
}

TEST(LzExpander, RefusesBrokenAndOversizedFiles) {
    Bytes five = LiteralFile({'1', '2', '3', '4', '5'});
    auto with = [](Bytes file, size_t at, uint8_t value) {
        file[at] = value;
        return file;
    };
    auto withLength = [&](uint32_t length) {
        Bytes file = five;
        Bytes header = Header(length);
        std::copy(header.begin(), header.end(), file.begin());
        return file;
    };
    Bytes cutReference = Header(3);
    cutReference.insert(cutReference.end(), {0x00, 0x00});
    // A control byte may follow a group that ended with the data.
    Bytes trailingControl = LiteralFile({'1', '2', '3', '4', '5', '6', '7', '8'});
    trailingControl.push_back(0x00);
    Bytes trailingLiteral = five;
    trailingLiteral.insert(trailingLiteral.end(), {'6'});
    struct Case {
        const char* name;
        Bytes file;
        uint64_t limit;
        Status expected;
    };
    const Case cases[] = {
        {"intact", five, CLzExpander::DefaultLimit, Status::Complete},
        {"wrong magic", with(five, 3, 'E'), CLzExpander::DefaultLimit, Status::Failed},
        {"last magic byte", with(five, 7, 0x34), CLzExpander::DefaultLimit, Status::Failed},
        {"mode other than A", with(five, 8, 'B'), CLzExpander::DefaultLimit, Status::Failed},
        {"header one short", Bytes(five.begin(), five.begin() + 13), CLzExpander::DefaultLimit,
         Status::Failed},
        {"header only, nothing declared", Header(0), CLzExpander::DefaultLimit, Status::Complete},
        {"empty input", {}, CLzExpander::DefaultLimit, Status::Failed},
        {"reference cut in half", cutReference, CLzExpander::DefaultLimit, Status::Failed},
        {"declares one more than it holds", withLength(6), CLzExpander::DefaultLimit,
         Status::Failed},
        {"declares one less than it holds", withLength(4), CLzExpander::DefaultLimit,
         Status::Failed},
        {"a control byte after the end", trailingControl, CLzExpander::DefaultLimit,
         Status::Complete},
        {"a literal after the end", trailingLiteral, CLzExpander::DefaultLimit, Status::Failed},
        {"declared length exactly at the limit", five, 5, Status::Complete},
        {"declared length one over the limit", five, 4, Status::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExpandBytes(c.file, SIZE_MAX, c.limit).status, c.expected);
        EXPECT_EQ(ExpandBytes(c.file, 1, c.limit).status, c.expected);
    }
}

TEST(LzExpander, DefaultLimitIs256MiBAndIsCheckedBeforeAnyOutput) {
    EXPECT_EQ(CLzExpander::DefaultLimit, uint64_t{256} * 1024 * 1024);
    struct Case {
        uint32_t declared;
        Status afterHeader;
    };
    const Case cases[] = {{256u << 20, Status::Continue},
                          {(256u << 20) + 1, Status::Failed},
                          {0xFFFFFFFFu, Status::Failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declared);
        Bytes header = Header(c.declared);
        bool called = false;
        CLzExpander expander([&](const uint8_t*, size_t) { return called = true; });
        EXPECT_EQ(expander.Write(header.data(), header.size()), c.afterHeader);
        EXPECT_FALSE(called);
    }
}

TEST(LzExpander, AWriteErrorFails) {
    Bytes file = LiteralFile(SampleData(100000, 3));
    CLzExpander expander([](const uint8_t*, size_t) { return false; });
    Status status = expander.Write(file.data(), file.size());
    if (status == Status::Continue)
        status = expander.Finish();
    EXPECT_EQ(status, Status::Failed);
}

TEST(LzFile, ExpandsInPlaceAndLeavesNothingOnFailure) {
    TempDir dir;
    auto file = (dir.Path() / "ctl.ocx").string();
    WriteAll(file, LiteralFile({'E', 'L', 'F'}));
    ASSERT_TRUE(ExpandLzFile(file, file));
    EXPECT_EQ(ReadAll(file), (Bytes{'E', 'L', 'F'}));

    // Now ctl.ocx is no longer compressed: expanding it again fails and
    // leaves it as it was.
    auto target = (dir.Path() / "other.ocx").string();
    EXPECT_FALSE(ExpandLzFile(file, target));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(target + ".partial"));
    EXPECT_EQ(ReadAll(file), (Bytes{'E', 'L', 'F'}));
    EXPECT_FALSE(ExpandLzFile((dir.Path() / "missing").string(), target));
}

TEST(LzFile, OcxNameReplacesOrAppendsTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/d/clock.oc_", "/d/clock.ocx"},
        {"/d/clock", "/d/clock.ocx"},
        {"/home/u/.local/share/vestrial/controls/clock",
         "/home/u/.local/share/vestrial/controls/clock.ocx"},
        {"/d/clock.tar.gz", "/d/clock.tar.ocx"},
        {"/d/clock.ocx", "/d/clock.ocx"},
        {"/d/clock.", "/d/clock.ocx"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(OcxNameFor(path), expected) << path;
}
