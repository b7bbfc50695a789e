#include "support/PipelineFixture.h"

#include "content/FileNames.h"
#include "platform/CResources.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class LocalSchemes : public PipelineTest {
protected:
    LocalSchemes() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vestrial-files-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
    }
    ~LocalSchemes() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path MakeFile(const std::string& name, const std::string& bytes) {
        std::filesystem::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    CMimeDynamicLoad* Load(const std::string& url, Method method = Method::Get) {
        auto* load = m_owner.NewLoad<CMimeDynamicLoad>(url, method, "", "");
        Scheduler().Start(load);
        RunUntilFinished(m_owner, load);
        return load;
    }

    CTestTextObject* TextOf(CDynamicLoad* load) {
        return dynamic_cast<CTestTextObject*>(load->GetObject());
    }

    std::filesystem::path m_dir;
    CRecordingOwner m_owner;
};

} // namespace

TEST_F(LocalSchemes, FileWithEscapedBlankIsReadAndTypedByExtension) {
    auto path = MakeFile("a b.htm", "<p>hello</p>");
    auto* load = Load(FileUrlFromPath(path.string()));
    ASSERT_NE(TextOf(load), nullptr);
    EXPECT_EQ(TextOf(load)->Data(), "<p>hello</p>");
    EXPECT_EQ(TextOf(load)->ContentType(), "text/html");
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(TextOf(load)->Ends(), 1);
    EXPECT_EQ(m_lastStatus, FormatText("%u bytes read from file %s", {12u, path.string()}));
}

// Blocks of at most 4096 bytes, however much one read takes; a file ending on
// a block's edge ends with an empty block.
TEST_F(LocalSchemes, FilesAreDeliveredInBlocksEndingWithAShortOrEmptyOne) {
    const auto blocks = [](size_t full, std::vector<size_t> tail) {
        std::vector<size_t> writes(full, 4096);
        writes.insert(writes.end(), tail.begin(), tail.end());
        return writes;
    };
    const std::pair<size_t, std::vector<size_t>> cases[] = {
        {0, {0}},
        {1, {1}},
        {4095, {4095}},
        {4096, {4096, 0}},
        {4097, {4096, 1}},
        {65535, blocks(15, {4095})},
        {65536, blocks(16, {0})},
        {65537, blocks(16, {1})},
        {3 * 65536 + 8192, blocks(50, {0})},
    };
    for (const auto& [size, writes] : cases) {
        auto path = MakeFile("block" + std::to_string(size) + ".htm", std::string(size, 'x'));
        auto* load = Load(FileUrlFromPath(path.string()));
        ASSERT_NE(TextOf(load), nullptr) << size;
        EXPECT_EQ(TextOf(load)->Writes(), writes) << size;
        EXPECT_EQ(load->Result(), Status::Complete) << size;
    }
}

TEST_F(LocalSchemes, DriveStyleUrlNamesAnAbsolutePath) {
    std::filesystem::create_directories(m_dir / "C:" / "dir");
    MakeFile("C:/dir/a b.htm", "drive");
    std::string url = "file:///" + m_dir.string().substr(1) + "/C|/dir/a%20b.htm";
    auto* load = Load(url);
    ASSERT_NE(TextOf(load), nullptr) << load->ErrorText() << " result " << int(load->Result());
    EXPECT_EQ(TextOf(load)->Data(), "drive");
}

TEST_F(LocalSchemes, FileWithoutKnownExtensionIsOfferedForSaving) {
    auto path = MakeFile("readme", "plain bytes");
    auto* load = Load(FileUrlFromPath(path.string()));
    ASSERT_NE(load->GetObject(), nullptr);
    EXPECT_EQ(load->GetObject()->ContentType(), "unknown");
    EXPECT_EQ(load->GetObject()->GetCaps(), Caps::Action);
}

TEST_F(LocalSchemes, FileFailuresCarryTheirMessages) {
    std::string missing = (m_dir / "missing.htm").string();
    struct Case {
        std::string url;
        Method method;
        std::string message;
    } cases[] = {
        {FileUrlFromPath(missing), Method::Get, FormatString(StringId::FileOpenFailed, {missing})},
        {FileUrlFromPath(missing), Method::Post,
         FormatString(StringId::MethodNotSupported, {"file"})},
        {"file://host/x.htm", Method::Get,
         FormatString(StringId::InvalidUrl, {"file://host/x.htm"})},
    };
    for (const Case& c : cases) {
        auto* load = Load(c.url, c.method);
        EXPECT_EQ(load->Result(), Status::Failed) << c.url;
        EXPECT_EQ(load->ErrorText(), c.message) << c.url;
        EXPECT_EQ(load->GetObject(), nullptr);
    }
    EXPECT_EQ(FormatString(StringId::MethodNotSupported, {"file"}),
              "The file protocol does not support this method.");
}

TEST_F(LocalSchemes, DirectoryCannotBeOpenedAsAFile) {
    auto* load = Load(FileUrlFromPath(m_dir.string()));
    EXPECT_EQ(load->ErrorText(), FormatString(StringId::FileOpenFailed, {m_dir.string()}));
}

TEST_F(LocalSchemes, OnlyRegularFilesAreOpenedAndNothingBlocks) {
    // A FIFO with no writer would block open() for ever, a device never ends;
    // each fails at once, as a directory does.
    const std::filesystem::path fifo = m_dir / "fifo.htm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path socketPath = m_dir / "socket.htm";
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string paths[] = {fifo.string(), socketPath.string(), "/dev/zero", "/dev/null"};
    for (const std::string& path : paths) {
        auto* load = Load(FileUrlFromPath(path));
        EXPECT_EQ(load->Result(), Status::Failed) << path;
        EXPECT_EQ(load->ErrorText(), FormatString(StringId::FileOpenFailed, {path}));
        EXPECT_EQ(load->GetObject(), nullptr);
    }
    close(listener);
}

TEST_F(LocalSchemes, EscapedNulNeverOpensAnotherFile) {
    MakeFile("ab.htm", "the wrong file");
    std::string url = FileUrlFromPath((m_dir / "a").string()) + "%00b.htm";
    auto* load = Load(url);
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(),
              FormatString(StringId::FileOpenFailed, {(m_dir / "a%00b.htm").string()}));
}

TEST_F(LocalSchemes, LogoNamesGiveTheSamePicture) {
    auto logo = FindResource("about/VESTRIAL.GIF");
    ASSERT_TRUE(logo);
    for (const char* url : {"about:logo", "about:LOGO", "about:vestrial.gif"}) {
        auto* load = Load(url);
        auto* picture = TextOf(load);
        ASSERT_NE(picture, nullptr) << url;
        EXPECT_EQ(picture->ContentType(), "image/gif");
        EXPECT_EQ(picture->Data(), std::string(logo->begin(), logo->end())) << url;
        EXPECT_EQ(load->Result(), Status::Complete);
    }
}

TEST_F(LocalSchemes, AboutPagesShipInTheProgram) {
    auto* load = Load("about:about.htm");
    ASSERT_NE(TextOf(load), nullptr);
    EXPECT_NE(TextOf(load)->Data().find("about:license.htm"), std::string::npos);
    EXPECT_EQ(TextOf(load)->ContentType(), "text/html");
}

TEST_F(LocalSchemes, UnknownAboutNameFails) {
    for (const char* url : {"about:nothing", "about:", "about:../README.txt"}) {
        auto* load = Load(url);
        EXPECT_EQ(load->Result(), Status::Failed) << url;
        EXPECT_EQ(load->ErrorText(), FormatString(StringId::InvalidAboutName, {url}));
    }
}

TEST_F(LocalSchemes, FtpUrlOpensNoConnectionAndAnnouncesTheNotice) {
    auto* load = Load("ftp://ftp.example.org/pub/file.txt");
    ASSERT_NE(load->GetObject(), nullptr);
    EXPECT_EQ(load->GetObject()->ContentType(), "internal/launch-ftp");
    EXPECT_EQ(load->Result(), Status::Complete);
    load->GetObject()->Execute();
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, "Launch ftp client");
}

TEST_F(LocalSchemes, CancelledFileLoadStopsAtABlockBoundary) {
    auto path = MakeFile("big.txt", std::string(64 * 4096, 'b'));
    auto* load =
        m_owner.NewLoad<CMimeDynamicLoad>(FileUrlFromPath(path.string()), Method::Get, "", "");
    Scheduler().Start(load);
    Scheduler().Cancel(load);
    EXPECT_EQ(load->Result(), Status::Failed);
    RunUntilFinished(m_owner, load);
    if (auto* text = TextOf(load)) {
        EXPECT_EQ(text->Data().size() % 4096, 0u);
    }
}
