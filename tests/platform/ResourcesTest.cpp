#include "platform/CResources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::filesystem::path(VESTRIAL_SOURCE_DIR) / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> ToVector(std::span<const unsigned char> bytes) {
    return {bytes.begin(), bytes.end()};
}

// ---- Lookup by name ----

TEST(ResourceLookup, FindsAFileByItsPathBelowTheFolder) {
    const auto blank = FindResource("about/blank.htm");
    ASSERT_TRUE(blank.has_value());
    EXPECT_FALSE(blank->empty());
}

TEST(ResourceLookup, IgnoresAsciiLetterCase) {
    const auto exact = FindResource("about/blank.htm");
    ASSERT_TRUE(exact.has_value());
    for (const char* name : {"ABOUT/BLANK.HTM", "About/Blank.Htm", "aBoUt/BlAnK.hTm"}) {
        const auto found = FindResource(name);
        ASSERT_TRUE(found.has_value()) << name;
        EXPECT_EQ(found->data(), exact->data()) << name;
        EXPECT_EQ(found->size(), exact->size()) << name;
    }
}

TEST(ResourceLookup, MissingOrInexactNamesAreNotFound) {
    for (const char* name :
         {"about/missing.htm", "", "about", "about/", "blank.htm", "about/blank.ht",
          "about/blank.htm ", "/about/blank.htm", "about\\blank.htm", "about/blank.htm/x"}) {
        EXPECT_FALSE(FindResource(name).has_value()) << '"' << name << '"';
    }
}

// ---- Contents ----

TEST(ResourceContents, AreTheBytesOfTheFileOnDisk) {
    const auto onDisk = ReadSourceFile("resources/about/blank.htm");
    ASSERT_FALSE(onDisk.empty());
    const auto blank = FindResource("about/blank.htm");
    ASSERT_TRUE(blank.has_value());
    EXPECT_EQ(ToVector(*blank), onDisk);
}

// ---- The whole table ----

TEST(ResourceTable, ListsEveryResourceUnderItsOwnName) {
    bool sawBlank = false;
    for (const CResource& resource : AllResources()) {
        sawBlank = sawBlank || resource.name == "about/blank.htm";
        const auto found = FindResource(resource.name);
        ASSERT_TRUE(found.has_value()) << resource.name;
        EXPECT_EQ(found->data(), resource.bytes.data()) << resource.name;
        EXPECT_EQ(found->size(), resource.bytes.size()) << resource.name;
    }
    EXPECT_TRUE(sawBlank);
}

TEST(ResourceTable, EveryEntryMatchesItsFileOnDisk) {
    for (const CResource& resource : AllResources()) {
        EXPECT_EQ(ToVector(resource.bytes),
                  ReadSourceFile("resources/" + std::string(resource.name)))
            << resource.name;
    }
}

TEST(ResourceTable, LeavesOutHiddenFilesAndUsesForwardSlashes) {
    for (const CResource& resource : AllResources()) {
        const std::string name(resource.name);
        EXPECT_NE(name.front(), '.') << name;
        EXPECT_EQ(name.find("/."), std::string::npos) << name;
        EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    }
}

} // namespace
