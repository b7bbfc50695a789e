#include "platform/version/ProductVersion.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct ElfOptions {
    bool is64 = true;
    bool bigEndian = false;
    uint32_t sectionType = 7;
    uint16_t shentsize = 0;   // 0: the right one
    int64_t sizeAdjust = 0;   // added to the note section's size
    int64_t offsetAdjust = 0; // added to its offset
};

void Put(Bytes& out, size_t at, uint64_t value, size_t size, bool be) {
    if (out.size() < at + size)
        out.resize(at + size);
    for (size_t i = 0; i < size; ++i)
        out[at + (be ? size - 1 - i : i)] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes Note(const std::string& owner, uint32_t type, const Bytes& desc, bool be) {
    Bytes note;
    Put(note, 0, owner.size() + 1, 4, be);
    Put(note, 4, desc.size(), 4, be);
    Put(note, 8, type, 4, be);
    note.insert(note.end(), owner.begin(), owner.end());
    note.push_back(0);
    note.resize((note.size() + 3) / 4 * 4);
    note.insert(note.end(), desc.begin(), desc.end());
    note.resize((note.size() + 3) / 4 * 4);
    return note;
}

Bytes Text(const std::string& text, bool nul = true) {
    Bytes b(text.begin(), text.end());
    if (nul)
        b.push_back(0);
    return b;
}

// An ELF file of a header, one note section's bytes and two section
// headers (the null one and the note section).
Bytes MakeElf(const Bytes& notes, const ElfOptions& o = {}) {
    const bool be = o.bigEndian;
    const size_t header = o.is64 ? 64 : 52, entry = o.is64 ? 64 : 40;
    Bytes f(header);
    f[0] = 0x7f, f[1] = 'E', f[2] = 'L', f[3] = 'F';
    f[4] = o.is64 ? 2 : 1;
    f[5] = be ? 2 : 1;
    f[6] = 1;
    f.insert(f.end(), notes.begin(), notes.end());
    f.resize((f.size() + 7) / 8 * 8);
    const size_t shoff = f.size();
    f.resize(shoff + 2 * entry);
    const size_t s = shoff + entry;
    const uint64_t offset = header + o.offsetAdjust, size = notes.size() + o.sizeAdjust;
    Put(f, s + 4, o.sectionType, 4, be);
    if (o.is64) {
        Put(f, 0x28, shoff, 8, be);
        Put(f, 0x3A, o.shentsize ? o.shentsize : entry, 2, be);
        Put(f, 0x3C, 2, 2, be);
        Put(f, s + 24, offset, 8, be);
        Put(f, s + 32, size, 8, be);
        Put(f, s + 48, 4, 8, be);
    } else {
        Put(f, 0x20, shoff, 4, be);
        Put(f, 0x2E, o.shentsize ? o.shentsize : entry, 2, be);
        Put(f, 0x30, 2, 2, be);
        Put(f, s + 16, offset, 4, be);
        Put(f, s + 20, size, 4, be);
        Put(f, s + 32, 4, 4, be);
    }
    return f;
}

Bytes Cut(Bytes file, size_t size) {
    file.resize(size);
    return file;
}

std::string Version(const Bytes& file) {
    return ProductVersionFromBytes(file);
}

} // namespace

TEST(ProductVersion, ReadsTheNoteOfEveryElfShape) {
    for (bool is64 : {true, false})
        for (bool be : {false, true}) {
            SCOPED_TRACE(std::to_string(is64) + std::to_string(be));
            ElfOptions o{.is64 = is64, .bigEndian = be};
            EXPECT_EQ(Version(MakeElf(Note("Vestrial", 1, Text("1.2.3.4"), be), o)), "1.2.3.4");
        }
}

TEST(ProductVersion, BoundsAndMismatches) {
    const Bytes good = Note("Vestrial", 1, Text("3.1"), false);
    Bytes second = Note("GNU", 3, Text("abcdefgh", false), false);
    second.insert(second.end(), good.begin(), good.end());
    struct Case {
        const char* name;
        Bytes file;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", MakeElf(good), "3.1"},
        {"after another note", MakeElf(second), "3.1"},
        {"longest text", MakeElf(Note("Vestrial", 1, Text(std::string(255, '9')), false)),
         std::string(255, '9')},
        {"one too long", MakeElf(Note("Vestrial", 1, Text(std::string(256, '9')), false)), ""},
        {"text without its NUL", MakeElf(Note("Vestrial", 1, Text("3.1", false), false)), ""},
        {"empty text", MakeElf(Note("Vestrial", 1, Text(""), false)), ""},
        {"other owner", MakeElf(Note("Vestriak", 1, Text("3.1"), false)), ""},
        {"owner a prefix", MakeElf(Note("Vestria", 1, Text("3.1"), false)), ""},
        {"other type", MakeElf(Note("Vestrial", 2, Text("3.1"), false)), ""},
        {"empty note section", MakeElf({}), ""},
        {"not a note section", MakeElf(good, {.sectionType = 1}), ""},
        {"section one short of its note", MakeElf(good, {.sizeAdjust = -1}), ""},
        {"section past the file's end", MakeElf(good, {.offsetAdjust = 1 << 20}), ""},
        {"section headers too small", MakeElf(good, {.shentsize = 63}), ""},
        {"not ELF", Text("#!/bin/sh\nexit 0\n"), ""},
        {"cut inside the header", Cut(MakeElf(good), 40), ""},
        {"empty", {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Version(c.file), c.expected) << c.name;
}

// The sample controls carry the version CMake gave them; a control built
// without one has none; readelf, an independent reader, sees the same note.
TEST(ProductVersion, SampleControlsCarryTheirVersion) {
    const std::string controls = VESTRIAL_CONTROLS_DIR;
    EXPECT_EQ(ReadProductVersion(controls + "/clock.ocx"), "1.0.0.1");
    EXPECT_EQ(ReadProductVersion(controls + "/fetch.ocx"), "1.0.0.1");
    const std::string testControls = VESTRIAL_TEST_CONTROLS_DIR;
    EXPECT_EQ(ReadProductVersion(testControls + "/noentry.ocx"), "");
    EXPECT_EQ(ReadProductVersion(controls + "/missing.ocx"), "");

    std::string command = "readelf --notes --wide '" + controls + "/clock.ocx'";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(output.find("Vestrial             0x00000008"), std::string::npos) << output;

    // The file itself, read as bytes, gives the same.
    std::ifstream in(controls + "/clock.ocx", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(ProductVersionFromBytes(bytes), "1.0.0.1");
}
