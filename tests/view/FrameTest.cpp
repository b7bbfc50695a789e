// Pages of frames: how a frame set shares out its space, the tree of frame
// views and documents it builds, link targets, and what leaving it takes
// down.
#include "view/ViewFixture.h"

#include "content/CMimeDynamicLoad.h"
#include "platform/CMessageQueue.h"
#include "ui/headless/CHeadlessSplitterWindow.h"
#include "view/CViewSplitterWnd.h"

#include <climits>

namespace {

constexpr int32_t Bar = CHeadlessViewWindow::ScrollBarWidth;

struct DistributionCase {
    const char* what;
    int64_t total;
    std::vector<int32_t> sizes;
    int32_t gap;
    std::vector<int32_t> expected;
};

const DistributionCase DistributionCases[] = {
    // 640 wide, one bar of 6 between two columns.
    {"100 px and a star", 634, {100, 0}, Bar, {100 + Bar, 634 - (100 + Bar) - Bar}},
    {"20% and 30% share by their sum", 500, {-20, -30}, 0, {200, 300}},
    {"a star weighs fifty times weight 1", 510, {0, -1}, 0, {500, 10}},
    {"weights truncate", 100, {-1, -1, -1}, 0, {33, 33, 33}},
    {"pixels only: no weight to divide by", 300, {100, 200}, 0, {100, 200}},
    {"pixels fill the total exactly", 300, {300, 0}, 0, {300, 0}},
    {"one pixel over the pixels", 301, {300, 0}, 0, {300, 1}},
    {"one pixel short: a negative total counts as 0", 299, {300, 0}, 0, {300, 0}},
    {"the gap of a weighted entry, exactly", Bar, {0}, Bar, {0}},
    {"one over its gap", Bar + 1, {0}, Bar, {1}},
    {"one under its gap", Bar - 1, {0}, Bar, {0}},
    {"pixels larger than the total", 400, {500, 500}, 0, {500, 500}},
    {"extremes neither wrap nor divide by 0",
     1000,
     {INT32_MAX, -INT32_MAX, INT32_MIN + 1},
     5,
     {INT32_MAX, 0, 0}},
    {"a total beyond 32 bits counts as the largest",
     INT64_C(1) << 40,
     {-INT32_MAX, -INT32_MAX},
     0,
     {INT32_MAX / 2, INT32_MAX / 2}},
};

class DistributionTest : public ::testing::TestWithParam<DistributionCase> {};

TEST_P(DistributionTest, SharesAsThePageAsks) {
    const DistributionCase& c = GetParam();
    EXPECT_EQ(CViewSplitterWnd::DistributeSizes(c.total, c.sizes, c.gap), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Frames, DistributionTest, ::testing::ValuesIn(DistributionCases));

struct PlacementCase {
    const char* what;
    std::vector<int32_t> ideal;
    std::vector<std::pair<int32_t, int32_t>> spans; // along the axis
};

// A splitter 640 wide.
const PlacementCase PlacementCases[] = {
    {"each its size, the last the rest", {100, 200, 50}, {{0, 100}, {106, 306}, {312, 640}}},
    {"the first fills all but the bar exactly", {634, 0}, {{0, 634}, {640, 640}}},
    {"one under", {633, 0}, {{0, 633}, {639, 640}}},
    {"one over", {635, 0}, {{0, 635}, {640, 640}}},
    {"all pixels, larger than the window", {700, 700, 700}, {{0, 640}, {640, 640}, {640, 640}}},
    {"negative ideal sizes count as 0", {-5, 0}, {{0, 0}, {6, 640}}},
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, PanesAndBarsStayInside) {
    const PlacementCase& c = GetParam();
    std::vector<CRect> rects = CViewSplitterWnd::PlacePanes({640, 480}, true, c.ideal);
    ASSERT_EQ(rects.size(), c.spans.size()) << c.what;
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_EQ(std::make_pair(rects[i].left, rects[i].right), c.spans[i]) << c.what << " " << i;
        EXPECT_EQ(rects[i].top, 0);
        EXPECT_EQ(rects[i].bottom, 480);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, PlacementTest, ::testing::ValuesIn(PlacementCases));

std::string Tall(const std::string& colour) {
    std::string page = "<html><body bgcolor=\"" + colour + "\">";
    for (int i = 0; i < 100; ++i)
        page += "<p>line " + std::to_string(i) + "</p>";
    return page + "</body></html>";
}

std::string LinkTo(const std::string& href, const std::string& target) {
    return "<html><body><a href=\"" + href + "\" target=\"" + target + "\">go</a></body></html>";
}

class FrameTest : public ViewTest {
protected:
    // Every frame of the page, nested pages' included, shows what it loads
    // laid out, and nothing is on its way.
    bool FramesSettled(CTarnwickView& view) {
        for (CTarnwickView* frame : view.ChildViews()) {
            if (frame->Document().MainLoad())
                return false;
            if (frame->FrameSplitter() ? !FramesSettled(*frame)
                                       : frame->Document().ContentObject() && !frame->HasLayout())
                return false;
        }
        return Settled() && !m_notify.IsSignalled();
    }
    void ShowFrames(const std::string& url) {
        m_document->Navigate({.url = url});
        RunUntil([&] { return m_view->FrameSplitter() && FramesSettled(*m_view); });
    }
    std::string UrlShownBy(CTarnwickView& view) {
        CMimeObject* content = view.Document().ContentObject();
        return content ? content->Url() : std::string();
    }
    CTarnwickView& Frame(const std::string& name) {
        CTarnwickView* frame = m_view->FindViewByFrameName(name);
        EXPECT_NE(frame, nullptr) << name;
        return frame ? *frame : *m_view;
    }
    CRect RectOf(const std::string& name) {
        auto& window = static_cast<CHeadlessViewWindow&>(Frame(name).Window());
        CPoint at = window.Origin();
        CPoint size = window.ClientSize();
        return {at.x, at.y, at.x + size.x, at.y + size.y};
    }
    // Clicks the first link of a frame.
    void ClickLinkIn(const std::string& name) {
        CTarnwickView& frame = Frame(name);
        std::optional<CRect> link;
        ASSERT_TRUE(frame.CurrentLayout());
        frame.CurrentLayout()->ForEachItem([&](const CDisplayItem& item) {
            if (!link && item.type == DisplayItemType::LinkText)
                link = item.GetRect();
        });
        ASSERT_TRUE(link);
        CRect at = RectOf(name);
        m_window.Click(
            {at.left + (link->left + link->right) / 2, at.top + (link->top + link->bottom) / 2});
    }
    // Three frames: a column of 100 pixels, and a star column holding a
    // nested set of two rows.
    void ShowThreeFrames(const std::string& left) {
        WritePage("left.html", left);
        WritePage("upper.html", "<html><body bgcolor=\"#00ff00\">upper</body></html>");
        WritePage("lower.html", "<html><body bgcolor=\"#0000ff\">lower</body></html>");
        WritePage("other.html", "<html><body bgcolor=\"#ffff00\">other</body></html>");
        ShowFrames(WritePage("set.html", "<html><frameset cols=\"100,*\">"
                                         "<frame src=\"left.html\" name=\"left\">"
                                         "<frameset rows=\"20%,30%\">"
                                         "<frame src=\"upper.html\" name=\"upper\">"
                                         "<frame src=\"lower.html\" name=\"lower\">"
                                         "</frameset></frameset></html>"));
    }
};

TEST_F(FrameTest, ThreeFramesWithANestedSetFillTheirPanes) {
    ShowThreeFrames(Tall("#ff0000"));
    EXPECT_EQ(m_view->ChildViews().size(), 3u);
    EXPECT_EQ(CTarnwickView::ViewCount(), 4u);
    // 400 x 300: the left column 100 plus a scroll bar, a bar of 6, the rest;
    // the nested rows share 300 - 6 as 20 : 30.
    constexpr int32_t Left = 100 + Bar, Right = Left + CViewSplitterWnd::PaneGap;
    constexpr int32_t Upper = (300 - CViewSplitterWnd::PaneGap) * 20 / 50;
    EXPECT_EQ(RectOf("left"), (CRect{0, 0, Left, 300}));
    EXPECT_EQ(RectOf("upper"), (CRect{Right, 0, 400, Upper}));
    EXPECT_EQ(RectOf("lower"), (CRect{Right, Upper + CViewSplitterWnd::PaneGap, 400, 300}));
    EXPECT_EQ(UrlShownBy(Frame("upper")), UrlOf("upper.html"));
    EXPECT_EQ(ScreenColor({10, 290}), MakeColorRef(0xff, 0, 0));
    EXPECT_EQ(ScreenColor({390, 10}), MakeColorRef(0, 0xff, 0));
    EXPECT_EQ(ScreenColor({390, 290}), MakeColorRef(0, 0, 0xff));
    EXPECT_EQ(m_document->ContentObject()->Url(), UrlOf("set.html"));
    EXPECT_FALSE(Frame("left").Document().IsTopLevel());
}

TEST_F(FrameTest, ResizeKeepsTheProportions) {
    ShowThreeFrames(Tall("#ff0000"));
    m_window.Resize({800, 600});
    constexpr int32_t Left = 100 + Bar, Right = Left + CViewSplitterWnd::PaneGap;
    constexpr int32_t Upper = (600 - CViewSplitterWnd::PaneGap) * 20 / 50;
    EXPECT_EQ(RectOf("left"), (CRect{0, 0, Left, 600}));
    EXPECT_EQ(RectOf("upper"), (CRect{Right, 0, 800, Upper}));
    EXPECT_EQ(RectOf("lower"), (CRect{Right, Upper + CViewSplitterWnd::PaneGap, 800, 600}));
}

TEST_F(FrameTest, ADraggedBarMovesUntilTheNextResize) {
    ShowThreeFrames(Tall("#ff0000"));
    m_window.Splitter()->DragBar(0, 200);
    EXPECT_EQ(RectOf("left").right, 200);
    m_window.Resize({400, 301});
    EXPECT_EQ(RectOf("left").right, 100 + Bar);
}

TEST_F(FrameTest, ScrollingNoNeverScrolls) {
    WritePage("tall.html", Tall("#ff0000"));
    ShowFrames(WritePage("set.html", "<frameset rows=\"*,*\">"
                                     "<frame src=\"tall.html\" name=\"fixed\" scrolling=\"no\">"
                                     "<frame src=\"tall.html\" name=\"free\" scrolling=\"yes\">"
                                     "</frameset>"));
    CTarnwickView& fixed = Frame("fixed");
    EXPECT_TRUE(fixed.NoScroll());
    EXPECT_FALSE(Frame("free").NoScroll());
    EXPECT_LE(fixed.Window().ScrollTotal().y, fixed.Window().ClientSize().y);
    EXPECT_GT(Frame("free").Window().ScrollTotal().y, Frame("free").Window().ClientSize().y);
    auto& window = static_cast<CHeadlessViewWindow&>(fixed.Window());
    window.Key(ViewKey::End);
    EXPECT_EQ(window.ScrollPosition(), (CPoint{0, 0}));
    m_window.Resize({400, 200});
    EXPECT_LE(fixed.Window().ScrollTotal().y, fixed.Window().ClientSize().y);
}

TEST_F(FrameTest, FrameTakesItsMarginsOnlyWhenBothAreGiven) {
    WritePage("a.html", "<body>a</body>");
    ShowFrames(WritePage("set.html", "<frameset cols=\"*,*\">"
                                     "<frame src=\"a.html\" name=\"both\" marginwidth=\"3\" "
                                     "marginheight=\"4\">"
                                     "<frame src=\"a.html\" name=\"one\" marginwidth=\"3\">"
                                     "</frameset>"));
    EXPECT_EQ(Frame("both").Margins(), (CPoint{3, 4}));
    EXPECT_EQ(Frame("one").Margins(),
              (CPoint{CTarnwickView::HorizontalMargin, CTarnwickView::VerticalMargin}));
}

TEST_F(FrameTest, ALinkWithATargetLoadsInThatFrameOnly) {
    ShowThreeFrames(LinkTo("other.html", "lower"));
    ClickLinkIn("left");
    RunUntil([&] { return UrlShownBy(Frame("lower")) == UrlOf("other.html") && Settled(); });
    EXPECT_EQ(UrlShownBy(Frame("left")), UrlOf("left.html"));
    EXPECT_EQ(UrlShownBy(Frame("upper")), UrlOf("upper.html"));
    EXPECT_EQ(m_document->ContentObject()->Url(), UrlOf("set.html"));
}

TEST_F(FrameTest, ALinkWithoutATargetLoadsInItsOwnFrame) {
    ShowThreeFrames(LinkTo("other.html", ""));
    ClickLinkIn("left");
    RunUntil([&] { return UrlShownBy(Frame("left")) == UrlOf("other.html") && Settled(); });
    EXPECT_EQ(UrlShownBy(Frame("lower")), UrlOf("lower.html"));
    EXPECT_EQ(m_document->ContentObject()->Url(), UrlOf("set.html"));
}

TEST_F(FrameTest, TargetsHaveNoReservedNamesAndUnknownOnesGoToTheTop) {
    for (const char* target : {"nowhere", "_top", "_self", "_blank", "Lower"}) {
        ShowThreeFrames(LinkTo("other.html", target));
        ClickLinkIn("left");
        RunUntil([&] { return ShownUrl() == UrlOf("other.html") && Settled(); });
        EXPECT_EQ(m_view->FrameSplitter(), nullptr) << target;
        EXPECT_EQ(CTarnwickView::ViewCount(), 1u) << target;
    }
}

TEST_F(FrameTest, AFrameWhoseSourceIsAFrameSetNests) {
    WritePage("a.html", "<body bgcolor=\"#ff0000\">a</body>");
    WritePage("b.html", "<body bgcolor=\"#0000ff\">b</body>");
    WritePage("inner.html", "<frameset cols=\"*,*\"><frame src=\"a.html\" name=\"a\">"
                            "<frame src=\"b.html\" name=\"b\"></frameset>");
    WritePage("other.html", "<body>other</body>");
    ShowFrames(WritePage("outer.html", "<frameset rows=\"50,*\">"
                                       "<frame src=\"b.html\" name=\"head\">"
                                       "<frame src=\"inner.html\" name=\"body\"></frameset>"));
    RunUntil([&] {
        CTarnwickView* body = m_view->FindViewByFrameName("body");
        return body && body->FrameSplitter() && FramesSettled(*body) && FramesSettled(*m_view);
    });
    CTarnwickView& body = Frame("body");
    EXPECT_EQ(body.ChildViews().size(), 2u);
    EXPECT_EQ(Frame("a").ParentView(), &body) << "found depth first from the top";
    EXPECT_EQ(CTarnwickView::ViewCount(), 5u);
    EXPECT_EQ(ScreenColor({10, 290}), MakeColorRef(0xff, 0, 0));
    EXPECT_EQ(ScreenColor({390, 290}), MakeColorRef(0, 0, 0xff));
    // Leaving the nested page takes its frames down.
    Frame("body").Document().Navigate({.url = UrlOf("other.html")});
    RunUntil([&] { return UrlShownBy(Frame("body")) == UrlOf("other.html") && Settled(); });
    EXPECT_EQ(CTarnwickView::ViewCount(), 3u);
    EXPECT_EQ(m_view->FindViewByFrameName("a"), nullptr);
}

TEST_F(FrameTest, AFrameSetHoldingItselfStopsNesting) {
    ShowFrames(WritePage("self.html", "<frameset cols=\"*,*\"><frame src=\"self.html\" name=\"x\">"
                                      "<frame name=\"y\"></frameset>"));
    EXPECT_EQ(CTarnwickView::ViewCount(), 3u);
    EXPECT_EQ(Frame("x").Document().ContentObject(), nullptr);
}

TEST_F(FrameTest, OnlyTheTopLevelDocumentRecordsHistory) {
    CHistory history;
    m_view.reset();
    m_document.reset();
    m_document = std::make_unique<CTarnwickDoc>(nullptr, &history);
    m_view = std::make_unique<CTarnwickView>(*m_document, m_window);
    ShowThreeFrames(LinkTo("other.html", "lower"));
    ClickLinkIn("left");
    RunUntil([&] { return UrlShownBy(Frame("lower")) == UrlOf("other.html") && Settled(); });
    ASSERT_NE(history.Current(), nullptr);
    EXPECT_EQ(history.Current()->url, UrlOf("set.html"));
    EXPECT_EQ(history.Previous(), nullptr);
}

TEST_F(FrameTest, LeavingWithLoadsRunningTakesEveryFrameDown) {
    WritePage("plain.html", "<body>plain</body>");
    WritePage("inner.html", "<frameset rows=\"*,*\"><frame src=\"gate:text/html/c\">"
                            "<frame src=\"gate:text/html/d\"></frameset>");
    m_document->Navigate({.url = WritePage("set.html", "<frameset cols=\"*,*,*\">"
                                                       "<frame src=\"gate:text/html/a\">"
                                                       "<frame src=\"inner.html\">"
                                                       "<frameset rows=\"*\">"
                                                       "<frame src=\"gate:text/html/b\">"
                                                       "</frameset></frameset>")});
    RunUntil([&] {
        CTarnwickView* inner = m_view->ChildViews().size() == 3 ? m_view->ChildViews()[1] : nullptr;
        return inner && inner->FrameSplitter() && UiMessageQueue().Empty();
    });
    EXPECT_EQ(CTarnwickView::ViewCount(), 6u);
    EXPECT_TRUE(Scheduler().AnyActive()) << "the gated frames are still loading";
    m_document->Navigate({.url = UrlOf("plain.html")});
    RunUntil([&] { return ShownUrl() == UrlOf("plain.html") && Settled(); });
    EXPECT_EQ(CTarnwickView::ViewCount(), 1u);
    EXPECT_EQ(m_window.Splitter(), nullptr);
    EXPECT_TRUE(m_view->ChildViews().empty());
    EXPECT_FALSE(Scheduler().AnyActive());
}

TEST_F(FrameTest, StopCancelsEveryFramesLoads) {
    m_document->Navigate({.url = WritePage("set.html", "<frameset cols=\"*,*\">"
                                                       "<frame src=\"gate:text/html/a\" name=\"a\">"
                                                       "<frame src=\"gate:text/html/b\" name=\"b\">"
                                                       "</frameset>")});
    RunUntil([&] { return m_view->ChildViews().size() == 2 && Scheduler().AnyActive(); });
    m_document->StopAll();
    RunUntil([&] { return Settled(); });
    EXPECT_EQ(Frame("a").Document().ContentObject(), nullptr);
    EXPECT_EQ(CTarnwickView::ViewCount(), 3u) << "the frames stay, empty";
}

TEST_F(FrameTest, AThousandFramesInOneSet) {
    WritePage("leaf.html", "<body>x</body>");
    std::string page = "<frameset cols=\"";
    for (int i = 0; i < 1000; ++i)
        page += i ? ",*" : "*";
    page += "\">";
    for (int i = 0; i < 1000; ++i)
        page += i % 100 ? "<frame>" : "<frame src=\"leaf.html\">";
    ShowFrames(WritePage("many.html", page + "</frameset>"));
    EXPECT_EQ(m_view->ChildViews().size(), 1000u);
    const std::vector<CRect>& rects = m_view->FrameSplitter()->PaneRects();
    ASSERT_EQ(rects.size(), 1000u);
    EXPECT_EQ(rects.back().right, 400);
    for (const CRect& rect : rects)
        EXPECT_GE(rect.Width(), 0);
    EXPECT_NE(ScreenColor({399, 299}), 0xFFFFFFFFu) << "squeezed panes leave the window a picture";
    m_document->Navigate({.url = UrlOf("leaf.html")});
    RunUntil([&] { return ShownUrl() == UrlOf("leaf.html") && Settled() && m_view->HasLayout(); });
    EXPECT_EQ(CTarnwickView::ViewCount(), 1u);
}

TEST_F(FrameTest, AFrameSetWithoutFramesShowsNothing) {
    m_document->Navigate({.url = WritePage("empty.html", "<frameset cols=\"*,*\"></frameset>")});
    RunUntil([&] { return ShownUrl() == UrlOf("empty.html") && Settled(); });
    EXPECT_EQ(m_view->FrameSplitter(), nullptr);
    EXPECT_EQ(CTarnwickView::ViewCount(), 1u);
}

} // namespace
