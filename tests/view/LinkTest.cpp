// Links and image maps: clicks navigate the right view, and the status bar
// and cursor follow the pointer.
#include "view/ViewFixture.h"

#include "content/CMimeDynamicLoad.h"

namespace {

const char* const LinkPage = "<html><title>First</title><body><p>Go to "
                             "<a href=\"second.html\">the second page</a> now.</body></html>";

// A 60 x 40 server-side image map linked to href.
std::string ImageMapPage(const std::string& href) {
    return "<html><body><a href=\"" + href +
           "\"><img src=\"map.gif\" width=\"60\" height=\"40\" ismap></a></body></html>";
}

} // namespace

TEST_F(ViewTest, ClickOnALinkNavigates) {
    WritePage("second.html", "<html><title>Second</title><body>second</body></html>");
    NavigateAndSettle(WritePage("first.html", LinkPage));
    std::optional<CRect> link = FirstItemOfType(DisplayItemType::LinkText);
    ASSERT_TRUE(link);
    m_window.Click(WindowPointOf(*link));
    RunUntil([&] { return ShownUrl() == UrlOf("second.html") && Settled(); });
    EXPECT_TRUE(m_view->HasLayout());
}

TEST_F(ViewTest, ClickBesideALinkDoesNothing) {
    NavigateAndSettle(WritePage("first.html", LinkPage));
    m_window.Click({390, 290});
    EXPECT_EQ(m_document->MainLoad(), nullptr);
    EXPECT_EQ(ShownUrl(), UrlOf("first.html"));
}

TEST_F(ViewTest, ImageMapAtItsTopLeftAddsZeroZero) {
    NavigateAndSettle(WritePage("map.html", ImageMapPage("where.html")));
    std::optional<CRect> image = FirstItemOfType(DisplayItemType::LinkImage);
    ASSERT_TRUE(image);
    const CPoint scroll = m_window.ScrollPosition();
    m_window.Click({image->left - scroll.x, image->top - scroll.y});
    ASSERT_NE(m_document->MainLoad(), nullptr);
    EXPECT_EQ(m_document->MainLoad()->Url(), UrlOf("where.html") + "?0,0");
}

TEST_F(ViewTest, ImageMapAppendsEvenAfterAQuery) {
    NavigateAndSettle(WritePage("map.html", ImageMapPage("where.html?a=1")));
    std::optional<CRect> image = FirstItemOfType(DisplayItemType::LinkImage);
    ASSERT_TRUE(image);
    const CPoint scroll = m_window.ScrollPosition();
    m_window.Click({image->left + 7 - scroll.x, image->top + 3 - scroll.y});
    ASSERT_NE(m_document->MainLoad(), nullptr);
    EXPECT_EQ(m_document->MainLoad()->Url(), UrlOf("where.html") + "?a=1?7,3");
}

TEST_F(ViewTest, StatusBarShowsTheLinkUnderThePointer) {
    NavigateAndSettle(WritePage("first.html", LinkPage));
    std::optional<CRect> link = FirstItemOfType(DisplayItemType::LinkText);
    ASSERT_TRUE(link);
    m_window.MoveMouse(WindowPointOf(*link));
    EXPECT_EQ(m_window.StatusText(), UrlOf("second.html"));
    EXPECT_EQ(m_window.Cursor(), ViewCursor::Link);
    m_window.MoveMouse({390, 290});
    EXPECT_EQ(m_window.StatusText(), "");
    EXPECT_EQ(m_window.Cursor(), ViewCursor::Arrow);
}

TEST_F(ViewTest, StatusBarFollowsThePointerOverAnImageMap) {
    NavigateAndSettle(WritePage("map.html", ImageMapPage("where.html")));
    std::optional<CRect> image = FirstItemOfType(DisplayItemType::LinkImage);
    ASSERT_TRUE(image);
    const CPoint scroll = m_window.ScrollPosition();
    m_window.MoveMouse({image->left + 1 - scroll.x, image->top + 2 - scroll.y});
    EXPECT_EQ(m_window.StatusText(), UrlOf("where.html") + "?1,2");
    m_window.MoveMouse({image->left + 5 - scroll.x, image->top + 9 - scroll.y});
    EXPECT_EQ(m_window.StatusText(), UrlOf("where.html") + "?5,9");
}

// A second pane (as a frame of a frame set has) whose link names a frame
// that does not exist: the top-level page follows it.
TEST_F(ViewTest, LinkToAnUnknownFrameOpensInTheTopView) {
    WritePage("top.html", "<html><body>top</body></html>");
    NavigateAndSettle(UrlOf("top.html"));
    CHeadlessViewWindow paneWindow({300, 200});
    CTarnwickDoc paneDocument;
    ASSERT_FALSE(paneDocument.IsTopLevel());
    CTarnwickView pane(paneDocument, paneWindow);
    EXPECT_EQ(CTarnwickView::TopLevel(), m_view.get());
    paneDocument.Navigate(
        {.url = WritePage("pane.html", "<html><body><a href=\"away.html\" "
                                       "target=\"nowhere\">away</a></body></html>")});
    RunUntil([&] { return paneDocument.Idle() && pane.HasLayout() && pane.LayoutSettled(); });
    std::optional<CRect> link;
    pane.CurrentLayout()->ForEachItem([&](const CDisplayItem& item) {
        if (!link && item.type == DisplayItemType::LinkText)
            link = item.GetRect();
    });
    ASSERT_TRUE(link);
    paneWindow.Click({(link->left + link->right) / 2, (link->top + link->bottom) / 2});
    ASSERT_NE(m_document->MainLoad(), nullptr);
    EXPECT_EQ(m_document->MainLoad()->Url(), UrlOf("away.html"));
    EXPECT_EQ(paneDocument.ContentObject()->Url(), UrlOf("pane.html")) << "the pane stays";
}

TEST_F(ViewTest, FrameNamesAreFoundOnlyByTheirExactName) {
    EXPECT_EQ(m_view->FindViewByFrameName(""), m_view.get()) << "the top view has no name";
    EXPECT_EQ(m_view->FindViewByFrameName("main"), nullptr);
}
