#include "support/TempDir.h"

#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "platform/CRegistry.h"
#include "platform/ui/CommandIds.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Hotlist : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(m_marks);
        ASSERT_TRUE(m_registry.SetString(RegRoot::CurrentUser,
                                         "Software\\Vestrial\\Vestrial\\Directories",
                                         "Bookmark Storage", m_marks.string() + "/"));
        // Long enough that the file takes more than one chunk to write.
        CBookmarkList old;
        old.Add(std::string(600, 'o'), "about:old");
        ASSERT_TRUE(old.Save(m_file.string()));
        m_oldText = FileText(m_file);
    }

    CContentHandlers m_handlers;
    TempDir m_dir;
    CRegistry m_registry{m_dir.Path() / "registry.reg"};
    CHeadlessBackend m_ui;
    std::filesystem::path m_marks = m_dir.Path() / "marks";
    std::filesystem::path m_file = m_marks / "bookmark.dat";
    std::string m_oldText;
};

} // namespace

// The disk fills up after the first chunk: the user hears of it, the old
// file stays as it was, and the list in memory keeps the new entry.
TEST_F(Hotlist, SaveFailingHalfWayKeepsTheOldFile) {
    CTarnwickApp app(m_ui, m_registry);
    CCommandLine commandLine;
    commandLine.target = "about:license.htm";
    app.QuitWhenIdle();
    ASSERT_TRUE(app.InitInstance(commandLine));
    ASSERT_EQ(app.Run(), 0);
    ASSERT_EQ(app.Bookmarks().GetCount(), 1u);
    size_t calls = 0;
    app.SetBookmarkWriter([&calls](int fd, const char* data, size_t size) -> long {
        if (++calls > 1) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    });
    m_ui.ChooseCommand(CommandId::AddToHotlist);
    EXPECT_EQ(calls, 2u) << "the file fit in one chunk; the failure was never reached";
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text,
              "The bookmark file " + m_file.string() + " could not be written to.");
    EXPECT_EQ(FileText(m_file), m_oldText);
    ASSERT_EQ(app.Bookmarks().GetCount(), 2u);
    EXPECT_EQ(app.Bookmarks().GetUrl(1), "about:license.htm");
}
