// Showing a page: the empty view, colours, the background picture, scrolling
// by keys and to a fragment.
#include "view/ViewFixture.h"

#include "images/CSharedPalette.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"

namespace {

constexpr ColorRef LightGrey = MakeColorRef(192, 192, 192);

std::string LongPage(int paragraphs, const std::string& anchorName = "") {
    std::string html = "<html><title>Long</title><body>";
    for (int i = 0; i < paragraphs; ++i) {
        if (!anchorName.empty() && i == paragraphs / 2)
            html += "<a name=\"" + anchorName + "\">Anchor</a>";
        html += "<p>Paragraph " + std::to_string(i) + "</p>\n";
    }
    return html + "</body></html>";
}

// The palette colour a page colour is painted in.
ColorRef NearestShared(uint32_t rrggbb) {
    auto section = CDibSection::Create(1, 1, CSharedPalette::ColorTable());
    CDeviceContext dc(*section);
    return dc.GetNearestColor(ColorRefFromRrggbb(rrggbb));
}

} // namespace

TEST_F(ViewTest, WithoutContentObjectThePageIsGreyAndDoesNotScroll) {
    PostMessage(m_view->Handle(), CDocumentView::NewDocumentMessage, 0, 0);
    Settle();
    EXPECT_FALSE(m_view->HasLayout());
    EXPECT_EQ(m_window.ScrollTotal(), (CPoint{1, 1}));
    m_window.Key(ViewKey::PageDown);
    m_window.Key(ViewKey::End);
    EXPECT_EQ(m_window.ScrollPosition(), (CPoint{0, 0}));
    m_window.InvalidateAll();
    m_window.Paint();
    const CDibSection* screen = m_window.Screen();
    ASSERT_NE(screen, nullptr);
    for (int32_t y = 0; y < screen->Height(); y += 7)
        for (int32_t x = 0; x < screen->Width(); x += 7)
            ASSERT_EQ(screen->ColorOf(x, y), LightGrey) << x << "," << y;
}

TEST_F(ViewTest, FailedPageLeavesTheViewGreyAndUnscrollable) {
    NavigateAndSettle(WritePage("long.html", LongPage(80)));
    ASSERT_GT(m_window.ScrollTotal().y, 300);
    m_document->Navigate({.url = UrlOf("missing.html")});
    Settle();
    EXPECT_FALSE(m_view->HasLayout());
    EXPECT_EQ(m_window.ScrollTotal(), (CPoint{1, 1}));
    EXPECT_EQ(ScreenColor({200, 150}), LightGrey);
    ASSERT_EQ(m_ui.Shown().size(), 1u) << "the failure is told once";
}

TEST_F(ViewTest, ColoursComeFromTheBodyTag) {
    NavigateAndSettle(WritePage("red.html",
                                "<html><body bgcolor=\"#c00000\" text=\"#00ff00\" link=\"#123456\" "
                                "vlink=\"#654321\"><p>x</body></html>"));
    EXPECT_EQ(m_view->Colors().background, 0xC00000);
    EXPECT_EQ(m_view->Colors().text, 0x00FF00);
    EXPECT_EQ(m_view->Colors().link, 0x123456);
    EXPECT_EQ(m_view->Colors().visitedLink, 0xFF00FF) << "the visited colour is never the page's";
    EXPECT_EQ(ScreenColor({300, 250}), NearestShared(0xC00000));
}

TEST_F(ViewTest, ColourNamesPaintThePage) {
    NavigateAndSettle(WritePage(
        "named.html", "<html><body bgcolor=white text=NAVY><p>MMMMMMMMMMMMMMMM</body></html>"));
    EXPECT_EQ(m_view->Colors().background, 0xFFFFFF);
    EXPECT_EQ(m_view->Colors().text, 0x000080);
    EXPECT_EQ(ScreenColor({300, 250}), NearestShared(0xFFFFFF));
    const CDibSection* screen = m_window.Screen();
    ASSERT_NE(screen, nullptr);
    int navy = 0;
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 300; ++x)
            navy += screen->ColorOf(x, y) == NearestShared(0x000080);
    EXPECT_GT(navy, 50) << "the text is drawn in navy";
}

TEST_F(ViewTest, PagesWithoutColoursGetTheDefaults) {
    NavigateAndSettle(WritePage("plain.html", "<html><body><p>plain</body></html>"));
    EXPECT_EQ(m_view->Colors().background, 0xD7D7D7);
    EXPECT_EQ(m_view->Colors().text, 0x000000);
    EXPECT_EQ(m_view->Colors().link, 0x0000FF);
    EXPECT_EQ(m_view->Colors().visitedLink, 0xFF00FF);
    EXPECT_EQ(ScreenColor({300, 250}), NearestShared(0xD7D7D7));
}

TEST_F(ViewTest, ColoursOfOnePageDoNotStayForTheNext) {
    NavigateAndSettle(WritePage("red.html", "<html><body bgcolor=\"#c00000\">x</body></html>"));
    NavigateAndSettle(WritePage("plain.html", "<html><body>plain</body></html>"));
    EXPECT_EQ(m_view->Colors().background, 0xD7D7D7);
}

TEST_F(ViewTest, BackgroundPictureTilesFromTheDocumentOrigin) {
    WritePage("tile.gif", "GIF89a picture");
    NavigateAndSettle(
        WritePage("tiled.html", "<html><body background=\"tile.gif\"></body></html>"));
    RunUntil([&] {
        CMimeObject* picture = nullptr;
        return m_document->GetInlineObject(UrlOf("tile.gif"), picture) && picture;
    });
    m_window.InvalidateAll();
    m_window.Paint();
    const CDibSection* screen = m_window.Screen();
    ASSERT_NE(screen, nullptr);
    for (int32_t y = 0; y < screen->Height(); y += 3)
        for (int32_t x = 0; x < screen->Width(); x += 5)
            ASSERT_EQ(screen->Pixel(x, y), CTestPictureObject::IndexAt(x % 4, y % 4))
                << x << "," << y;
}

TEST_F(ViewTest, MissingBackgroundPictureShowsTheBackgroundColour) {
    NavigateAndSettle(WritePage(
        "nopic.html", "<html><body bgcolor=\"#0000c0\" background=\"none.gif\"></body></html>"));
    EXPECT_EQ(ScreenColor({100, 100}), NearestShared(0x0000C0));
}

TEST_F(ViewTest, KeysScrollByPageLineAndToTheEnds) {
    NavigateAndSettle(WritePage("long.html", LongPage(100)));
    CPoint total = m_window.ScrollTotal();
    ASSERT_GT(total.y, 3 * 300);
    m_window.Key(ViewKey::PageDown);
    EXPECT_EQ(m_window.ScrollPosition().y, 300);
    m_window.Key(ViewKey::Down);
    EXPECT_EQ(m_window.ScrollPosition().y, 300 + GetDialogBaseUnits().vertical);
    m_window.Key(ViewKey::Up);
    m_window.Key(ViewKey::PageUp);
    EXPECT_EQ(m_window.ScrollPosition().y, 0);
    m_window.Key(ViewKey::End);
    EXPECT_EQ(m_window.ScrollPosition().y, total.y - 300);
    m_window.Key(ViewKey::Home);
    EXPECT_EQ(m_window.ScrollPosition().y, 0);
    m_window.Key(ViewKey::Right);
    EXPECT_EQ(m_window.ScrollPosition().x, 0) << "nothing to the right of a page that fits";
}

TEST_F(ViewTest, ScrolledPagePaintsItsLowerPart) {
    NavigateAndSettle(WritePage("long.html", LongPage(100)));
    m_window.InvalidateAll();
    m_window.Paint();
    std::vector<uint8_t> top(m_window.Screen()->Bits(),
                             m_window.Screen()->Bits() + m_window.Screen()->Stride() * 300);
    m_window.Key(ViewKey::PageDown);
    m_window.Paint();
    std::vector<uint8_t> lower(m_window.Screen()->Bits(),
                               m_window.Screen()->Bits() + m_window.Screen()->Stride() * 300);
    EXPECT_NE(top, lower);
}

// The painter keeps its section, context and fonts from paint to paint:
// nothing a scrolled paint set may reach the next one, and a window that
// shrinks is painted in the corner of the larger section.
TEST_F(ViewTest, RepaintsAfterScrollingAndShrinkingShowTheSamePage) {
    NavigateAndSettle(WritePage("styled.html", "<html><body bgcolor=\"#ffffff\">" +
                                                   std::string(30, 'x') +
                                                   "<ul><li><b>bold</b> <i>italic</i> "
                                                   "<a href=\"a.html\">link</a><li><tt>fixed</tt>"
                                                   "</ul>" +
                                                   LongPage(60) + "</body></html>"));
    auto rows = [&](int32_t height) {
        const CDibSection* screen = m_window.Screen();
        std::vector<uint8_t> bits;
        for (int32_t y = 0; y < height; ++y)
            bits.insert(bits.end(), screen->Row(y), screen->Row(y) + screen->Width());
        return bits;
    };
    m_window.InvalidateAll();
    m_window.Paint();
    const std::vector<uint8_t> first = rows(300);
    m_window.Key(ViewKey::PageDown);
    m_window.Paint();
    ASSERT_NE(rows(300), first);
    m_window.Key(ViewKey::Home);
    m_window.Paint();
    EXPECT_EQ(rows(300), first) << "back at the top after a scrolled paint";

    m_window.Resize({400, 200}); // the height alone: no relayout
    Settle();
    m_window.Paint();
    ASSERT_EQ(m_window.Screen()->Height(), 200);
    EXPECT_EQ(rows(200), std::vector<uint8_t>(first.begin(), first.begin() + 400 * 200));
    m_window.Resize({400, 300});
    Settle();
    m_window.Paint();
    EXPECT_EQ(rows(300), first);
}

TEST_F(ViewTest, FragmentScrollHappensOncePerPage) {
    NavigateAndSettle(WritePage("anchored.html", LongPage(100, "here")) + "#here");
    CLayoutEngine* layout = m_view->CurrentLayout();
    ASSERT_NE(layout, nullptr);
    int32_t anchor = layout->NamedAnchor("here");
    ASSERT_GT(anchor, 300);
    EXPECT_EQ(m_window.ScrollPosition().y, anchor);
    // The reader scrolls away; a relayout later must not pull the page back.
    m_window.Key(ViewKey::Home);
    m_window.Resize({420, 300});
    Settle();
    ASSERT_NE(m_view->CurrentLayout(), layout);
    EXPECT_EQ(m_window.ScrollPosition().y, 0);
}

TEST_F(ViewTest, ArrivingPictureRepaintsOnlyItsOwnPlace) {
    m_document->Navigate(
        {.url =
             WritePage("pic.html",
                       "<html><body><p>Text above.<p><img src=\"gate:image/gif/pic\" width=\"20\" "
                       "height=\"20\"><p>Text below.</body></html>")});
    RunUntil(
        [&] { return m_view->HasLayout() && m_view->LayoutSettled() && UiMessageQueue().Empty(); });
    std::optional<CRect> image = FirstItemOfType(DisplayItemType::Image);
    ASSERT_TRUE(image);
    m_window.Paint();
    ASSERT_TRUE(m_window.Dirty().IsEmpty());
    m_gate.Open();
    Settle();
    EXPECT_EQ(m_window.Dirty(), *image) << "the page is not scrolled, so window = document";
}
