#include "content/FileNames.h"
#include "html/HtmlTestSupport.h"
#include "support/PipelineFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace {

// A real load of a file: the worker thread feeds the HTML object in blocks and
// the owner hears about elements and the title on the UI thread.
class HtmlPipeline : public PipelineTest {
protected:
    HtmlPipeline() {
        m_types.push_back(RegisterHtmlType());
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vestrial-html-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
    }
    ~HtmlPipeline() override { std::filesystem::remove_all(m_dir); }

    CMimeDynamicLoad* Load(const std::string& name, const std::string& bytes) {
        std::filesystem::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        auto* load =
            m_owner.NewLoad<CMimeDynamicLoad>(FileUrlFromPath(path.string()), Method::Get, "", "");
        Scheduler().Start(load);
        RunUntilFinished(m_owner, load);
        return load;
    }

    std::filesystem::path m_dir;
    CRecordingOwner m_owner;
};

TEST_F(HtmlPipeline, LoadedPageHasItsElementsTitleAndNotifications) {
    std::string page = "<title>Big</title><body bgcolor=#102030>" + std::string(20000, 'x') +
                       "<table><tr><td>cell";
    auto* load = Load("page.html", page);
    auto* object = dynamic_cast<CHtmlObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(object->GetTitle(), "Big");
    EXPECT_EQ(object->GetBackgroundColor(), PageColor(0x102030));
    uint32_t flags = m_owner.FlagsOf(load);
    EXPECT_TRUE(flags & Notify::ElementsAdded);
    EXPECT_TRUE(flags & Notify::TitleKnown);
    EXPECT_TRUE(flags & Notify::BackgroundColorKnown);
    std::string dump = CElementDump(*object).ToString();
    EXPECT_NE(dump.find("\"complete\":1"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 12), "{\"kind\":24}\n");
    EXPECT_EQ(object->GetTextStore().Length(), 20000u + 4);
}

TEST_F(HtmlPipeline, TextFileIsShownAsPlainText) {
    auto* load = Load("notes.txt", "<b>not bold</b>\n");
    auto* object = dynamic_cast<CHtmlObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->ContentType(), "text/plain");
    EXPECT_EQ(object->GetTextStore().Copy(0, 100), "<b>not bold</b>");
}

} // namespace
