#include "platform/CRegFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <variant>

using namespace std::string_literals;

namespace {

const RegValue* Find(const RegTree& tree, RegRoot root, std::string_view key,
                     std::string_view name) {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names)) {
        return nullptr;
    }
    const CRegKey* found = &tree.Root(root);
    for (const std::string_view part : names) {
        if (!(found = found->FindChild(part))) {
            return nullptr;
        }
    }
    return found->FindValue(name);
}

std::string StringAt(const RegTree& tree, std::string_view key, std::string_view name) {
    const RegValue* value = Find(tree, RegRoot::CurrentUser, key, name);
    return value && std::holds_alternative<std::string>(value->data)
               ? std::get<std::string>(value->data)
               : "<missing>";
}

RegTree RoundTrip(const RegTree& tree) {
    RegParseResult again = CRegFile::Parse(CRegFile::Serialise(tree));
    EXPECT_EQ(again.error, "");
    return std::move(again.tree);
}

} // namespace

TEST(RegFile, WritesTheRegeditLayout) {
    RegTree tree;
    CRegKey& network = tree.currentUser.EnsureChild("Software").EnsureChild("Network");
    network.SetValue("", std::string("default"));
    network.SetValue("Proxy \"x\"", std::string("C:\\path"));
    network.SetValue("Port", uint32_t{31});
    network.SetValue("Crlf", std::string("a\r\n"));
    network.SetValue("Latin", std::string("caf\xe9"));

    EXPECT_EQ(CRegFile::Serialise(tree), "REGEDIT4\n\n"
                                         "[HKEY_CURRENT_USER\\Software\\Network]\n"
                                         "@=\"default\"\n"
                                         "\"Proxy \\\"x\\\"\"=\"C:\\\\path\"\n"
                                         "\"Port\"=dword:0000001f\n"
                                         "\"Crlf\"=hex(1):61,0d,0a,00\n"
                                         "\"Latin\"=\"caf\xe9\"\n\n");
}

TEST(RegFile, AcceptsWhatRegeditAndEditorsProduce) {
    const RegParseResult parsed = CRegFile::Parse("REGEDIT4\r\n\r\n; a comment\r\n"
                                                  "[hkey_current_user\\Software]\r\n"
                                                  "\"Wrapped\"=hex(1):41,42,\\\r\n  43,00\r\n"
                                                  "\"Short\"=DWORD:1F\r\n"
                                                  "  \"Spaced\" = \"v\"  \r\n");
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(StringAt(parsed.tree, "Software", "Wrapped"), "ABC");
    EXPECT_EQ(StringAt(parsed.tree, "Software", "Spaced"), "v");
    const RegValue* dword = Find(parsed.tree, RegRoot::CurrentUser, "Software", "Short");
    ASSERT_NE(dword, nullptr);
    EXPECT_EQ(dword->data, RegData(uint32_t{0x1f}));
}

TEST(RegFile, LaterSectionsMergeIntoTheFirstSpelling) {
    const RegParseResult parsed = CRegFile::Parse("REGEDIT4\n[HKEY_CURRENT_USER\\Soft]\n"
                                                  "\"a\"=\"1\"\n\"b\"=\"2\"\n"
                                                  "[HKEY_CURRENT_USER\\SOFT]\n\"A\"=\"3\"\n");
    ASSERT_EQ(parsed.error, "");
    const CRegKey& soft = *parsed.tree.currentUser.Children().at(0);
    EXPECT_EQ(soft.Name(), "Soft");
    ASSERT_EQ(soft.Values().size(), 2u);
    EXPECT_EQ(soft.Values()[0], (RegValue{"a", std::string("3")}));
    EXPECT_EQ(parsed.entries, 3u);
}

TEST(RegFile, LongHexStringsWrapAndComeBack) {
    RegTree tree;
    std::string value(5000, '\t');
    value[1234] = '\0';
    tree.classesRoot.EnsureChild("CLSID").SetValue("Blob", value);
    const std::string text = CRegFile::Serialise(tree);
    EXPECT_NE(text.find(",\\\n  "), std::string::npos);
    EXPECT_EQ(RoundTrip(tree), tree);
}

TEST(RegFile, TheLargestThingsWeWriteStillLoad) {
    RegTree tree;
    CRegKey* key = &tree.currentUser;
    for (size_t depth = 0; depth < CRegFile::kMaxDepth; ++depth) {
        key = &key->EnsureChild(std::string(CRegFile::kMaxKeyNameBytes, 'k'));
    }
    const std::string name(CRegFile::kMaxValueNameBytes, '"');
    key->SetValue(name, std::string(CRegFile::kMaxStringBytes, '\\'));
    key->SetValue("hex", std::string(CRegFile::kMaxStringBytes, '\n'));
    EXPECT_EQ(RoundTrip(tree), tree);
}

TEST(RegFile, KeyPathsThatCannotBeWrittenAreRejected) {
    std::vector<std::string_view> names;
    EXPECT_TRUE(CRegFile::SplitKeyPath("", names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(CRegFile::SplitKeyPath("A\\b c\\]", names));
    EXPECT_EQ(names.size(), 3u);
    EXPECT_FALSE(CRegFile::SplitKeyPath("\\A", names));
    EXPECT_FALSE(CRegFile::SplitKeyPath("A\\", names));
    EXPECT_FALSE(CRegFile::SplitKeyPath("A\\\\B", names));
    EXPECT_FALSE(CRegFile::SplitKeyPath("A\nB", names));
    EXPECT_FALSE(CRegFile::SplitKeyPath(std::string(256, 'a'), names));
    std::string deep = "a";
    for (size_t i = 0; i < CRegFile::kMaxDepth; ++i) {
        deep += "\\a";
    }
    EXPECT_FALSE(CRegFile::SplitKeyPath(deep, names));
}

struct DamagedCase {
    const char* what;
    std::string text;
};

class RegFileDamage : public testing::TestWithParam<DamagedCase> {};

TEST_P(RegFileDamage, IsRejectedWithAReason) {
    const RegParseResult parsed = CRegFile::Parse(GetParam().text);
    EXPECT_NE(parsed.error, "") << GetParam().what;
    EXPECT_EQ(parsed.tree, RegTree()) << GetParam().what;
}

std::string DeepSection(size_t depth) {
    std::string line = "REGEDIT4\n[HKEY_CURRENT_USER";
    for (size_t i = 0; i < depth; ++i) {
        line += "\\k";
    }
    return line + "]\n";
}

const std::string kKey = "REGEDIT4\n[HKEY_CURRENT_USER\\k]\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RegFileDamage,
    testing::Values(DamagedCase{"empty", ""},
                    DamagedCase{"unicode header", "Windows Registry Editor Version 5.00\n"},
                    DamagedCase{"value outside a key", "REGEDIT4\n\"a\"=\"b\"\n"},
                    DamagedCase{"bad escape", kKey + "\"a\"=\"b\\n\"\n"},
                    DamagedCase{"unterminated", kKey + "\"a\"=\"b\n"},
                    DamagedCase{"text after string", kKey + "\"a\"=\"b\"c\n"},
                    DamagedCase{"missing =", kKey + "\"a\" \"b\"\n"},
                    DamagedCase{"truncated hex", kKey + "\"a\"=hex(1):41,4\n"},
                    DamagedCase{"trailing comma", kKey + "\"a\"=hex(1):41,\n"},
                    DamagedCase{"continuation at end", kKey + "\"a\"=hex(1):41,\\\n"},
                    DamagedCase{"no terminator", kKey + "\"a\"=hex(1):41\n"},
                    DamagedCase{"binary type", kKey + "\"a\"=hex:41,00\n"},
                    DamagedCase{"dword too long", kKey + "\"a\"=dword:123456789\n"},
                    DamagedCase{"dword not hex", kKey + "\"a\"=dword:12x4\n"},
                    DamagedCase{"dword empty", kKey + "\"a\"=dword:\n"},
                    DamagedCase{"unknown root", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n"},
                    DamagedCase{"deletion", "REGEDIT4\n[-HKEY_CURRENT_USER\\k]\n"},
                    DamagedCase{"unclosed section", "REGEDIT4\n[HKEY_CURRENT_USER\\k\n"},
                    DamagedCase{"empty key name", "REGEDIT4\n[HKEY_CURRENT_USER\\a\\\\b]\n"},
                    DamagedCase{"trailing backslash", "REGEDIT4\n[HKEY_CURRENT_USER\\]\n"},
                    DamagedCase{"NUL in key name", "REGEDIT4\n[HKEY_CURRENT_USER\\a\0]\n"s},
                    DamagedCase{"too deep", DeepSection(CRegFile::kMaxDepth + 1)},
                    DamagedCase{"stray text", kKey + "garbage\n"}),
    [](const testing::TestParamInfo<DamagedCase>& info) {
        std::string name = info.param.what;
        std::replace_if(
            name.begin(), name.end(),
            [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// The oversized texts are built in the tests, not in the case table: every
// test process of the suite builds the whole table when it starts.
TEST(RegFile, ALineOfExactlyTheLimitLoadsAndOneMoreIsDamage) {
    const auto line = [](size_t bytes) { return kKey + ";" + std::string(bytes - 1, 'x') + "\n"; };
    EXPECT_EQ(CRegFile::Parse(line(CRegFile::kMaxLineBytes)).error, "");
    EXPECT_NE(CRegFile::Parse(line(CRegFile::kMaxLineBytes + 1)).error, "");
}

TEST(RegFile, AFileOfExactlyTheLimitLoadsAndOneMoreIsDamage) {
    const auto file = [](size_t bytes) { return kKey + std::string(bytes - kKey.size(), '\n'); };
    EXPECT_EQ(CRegFile::Parse(file(CRegFile::kMaxFileBytes)).error, "");
    EXPECT_NE(CRegFile::Parse(file(CRegFile::kMaxFileBytes + 1)).error, "");
}

TEST(RegFile, TheDeepestAllowedKeyLoads) {
    EXPECT_EQ(CRegFile::Parse(DeepSection(CRegFile::kMaxDepth)).error, "");
}

TEST(RegFile, TooManyEntriesIsDamage) {
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\k]\n";
    for (size_t i = 0; i < CRegFile::kMaxEntries; ++i) {
        text += "\"" + std::to_string(i) + "\"=dword:0\n";
    }
    EXPECT_NE(CRegFile::Parse(text).error, "");
}
