#include "controls/ControlFixture.h"

#include "content/CHttpWorker.h"
#include "controls/CControlInstaller.h"
#include "net/ServerProcess.h"
#include "platform/com/ComRuntime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// A page on lighttpd embeds the clock twice; the clock is not registered and
// its code lies on the server, plain ("clock.ocx") and compressed by Debian's
// mscompress ("clock.ocx_", and "clockcode" without an extension).
class ControlInstall : public ControlTest {
protected:
    void SetUp() override {
        std::string lighttpd = FindProgram({"/usr/sbin/lighttpd", "/usr/bin/lighttpd"});
        std::string mscompress = FindProgram({"/usr/bin/mscompress"});
        if (lighttpd.empty() || mscompress.empty())
            GTEST_SKIP() << "lighttpd or mscompress is not installed (scripts/setup.sh)";
        m_protocols.push_back(RegisterHttpProtocol());
        m_www = m_dir.Path() / "www";
        fs::create_directories(m_www);
        fs::copy_file(VESTRIAL_CONTROLS_DIR "/clock.ocx", m_www / "clock.ocx");
        ASSERT_EQ(std::system((mscompress + " " + (m_www / "clock.ocx").string()).c_str()), 0);
        ASSERT_TRUE(fs::exists(m_www / "clock.ocx_"));
        fs::copy_file(m_www / "clock.ocx_", m_www / "clockcode");
        m_port = FreeLoopbackPort();
        const auto config = m_dir.Path() / "lighttpd.conf";
        std::ofstream(config) << "server.document-root = \"" << m_www.string() << "\"\n"
                              << "server.port = " << m_port << "\n"
                              << "server.bind = \"127.0.0.1\"\n"
                              << "server.errorlog = \"" << (m_dir.Path() / "error.log").string()
                              << "\"\nmimetype.assign = (\".html\" => \"text/html\", \".opf\" => "
                                 "\"application/x-object-property-file\", \"\" => "
                                 "\"application/octet-stream\")\n";
        std::string error;
        m_lighttpd = CServerProcess::Start({lighttpd, "-D", "-f", config.string()}, m_port, error);
        ASSERT_TRUE(m_lighttpd) << error;
        std::string key = "CLSID\\";
        key.append(kClockClass);
        ASSERT_TRUE(m_registry.DeleteKey(RegRoot::ClassesRoot, key));
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/" + path;
    }

    // The page with two embeds of one property file whose code is at
    // codeUrl.
    void ShowPage(const std::string& codeUrl, bool compressed, const std::string& version = "") {
        COpfContents contents;
        contents.classId = kClockClass;
        contents.companyName = "Sample Works";
        contents.fileDescription = "A clock";
        contents.legalCopyright = "(c) nobody";
        contents.legalTrademarks = "";
        contents.productName = "Clock";
        contents.productVersion = version;
        contents.filenameUrl = codeUrl;
        contents.isCompressed = compressed ? "TRUE" : "FALSE";
        std::string error;
        auto bytes = WriteObjectPropertyFile(contents, error);
        ASSERT_TRUE(bytes) << error;
        // A new name each time: the browser keeps the files it has seen.
        const std::string opf = "clock" + std::to_string(++m_pages) + ".opf";
        const std::string page = "page" + std::to_string(m_pages) + ".html";
        std::ofstream(m_www / opf, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes->data()),
                   static_cast<std::streamsize>(bytes->size()));
        std::ofstream(m_www / page)
            << "<embed src=" << opf << " width=100 height=50><embed src=" << opf
            << " width=100 height=50>";
        NavigateAndSettle(Url(page));
        RunUntil([] { return CControlInstaller::Instance().Downloads() == 0; });
        Settle();
    }

    [[nodiscard]] std::string ServerPath() {
        std::string key = "CLSID\\";
        key.append(kClockClass).append("\\InprocServer32");
        return m_registry.GetString(RegRoot::ClassesRoot, key, "").value_or("");
    }

    void ExpectBoth(bool created) {
        ASSERT_EQ(Items().size(), 2u);
        for (CTarnwickCntrItem* item : Items()) {
            EXPECT_EQ(item->Created(), created);
            EXPECT_EQ(item->Failed(), !created);
        }
    }

    fs::path m_www;
    uint16_t m_port = 0;
    int m_pages = 0;
    std::unique_ptr<CServerProcess> m_lighttpd;
};

TEST_F(ControlInstall, NoLeavesBothEmptyAndFetchesNothing) {
    m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {"no"});
    ShowPage("clock.ocx_", true);
    ASSERT_EQ(m_ui.DownloadQuestions().size(), 1u) << "one question for two embeds";
    const ControlDownloadQuestion& asked = m_ui.DownloadQuestions()[0];
    EXPECT_EQ(asked.httpSite, Url("clock.ocx_"));
    EXPECT_EQ(asked.companyName, "Sample Works");
    EXPECT_EQ(asked.productName, "Clock");
    ExpectBoth(false);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "ocx/clock.ocx"));
    EXPECT_FALSE(fs::exists(m_dir.Path() / "temp/ocxlog.log"));
    EXPECT_TRUE(m_ui.Shown().empty());
}

TEST_F(ControlInstall, YesDownloadsExpandsRegistersLogsAndCreatesBoth) {
    struct Case {
        const char* codeUrl;
        bool compressed;
        const char* installedAs;
    };
    const Case cases[] = {
        {"clock.ocx_", true, "clock.ocx"},
        {"clockcode", true, "clockcode.ocx"},
        {"clock.ocx", false, "clock.ocx"},
    };
    std::string log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codeUrl);
        fs::remove_all(m_dir.Path() / "ocx");
        std::string key = "CLSID\\";
        (void)m_registry.DeleteKey(RegRoot::ClassesRoot, key.append(kClockClass));
        m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {"yes"});
        size_t asked = m_ui.DownloadQuestions().size();
        ShowPage(c.codeUrl, c.compressed);
        EXPECT_EQ(m_ui.DownloadQuestions().size(), asked + 1);
        ExpectBoth(true);
        const fs::path installed = m_dir.Path() / "ocx" / c.installedAs;
        EXPECT_EQ(ReadBytes(installed), ReadBytes(m_www / "clock.ocx"));
        EXPECT_EQ(ServerPath(), installed.string());
        // Nothing but the installed file is left in the directory.
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path() / "ocx"), {}), 1);
        log += "Product Name = Clock \r\nCompany Name = Sample Works \r\nFile Description = A "
               "clock \r\nLegal Copyright = (c) nobody \r\nLegal Trademarks =  \r\nProduct "
               "Version =  \r\nHTTP Site = " +
               std::string(c.codeUrl) +
               " \r\n----------------------------------------------------------\r\n";
        EXPECT_EQ(ReadBytes(m_dir.Path() / "temp/ocxlog.log"), log);
    }
    EXPECT_TRUE(m_ui.Shown().empty());
}

TEST_F(ControlInstall, MissingFileOrOtherVersionIsDownloadedAgain) {
    // Registered, but its file is gone.
    const fs::path gone = m_dir.Path() / "gone/clock.ocx";
    fs::create_directories(gone.parent_path());
    fs::copy_file(m_www / "clock.ocx", gone);
    ASSERT_EQ(CoRegisterServer(gone.string(), false), S_OK);
    fs::remove(gone);
    m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {"yes"});
    ShowPage("clock.ocx", false);
    EXPECT_EQ(m_ui.DownloadQuestions().size(), 1u);
    ExpectBoth(true);
    EXPECT_EQ(ServerPath(), (m_dir.Path() / "ocx/clock.ocx").string());

    // Registered in another version (its version note rewritten): it is
    // unregistered, fetched again and made.
    std::string bytes = ReadBytes(m_www / "clock.ocx");
    for (size_t at = bytes.find("1.0.0.1"); at != std::string::npos; at = bytes.find("1.0.0.1"))
        bytes.replace(at, 7, "0.9.0.1");
    const fs::path old = m_dir.Path() / "old/clock.ocx";
    fs::create_directories(old.parent_path());
    std::ofstream(old, std::ios::binary) << bytes;
    fs::remove_all(m_dir.Path() / "ocx");
    ASSERT_EQ(CoRegisterServer(old.string(), false), S_OK);
    ASSERT_EQ(ServerPath(), old.string());
    m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {"yes"});
    ShowPage("clock.ocx", false, "1.0.0.1");
    EXPECT_EQ(m_ui.DownloadQuestions().size(), 2u);
    ExpectBoth(true);
    EXPECT_EQ(ServerPath(), (m_dir.Path() / "ocx/clock.ocx").string());
}

TEST_F(ControlInstall, AFailingCodeAddressMarksBothFailed) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/x.ocx";
    for (const std::string& codeUrl : {Url("missing.ocx_"), refused}) {
        SCOPED_TRACE(codeUrl);
        m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {"yes"});
        ShowPage(codeUrl, true);
        ExpectBoth(false);
        // Nothing of the failed download is left, not even its unfinished file.
        std::error_code ignored;
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path() / "ocx", ignored), {}), 0);
    }
    EXPECT_EQ(m_ui.DownloadQuestions().size(), 2u);
    EXPECT_TRUE(m_ui.Shown().empty()) << "nothing is shown beyond the question";
}
