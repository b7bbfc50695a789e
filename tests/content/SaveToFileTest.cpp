#include "content/CSaveToFileObject.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const std::string WriteFailed =
    "An error occured while writing to the disk. The file may not have been saved correctly.";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Listing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Feeds bytes in uneven pieces, the way a transfer delivers them.
std::unique_ptr<CSaveToFileObject> ObjectHolding(const std::string& bytes) {
    auto object =
        std::make_unique<CSaveToFileObject>("http://h/a/b.bin", "application/octet-stream");
    for (size_t at = 0; at < bytes.size(); at += 1000)
        object->Write(bytes.data() + at, std::min<size_t>(1000, bytes.size() - at));
    return object;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

class SaveTo : public testing::Test {
protected:
    TempDir m_dir;
};

TEST_F(SaveTo, WritesTheStoredBytesExactly) {
    const std::string payloads[] = {
        "", "hello", std::string("a\0b\0\0c", 6), Pattern(8192), Pattern(10001),
    };
    for (const std::string& bytes : payloads) {
        SCOPED_TRACE(bytes.size());
        std::filesystem::path target = m_dir.Path() / "out.bin";
        EXPECT_EQ(ObjectHolding(bytes)->SaveTo(target.string()), "");
        EXPECT_EQ(ReadFile(target), bytes);
        EXPECT_EQ(Listing(m_dir.Path()), std::vector<std::string>{"out.bin"});
    }
}

TEST_F(SaveTo, ReplacesAnExistingFileWhole) {
    std::filesystem::path target = m_dir.Path() / "out.bin";
    std::ofstream(target, std::ios::binary) << Pattern(20000);
    EXPECT_EQ(ObjectHolding("short")->SaveTo(target.string()), "");
    EXPECT_EQ(ReadFile(target), "short");
}

TEST_F(SaveTo, MissingDirectoryReportsThePathAndCreatesNothing) {
    std::string target = (m_dir.Path() / "missing" / "out.bin").string();
    EXPECT_EQ(ObjectHolding("data")->SaveTo(target),
              "The file \"" + target + "\" could not be opened for writing.");
    EXPECT_TRUE(Listing(m_dir.Path()).empty());
}

TEST_F(SaveTo, DirectoryAsTargetReportsAWriteErrorAndLeavesNoTemporaryFile) {
    std::filesystem::path target = m_dir.Path() / "target";
    std::filesystem::create_directory(target);
    EXPECT_EQ(ObjectHolding(Pattern(5000))->SaveTo(target.string()), WriteFailed);
    EXPECT_EQ(Listing(m_dir.Path()), std::vector<std::string>{"target"});
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_TRUE(Listing(target).empty());
}

TEST(ProposedSaveName, IsTheTextAfterTheLastSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/a/b.bin", "b.bin"},
        {"http://h/a/", ""},
        {"C:\\x\\y.txt", "C:\\x\\y.txt"},
        {"about:blank", "about:blank"},
    };
    for (const auto& [url, name] : cases)
        EXPECT_EQ(ProposedSaveName(url), name) << url;
}

} // namespace
