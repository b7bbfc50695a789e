// The one-pixel rule of resizing, and the layout thread's life: started per
// page and per width, stopped cleanly by new pages, resets and destruction.
#include "view/ViewFixture.h"

namespace {

std::string Paragraphs(int count) {
    std::string html = "<html><body>";
    for (int i = 0; i < count; ++i)
        html += "<p>Some words that wrap at a narrow width, number " + std::to_string(i) + "</p>";
    return html + "</body></html>";
}

} // namespace

// The view starts at 400 x 300; a resize relays the page out unless only the
// height changed or the width grew by a single pixel.
struct ResizeCase {
    const char* name;
    CPoint size;
    bool relaysOut;
    int32_t laidOutWidth;
};

class ViewResizeTest : public ViewTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ViewResizeTest, RelaysOutOnlyWhenTheWidthReallyChanged) {
    const ResizeCase& resize = GetParam();
    NavigateAndSettle(WritePage("p.html", Paragraphs(20)));
    const CLayoutEngine* before = m_view->CurrentLayout();
    m_window.Resize(resize.size);
    Settle();
    EXPECT_EQ(m_view->CurrentLayout() != before, resize.relaysOut);
    EXPECT_EQ(m_view->LaidOutWidth(), resize.laidOutWidth);
    EXPECT_EQ(m_view->CurrentLayout()->AvailableWidth(),
              resize.laidOutWidth - m_window.VerticalScrollBarWidth());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ViewResizeTest,
                         ::testing::Values(ResizeCase{"WiderByOnePixel", {401, 300}, false, 400},
                                           ResizeCase{"WiderByTwoPixels", {402, 300}, true, 402},
                                           ResizeCase{"NarrowerByOnePixel", {399, 300}, true, 399},
                                           ResizeCase{"TallerOnly", {400, 500}, false, 400}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewTest, OnePixelAndThenAnotherRelaysOut) {
    NavigateAndSettle(WritePage("p.html", Paragraphs(20)));
    const CLayoutEngine* before = m_view->CurrentLayout();
    m_window.Resize({401, 300});
    Settle();
    m_window.Resize({402, 300});
    Settle();
    EXPECT_NE(m_view->CurrentLayout(), before);
}

TEST_F(ViewTest, OldLayoutStaysOnScreenUntilTheNewOneIsDone) {
    // The page never completes while the gate stays shut, so the relayout
    // cannot finish either.
    m_gate.gate.Set();
    m_gate.body = Paragraphs(10);
    m_document->Navigate({.url = "gate:text/html/page"});
    RunUntil([&] { return m_view->HasLayout() && UiMessageQueue().Empty(); });
    const CLayoutEngine* before = m_view->CurrentLayout();
    m_window.Resize({300, 300});
    RunUntil([&] { return UiMessageQueue().Empty(); });
    EXPECT_EQ(m_view->CurrentLayout(), before);
    EXPECT_FALSE(m_view->LayoutSettled());
    m_gate.finish.Set();
    Settle();
    EXPECT_NE(m_view->CurrentLayout(), before);
    EXPECT_EQ(m_view->LaidOutWidth(), 300);
}

TEST_F(ViewTest, ResetStopsTheLayoutThreadOfAPageStillLoading) {
    m_gate.gate.Set();
    m_gate.body = Paragraphs(50);
    m_document->Navigate({.url = "gate:text/html/page"});
    RunUntil([&] { return m_view->HasLayout(); });
    EXPECT_FALSE(m_view->LayoutSettled()) << "the thread waits for the rest of the page";
    m_view->ResetView();
    EXPECT_FALSE(m_view->HasLayout());
    EXPECT_TRUE(m_view->LayoutSettled());
    m_gate.finish.Set();
}

// A second window showing a page still arriving for the first shares its
// content object; its load ends as it attaches, long before the page does.
TEST_F(ViewTest, ASecondViewOfAPageStillArrivingSettlesWhenThePageEnds) {
    m_gate.gate.Set();
    m_gate.body = Paragraphs(50);
    m_document->Navigate({.url = "gate:text/html/page"});
    RunUntil([&] { return m_view->HasLayout(); });
    CTarnwickDoc secondDocument;
    CHeadlessViewWindow secondWindow{{300, 200}};
    CTarnwickView secondView(secondDocument, secondWindow);
    secondDocument.Navigate({.url = "gate:text/html/page"});
    RunUntil([&] { return secondView.HasLayout(); });
    ASSERT_EQ(secondDocument.ContentObject(), m_document->ContentObject());
    m_gate.finish.Set();
    RunUntil([&] { return Settled() && secondDocument.Idle() && secondView.LayoutSettled(); });
    EXPECT_EQ(m_gate.transfers, 1);
}

TEST_F(ViewTest, DestroyingTheViewStopsItsLayoutThread) {
    m_gate.gate.Set();
    m_gate.body = Paragraphs(50);
    m_document->Navigate({.url = "gate:text/html/page"});
    RunUntil([&] { return m_view->HasLayout(); });
    m_view.reset();
    m_gate.finish.Set();
    m_document->StopAll();
}

// Pages replaced while they load, and resized while they relay out, in quick
// succession: each new page stops the previous thread first (ThreadSanitizer
// watches this suite).
TEST_F(ViewTest, QuickNavigationsAndResizesLeaveOneSettledPage) {
    std::vector<std::string> pages;
    for (int i = 0; i < 4; ++i)
        pages.push_back(WritePage("p" + std::to_string(i) + ".html", Paragraphs(30 + 10 * i)));
    int width = 400;
    for (int round = 0; round < 12; ++round) {
        m_document->Navigate({.url = pages[round % pages.size()]});
        RunUntil([&] { return m_view->HasLayout() || m_document->Idle(); });
        width += round % 2 ? 7 : -5;
        m_window.Resize({width, 300});
    }
    Settle();
    ASSERT_TRUE(m_view->HasLayout());
    EXPECT_EQ(ShownUrl(), pages[11 % pages.size()]);
    EXPECT_EQ(m_view->LaidOutWidth(), width);
}
