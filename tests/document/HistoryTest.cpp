#include "document/DocumentFixture.h"

#include "content/CObjectTable.h"

namespace {

constexpr const char* PostHeaders = "Content-type: application/x-www-form-urlencoded\r\n";

class History : public DocumentTest {
protected:
    History() { m_gate.Open(); }

    void Open(const std::string& url) { NavigateAndSettle({.url = url}); }
    void Back() { NavigateAndSettle({.url = std::string(CTarnwickDoc::BackwardUrl)}); }
    void Forward() { NavigateAndSettle({.url = std::string(CTarnwickDoc::ForwardUrl)}); }
    void Post(const std::string& url, const std::string& body) {
        NavigateAndSettle(
            {.url = url, .method = Method::Post, .headers = PostHeaders, .postData = body});
    }

    // Each entry as "URL#fragment", the current one marked with "*".
    std::vector<std::string> Entries() const {
        std::vector<std::string> lines;
        for (size_t i = 0; i < m_history.Entries().size(); ++i) {
            const HistoryEntry& entry = m_history.Entries()[i];
            std::string line = i == m_history.Index() ? "*" : "";
            line += entry.url;
            if (!entry.fragment.empty())
                line += "#" + entry.fragment;
            lines.push_back(line);
        }
        return lines;
    }

    std::string ShownUrl() const {
        CMimeObject* object = m_document.ContentObject();
        return object ? object->Url() : "";
    }
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(History, EachShownPageIsRecordedAndBackAndForwardComeFromTheObjectTable) {
    Open("gate:text/html/a");
    Open("gate:text/html/b");
    Open("gate:text/html/c");
    EXPECT_EQ(Entries(), (Lines{"gate:text/html/a", "gate:text/html/b", "*gate:text/html/c"}));
    Back();
    Back();
    EXPECT_EQ(ShownUrl(), "gate:text/html/a");
    EXPECT_EQ(Entries(), (Lines{"*gate:text/html/a", "gate:text/html/b", "gate:text/html/c"}));
    Forward();
    EXPECT_EQ(ShownUrl(), "gate:text/html/b");
    EXPECT_EQ(m_history.Index(), 1u);
    EXPECT_EQ(m_gate.transfers, 3) << "back and forward fetch nothing";
}

TEST_F(History, AtEitherEndTheRequestStopsAfterEmptyingThePane) {
    Open("gate:text/html/a");
    m_document.Navigate({.url = std::string(CTarnwickDoc::BackwardUrl)});
    EXPECT_EQ(m_document.MainLoad(), nullptr);
    EXPECT_EQ(m_document.ContentObject(), nullptr) << "emptied as by every navigation";
    m_document.Navigate({.url = std::string(CTarnwickDoc::ForwardUrl)});
    EXPECT_EQ(m_document.MainLoad(), nullptr);
    EXPECT_EQ(Entries(), (Lines{"*gate:text/html/a"}));
    EXPECT_EQ(m_gate.transfers, 1);
}

TEST_F(History, TheTwoLiteralsAreComparedExactly) {
    Open("gate:text/html/a");
    Open("gate:text/html/b");
    for (const char* url :
         {"Navigation:backward", "navigation:backward ", "navigation:backwards"}) {
        SCOPED_TRACE(url);
        m_document.Navigate({.url = url});
        EXPECT_NE(m_document.MainLoad(), nullptr) << "an ordinary request";
        RunUntil([&] { return m_document.Idle(); });
        EXPECT_EQ(m_history.Index(), 1u);
    }
}

TEST_F(History, ANewPageAfterGoingBackCutsTheEntriesAhead) {
    Open("gate:text/html/a");
    Open("gate:text/html/b");
    Open("gate:text/html/c");
    Back();
    Back();
    Open("gate:text/html/d");
    EXPECT_EQ(Entries(), (Lines{"gate:text/html/a", "*gate:text/html/d"}));
    EXPECT_FALSE(m_history.CanGoForward());
}

TEST_F(History, ARequestThatFailsLeavesTheHistoryAlone) {
    Open("gate:text/html/a");
    NavigateAndSettle({.url = "about:nothing"}, false);
    EXPECT_EQ(Entries(), (Lines{"*gate:text/html/a"}));
}

TEST_F(History, AFragmentLinkIsAnEntryAndBackReturnsToThePageWithoutIt) {
    Open("gate:text/html/a");
    Open("gate:text/html/a#part");
    EXPECT_EQ(Entries(), (Lines{"gate:text/html/a", "*gate:text/html/a#part"}));
    Back();
    EXPECT_EQ(ShownUrl(), "gate:text/html/a");
    EXPECT_EQ(m_document.Fragment(), "");
    EXPECT_EQ(m_gate.transfers, 1);
}

TEST_F(History, CommandRulesFollowTheIndex) {
    EXPECT_FALSE(m_history.CanGoBack());
    EXPECT_FALSE(m_history.CanGoForward());
    EXPECT_FALSE(m_document.CanReload());
    Open("gate:text/html/a");
    EXPECT_FALSE(m_history.CanGoBack()) << "index 0";
    EXPECT_TRUE(m_document.CanReload());
    Open("gate:text/html/b");
    EXPECT_TRUE(m_history.CanGoBack()) << "index 1";
    EXPECT_FALSE(m_history.CanGoForward()) << "index = count - 1";
    Back();
    EXPECT_TRUE(m_history.CanGoForward()) << "index = count - 2";
    EXPECT_FALSE(m_history.CanGoBack());
}

TEST_F(History, ReloadOfAGetPageFetchesItAgainAndRecordsNothing) {
    Open("gate:text/html/a#part");
    m_document.Reload();
    EXPECT_EQ(m_document.LastNavigationKind(), NavigationKind::Reload);
    Settle();
    EXPECT_EQ(m_gate.transfers, 2);
    EXPECT_EQ(m_document.Fragment(), "part") << "the shown fragment is kept";
    EXPECT_EQ(Entries(), (Lines{"*gate:text/html/a#part"}));
    EXPECT_EQ(ObjectTable()->CachedCount(), 0u) << "the old page was not kept";
}

TEST_F(History, ReloadOfAPostedPageAsksAndNoChangesNothing) {
    Post("gate:text/html/result", "a=1");
    CMimeObject* shown = m_document.ContentObject();
    m_ui.QueueAnswer(MessageBoxResult::No);
    m_document.Reload();
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, CTarnwickDoc::RepostQuestion);
    EXPECT_EQ(m_ui.Shown()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(m_document.ContentObject(), shown);
    EXPECT_EQ(m_document.MainLoad(), nullptr);

    m_ui.QueueAnswer(MessageBoxResult::Yes);
    m_document.Reload();
    Settle();
    EXPECT_EQ(m_gate.transfers, 2) << "posted again";
    ASSERT_NE(m_document.ShownLoad(), nullptr);
    EXPECT_EQ(m_document.ShownLoad()->PostData(), "a=1");
    EXPECT_EQ(m_document.ShownLoad()->GetMethod(), Method::Post);
}

TEST_F(History, BackToAPostedPageTakesItOnlyFromTheObjectTable) {
    Post("gate:text/html/result", "a=1");
    Open("gate:text/html/next");
    Back();
    EXPECT_EQ(ShownUrl(), "gate:text/html/result");
    EXPECT_EQ(m_gate.transfers, 2) << "the result came back without posting";

    Open("gate:text/html/next");
    FlushObject("gate:text/html/result", Method::Post, PostHeaders, "a=1");
    Back();
    auto* notice = dynamic_cast<CTestTextObject*>(m_document.ContentObject());
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->Data(), CMimeDynamicLoad::PostNotice);
    EXPECT_EQ(std::string(CMimeDynamicLoad::PostNotice).size(), 88u);
    EXPECT_EQ(m_gate.transfers, 2) << "nothing was posted, the next page came from the table";
    EXPECT_EQ(Entries(), (Lines{"*gate:text/html/result", "gate:text/html/next"}));
}

TEST_F(History, FrameDocumentsRecordNothing) {
    CTarnwickDoc frameDocument(nullptr, &m_history);
    CTestView frameView;
    frameDocument.SetView(&frameView);
    frameDocument.Navigate({.url = "gate:text/html/frame"});
    RunUntil([&] { return frameDocument.Idle() && frameView.newDocuments == 1; });
    EXPECT_TRUE(m_history.Entries().empty());
}
