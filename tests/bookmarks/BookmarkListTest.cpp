#include "support/TempDir.h"

#include "bookmarks/ArchiveString.h"
#include "bookmarks/CBookmarkList.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes Prefix(const Bytes& bytes, size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

CBookmarkList ListOf(std::initializer_list<std::pair<const char*, const char*>> entries) {
    CBookmarkList list;
    for (const auto& [title, url] : entries)
        list.Add(title, url);
    return list;
}

std::vector<std::string> Titles(const CBookmarkList& list) {
    std::vector<std::string> titles;
    for (size_t i = 0; i < list.GetCount(); ++i)
        titles.push_back(list.GetTitle(i));
    return titles;
}

} // namespace

// Each length is written in the shortest form its range allows, and reads
// back whole: the edges of the one-byte, 16-bit and 32-bit forms.
TEST(ArchiveString, LengthFormsAtTheirEdges) {
    struct Case {
        size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'a');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('a' + i % 26);
        Bytes out;
        ASSERT_TRUE(ArchiveString::Append(out, text));
        ASSERT_EQ(out.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Prefix(out, c.prefix.size()), c.prefix);
        ArchiveString::CReader reader(out);
        EXPECT_EQ(reader.ReadString(), text);
        EXPECT_EQ(reader.Left(), 0u);
    }
}

// Other writers put 65534 in the 16-bit form; it is a length there too.
TEST(ArchiveString, ReaderTakesSixteenBitLengthOf65534) {
    Bytes bytes{0xFF, 0xFE, 0xFF};
    bytes.resize(bytes.size() + 65534, 'x');
    ArchiveString::CReader reader(bytes);
    std::optional<std::string> text = reader.ReadString();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 65534u);
}

// A string that ends one byte early is refused, one that fits exactly is
// read, in every form.
TEST(ArchiveString, LengthAgainstBytesLeft) {
    for (size_t length : {size_t{10}, size_t{300}, size_t{70000}}) {
        SCOPED_TRACE(length);
        Bytes whole;
        ASSERT_TRUE(ArchiveString::Append(whole, std::string(length, 'q')));
        EXPECT_TRUE(ArchiveString::CReader(whole).ReadString());
        for (size_t cut : {size_t{1}, length, length + 1})
            EXPECT_FALSE(ArchiveString::CReader(Prefix(whole, whole.size() - cut)).ReadString())
                << "cut " << cut;
    }
}

TEST(BookmarkList, EditingOperations) {
    CBookmarkList list = ListOf({{"A", "a:"}, {"B", "b:"}, {"C", "c:"}});
    list.MoveUp(1);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"B", "A", "C"}));
    list.MoveDown(1);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"B", "C", "A"}));
    list.SetAt(2, "Z", "z:");
    list.RemoveAt(0);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"C", "Z"}));
    EXPECT_EQ(list.GetUrl(1), "z:");
    CBookmarkList copy = ListOf({{"old", "old:"}});
    copy.CopyFrom(list);
    EXPECT_EQ(copy, list);
}

TEST(BookmarkFile, FourZeroBytesAreAnEmptyList) {
    CBookmarkList list = ListOf({{"stale", "stale:"}});
    EXPECT_EQ(list.LoadFrom(Bytes{0, 0, 0, 0}), BookmarkLoadResult::Loaded);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(CBookmarkList().Serialise(), (Bytes{0, 0, 0, 0}));
}

// The URL comes before the title in each entry.
TEST(BookmarkFile, BytesOfOneEntry) {
    const Bytes expected{1, 0, 0, 0, 3, 'u', ':', 'x', 2, 'T', 'i'};
    EXPECT_EQ(ListOf({{"Ti", "u:x"}}).Serialise(), expected);
    CBookmarkList list;
    EXPECT_EQ(list.LoadFrom(expected), BookmarkLoadResult::Loaded);
    EXPECT_EQ(list, ListOf({{"Ti", "u:x"}}));
}

TEST(BookmarkFile, LongStringsRoundTripThroughTheFile) {
    TempDir dir;
    const std::string path = (dir.Path() / "bookmark.dat").string();
    CBookmarkList list;
    list.Add(std::string(300, 't'), "http://short/");
    list.Add(std::string(70000, 'T'), std::string(70000, 'U'));
    ASSERT_TRUE(list.Save(path));
    Bytes bytes = FileBytes(path);
    // Count 2, URL of 13, then the 300-character title.
    EXPECT_EQ(Bytes(bytes.begin() + 18, bytes.begin() + 21), (Bytes{0xFF, 0x2C, 0x01}));
    CBookmarkList read;
    EXPECT_EQ(read.Load(path), BookmarkLoadResult::Loaded);
    EXPECT_EQ(read, list);
}

// Damage anywhere keeps the entries read before it.
TEST(BookmarkFile, DamagedFiles) {
    const Bytes one = ListOf({{"One", "one:"}}).Serialise();
    Bytes countTwo = one;
    countTwo[0] = 2;
    struct Case {
        const char* name;
        Bytes bytes;
        size_t entries;
    };
    const Case cases[] = {
        {"empty file", {}, 0},
        {"count cut short", {1, 0, 0}, 0},
        {"count 2, one entry", countTwo, 1},
        {"count 4,000,000,000 in ten bytes", {0x00, 0x28, 0x6B, 0xEE, 1, 'a', 1, 'b', 1, 'c'}, 1},
        {"title cut short", Prefix(one, one.size() - 1), 0},
        {"title missing", Prefix(one, 4 + 5), 0},
        {"32-bit length over the end", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBookmarkList list;
        EXPECT_EQ(list.LoadFrom(c.bytes), BookmarkLoadResult::Damaged);
        EXPECT_EQ(list.GetCount(), c.entries);
    }
}

TEST(BookmarkFile, MissingFileLoadsNothingAndSaysNothing) {
    TempDir dir;
    CBookmarkList list = ListOf({{"stale", "stale:"}});
    EXPECT_EQ(list.Load((dir.Path() / "bookmark.dat").string()), BookmarkLoadResult::Missing);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST(BookmarkFile, SavingKeepsTheFilesPermissions) {
    TempDir dir;
    const std::filesystem::path path = dir.Path() / "bookmark.dat";
    const CBookmarkList list = ListOf({{"t", "u:"}});
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(list.Save(path.string()));
    struct stat made {};
    ASSERT_EQ(::stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0644u) << "a new file takes what the umask leaves";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(list.Save(path.string()));
    ASSERT_EQ(::stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0640u) << "a file saved again keeps its own";
    ::umask(mask);
}

class BookmarkSave : public ::testing::Test {
protected:
    void SetUp() override {
        // Two entries of 400 bytes: the file takes two chunks of the buffer.
        ASSERT_TRUE(m_old.Save(m_path));
        m_oldBytes = FileBytes(m_path);
        m_new.Add(std::string(400, 'n'), std::string(400, 'N'));
        m_new.Add(std::string(400, 'm'), std::string(400, 'M'));
    }
    // The old file is as it was, and no temporary file is left beside it.
    void ExpectOldFileIntact() {
        EXPECT_EQ(FileBytes(m_path), m_oldBytes);
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            files += entry.is_regular_file();
        EXPECT_EQ(files, 1u);
    }

    TempDir m_dir;
    std::string m_path = (m_dir.Path() / "bookmark.dat").string();
    CBookmarkList m_old = ListOf({{"Old", "http://old/"}});
    Bytes m_oldBytes;
    CBookmarkList m_new;
};

TEST_F(BookmarkSave, ReplacesTheFileWhole) {
    ASSERT_TRUE(m_new.Save(m_path));
    EXPECT_EQ(FileBytes(m_path), m_new.Serialise());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
}

// The disk fills up at the first byte, half-way (the second chunk), or the
// last chunk: the old file stays.
TEST_F(BookmarkSave, FailedWriteKeepsTheOldFile) {
    const size_t total = m_new.Serialise().size();
    ASSERT_GT(total, 2 * CBookmarkList::WriteChunk);
    for (size_t failAt : {size_t{0}, CBookmarkList::WriteChunk, total - 1}) {
        SCOPED_TRACE(failAt);
        size_t written = 0;
        auto write = [&](int fd, const char* data, size_t size) -> long {
            if (written + size > failAt) {
                // What fits goes out; the next write finds the disk full.
                size_t fits = failAt - written;
                if (fits == 0) {
                    errno = ENOSPC;
                    return -1;
                }
                size = fits;
            }
            long result = ::write(fd, data, size);
            written += static_cast<size_t>(result);
            return result;
        };
        EXPECT_FALSE(m_new.Save(m_path, write));
        ExpectOldFileIntact();
    }
}

// Short writes are not failures: the rest follows.
TEST_F(BookmarkSave, ShortWritesStillSaveEverything) {
    auto write = [](int fd, const char* data, size_t size) -> long {
        return ::write(fd, data, std::min<size_t>(size, 7));
    };
    ASSERT_TRUE(m_new.Save(m_path, write));
    EXPECT_EQ(FileBytes(m_path), m_new.Serialise());
}

// Takes the right to make files away from a directory for a scope: by its
// mode, or for root, whom modes do not stop, by the immutable attribute.
class CUnwritableDirectory {
public:
    explicit CUnwritableDirectory(const std::filesystem::path& path) : m_path(path.string()) {
        if (::geteuid() != 0) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
            m_made = true;
        } else {
            m_immutable = std::system(("chattr +i '" + m_path + "' 2>/dev/null").c_str()) == 0;
            m_made = m_immutable;
        }
    }
    ~CUnwritableDirectory() {
        if (m_immutable)
            EXPECT_EQ(std::system(("chattr -i '" + m_path + "'").c_str()), 0);
        else if (m_made)
            std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
    }
    CUnwritableDirectory(const CUnwritableDirectory&) = delete;
    CUnwritableDirectory& operator=(const CUnwritableDirectory&) = delete;
    [[nodiscard]] bool Made() const { return m_made; }

private:
    std::string m_path;
    bool m_made = false;
    bool m_immutable = false;
};

TEST_F(BookmarkSave, UnwritableDirectoryKeepsTheOldFile) {
    {
        CUnwritableDirectory locked(m_dir.Path());
        if (!locked.Made())
            GTEST_SKIP() << "root, and chattr cannot make the directory immutable here";
        EXPECT_FALSE(m_new.Save(m_path));
    }
    ExpectOldFileIntact();
}

// Nothing can be made where the directory should be, even by root.
TEST_F(BookmarkSave, DirectoryThatIsNoDirectoryFails) {
    EXPECT_FALSE(m_new.Save((m_dir.Path() / "bookmark.dat" / "bookmark.dat").string()));
    EXPECT_FALSE(m_new.Save((m_dir.Path() / "missing" / "bookmark.dat").string()));
    ExpectOldFileIntact();
}
