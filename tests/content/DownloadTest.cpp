#include "support/PipelineFixture.h"

#include "content/CFileDownloadLoad.h"
#include "content/FileNames.h"
#include "support/TempDir.h"

#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class Download : public PipelineTest {
protected:
    CFileDownloadLoad* Fetch(const std::string& url, const std::string& target) {
        auto* load = m_owner.NewLoad<CFileDownloadLoad>(url, target, m_dir.Path().string() + "/",
                                                        Method::Get, "", "");
        Scheduler().Start(load);
        RunUntilFinished(m_owner, load);
        return load;
    }

    TempDir m_dir;
    CRecordingOwner m_owner;
};

} // namespace

TEST_F(Download, WritesTheResponseToTheTargetWithItsHeaders) {
    std::string source = (m_dir.Path() / "control.ocx").string();
    std::string bytes(10000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    std::ofstream(source, std::ios::binary) << bytes;
    auto* load = Fetch(FileUrlFromPath(source), (m_dir.Path() / "copy.ocx").string());
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(ReadFile(m_dir.Path() / "copy.ocx"), bytes);
    EXPECT_TRUE(load->HeadersSeen());
    EXPECT_EQ(load->ResponseHeaders()["content-length"], "10000");
}

TEST_F(Download, WithoutTargetTheUrlNamesTheFileInTheDirectory) {
    auto* load = Fetch("about:logo", "");
    // The name is the text after the URL's last ":" when it has no "/".
    EXPECT_EQ(load->TargetPath(), m_dir.Path().string() + "/logo");
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_FALSE(ReadFile(load->TargetPath()).empty());
}

TEST_F(Download, UnwritableTargetFailsTheDownload) {
    auto* load = Fetch("about:logo", (m_dir.Path() / "no-such-dir" / "logo.gif").string());
    EXPECT_EQ(load->Result(), Status::Failed);
}
