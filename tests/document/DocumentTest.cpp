#include "document/DocumentFixture.h"

#include "platform/CStringTable.h"
#include "platform/CThread.h"
#include "platform/StringIds.h"
#include "platform/UiThread.h"

using Document = DocumentTest;

TEST_F(Document, FirstDocumentIsTopLevel) {
    EXPECT_TRUE(m_document.IsTopLevel());
    EXPECT_EQ(CTarnwickDoc::TopLevel(), &m_document);
    CTarnwickDoc frameDocument;
    EXPECT_FALSE(frameDocument.IsTopLevel());
}

TEST_F(Document, ShowableObjectBecomesTheDocument) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page#intro"});
    ASSERT_NE(m_document.ContentObject(), nullptr);
    EXPECT_EQ(m_document.ContentObject()->Url(), "gate:text/html/page");
    EXPECT_EQ(m_document.Fragment(), "intro");
    EXPECT_EQ(m_document.MainLoad(), nullptr);
    EXPECT_EQ(m_view.newDocuments, 1);
    EXPECT_EQ(m_frame.location, "gate:text/html/page#intro");
    EXPECT_EQ(m_frame.title, "gate:text/html/page#intro") << "no title: the address stands in";
    EXPECT_FALSE(m_frame.animating);
}

TEST_F(Document, NavigatingWhileLoadingCancelsAndEmptiesThePane) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/first"});
    m_gate.gate.Reset();
    m_document.Navigate({.url = "gate:text/html/slow"});
    EXPECT_EQ(m_document.ContentObject(), nullptr) << "the pane empties at once";
    EXPECT_TRUE(m_frame.animating);
    CMimeDynamicLoad* slow = m_document.MainLoad();
    ASSERT_NE(slow, nullptr);
    m_document.Navigate({.url = "gate:text/html/second"});
    EXPECT_EQ(Scheduler().ActiveCount(), 1u) << "the slow load was cancelled";
    m_gate.Open();
    RunUntil([&] { return m_document.ContentObject() != nullptr; });
    EXPECT_EQ(m_document.ContentObject()->Url(), "gate:text/html/second");
}

TEST_F(Document, FragmentLinkReusesThePageWithoutTransfer) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    CMimeObject* page = m_document.ContentObject();
    NavigateAndSettle({.url = "gate:text/html/page#section"});
    EXPECT_EQ(m_gate.transfers, 1);
    EXPECT_EQ(m_document.ContentObject(), page);
    EXPECT_EQ(m_document.Fragment(), "section");
}

TEST_F(Document, FailedLoadShowsItsMessageAndLeavesThePaneEmpty) {
    m_document.Navigate({.url = "about:nothing"});
    RunUntil([&] { return m_document.Idle(); });
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, FormatString(StringId::InvalidAboutName, {"about:nothing"}));
    EXPECT_EQ(m_document.ContentObject(), nullptr);
    EXPECT_EQ(m_view.newDocuments, 0);
}

TEST_F(Document, ActionTypeRunsOnceTheLoadEndsAndIsNeverShown) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    m_document.Navigate({.url = "ftp://ftp.example.org/"});
    RunUntil([&] { return m_document.Idle(); });
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, "Launch ftp client");
    EXPECT_EQ(m_document.ContentObject(), nullptr) << "the pane was emptied as for any navigation";
    EXPECT_EQ(m_view.newDocuments, 1);
}

TEST_F(Document, MailtoLeavesTheShownPageInPlace) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    CMimeObject* page = m_document.ContentObject();
    m_document.Navigate({.url = "mailto:someone@example.org"});
    RunUntil([&] { return m_document.Idle(); });
    EXPECT_EQ(m_document.ContentObject(), page);
}

TEST_F(Document, InlineResourceIsLoadedOncePerUrl) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    int32_t width = 0, height = 0;
    EXPECT_FALSE(m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height));
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    // The size is known as soon as the worker has typed the response; the view
    // hears of it on the next pump pass.
    RunUntil([&] {
        return !m_view.inlineNotices.empty() &&
               m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height);
    });
    EXPECT_EQ(width, 7);
    EXPECT_EQ(m_gate.transfers, 2);
    CMimeObject* image = nullptr;
    EXPECT_TRUE(m_document.GetInlineObject("gate:image/gif/i.gif", image));
    EXPECT_NE(image, nullptr);
}

TEST_F(Document, FailedInlineResourceKeepsABrokenImagePlace) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    m_document.RequestInline("about:missing.gif", Caps::InlineImage);
    int32_t width = 0, height = 0;
    RunUntil([&] { return m_document.GetInlineImageSize("about:missing.gif", width, height); });
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    CMimeObject* image = nullptr;
    EXPECT_TRUE(m_document.GetInlineObject("about:missing.gif", image));
    EXPECT_EQ(image, nullptr);
}

TEST_F(Document, InlineRequestWithoutPageIsRefused) {
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    int32_t width = 0, height = 0;
    EXPECT_TRUE(m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height));
    EXPECT_EQ(width, 32);
    CMimeObject* image = nullptr;
    EXPECT_FALSE(m_document.GetInlineObject("gate:image/gif/i.gif", image));
    EXPECT_EQ(m_gate.transfers, 0);
}

TEST_F(Document, InlineRequestFromAnotherThreadIsServedOnceOnTheUiThread) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    MarkUiThread();
    {
        CThread layout([&] {
            m_document.RequestInline("gate:image/gif/t.gif", Caps::InlineImage);
            m_document.RequestInline("gate:image/gif/t.gif", Caps::InlineImage);
        });
    }
    int32_t width = 0, height = 0;
    RunUntil([&] { return m_document.GetInlineImageSize("gate:image/gif/t.gif", width, height); });
    RunUntil([&] { return m_document.Idle(); });
    EXPECT_EQ(m_gate.transfers, 2);
}

TEST_F(Document, EmptyDocumentIsUntitled) {
    m_document.UpdateTitle();
    EXPECT_EQ(m_frame.title, "Untitled");
    EXPECT_EQ(m_frame.location, "");
}
