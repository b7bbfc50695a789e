#include "layout/CTableLayout.h"
#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int32_t kAvailable = kPageWidth - 2 * kSideMargin;

std::vector<const CFrameItem*> Frames(CLayoutEngine& engine, uint32_t style) {
    std::vector<const CFrameItem*> frames;
    for (const SeenItem& item : ItemsOfType(engine, DisplayItemType::Frame3D)) {
        const auto& frame = static_cast<const CFrameItem&>(*item.item);
        if (frame.frameStyle == style)
            frames.push_back(&frame);
    }
    return frames;
}

TEST(LayoutTables, ABareBorderDrawsFramesTwoPixelsWide) {
    LaidOutPage page = LayOut("<table border><tr><td>a<td>b</table>");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    auto cells = Frames(*page.engine, FrameStyle::Cell);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(tables[0]->frameWidth, 2);
    EXPECT_EQ(cells[0]->frameWidth, 2);
    // Cell frames lie one pixel outside the cells, inside the table's.
    EXPECT_EQ(cells[0]->GetRect().left, tables[0]->GetRect().left + 1);
    EXPECT_EQ(cells[1]->GetRect().left, cells[0]->GetRect().right);
    EXPECT_EQ(tables[0]->GetRect().right, cells[1]->GetRect().right + 1);
}

TEST(LayoutTables, WithoutABorderThereAreNoFrames) {
    LaidOutPage page = LayOut("<table><tr><td>a<td>b</table>");
    EXPECT_TRUE(ItemsOfType(*page.engine, DisplayItemType::Frame3D).empty());
    EXPECT_LT(TextItem(*page.engine, "a").rect.left, TextItem(*page.engine, "b").rect.left);
}

TEST(LayoutTables, ATableFollowsABlankLine) {
    LaidOutPage page = LayOut("text<table><tr><td>cell</table>after");
    SeenItem text = TextItem(*page.engine, "text");
    SeenItem cell = TextItem(*page.engine, "cell");
    // One blank line, then the cell padding of 1.
    EXPECT_EQ(cell.rect.top, text.rect.top + 2 * LineHeight() + 1);
    EXPECT_GT(TextItem(*page.engine, "after").rect.top, cell.rect.bottom);
}

TEST(LayoutTables, RowSpansPushLaterCellsRight) {
    LaidOutPage page =
        LayOut("<table border=1><tr><td rowspan=2>A<td>B<tr><td>C<tr><td>D<td>E</table>");
    SeenItem a = TextItem(*page.engine, "A");
    SeenItem b = TextItem(*page.engine, "B");
    SeenItem c = TextItem(*page.engine, "C");
    SeenItem d = TextItem(*page.engine, "D");
    SeenItem e = TextItem(*page.engine, "E");
    EXPECT_EQ(c.rect.left, b.rect.left);
    EXPECT_GT(c.rect.top, b.rect.top);
    EXPECT_EQ(d.rect.left, a.rect.left);
    EXPECT_EQ(e.rect.left, b.rect.left);
    // The spanning cell's frame covers both rows.
    auto cells = Frames(*page.engine, FrameStyle::Cell);
    auto spanning = std::find_if(cells.begin(), cells.end(), [&](const CFrameItem* frame) {
        return frame->GetRect().Contains(a.rect.left, a.rect.top);
    });
    ASSERT_NE(spanning, cells.end());
    EXPECT_GT((*spanning)->GetRect().bottom, c.rect.bottom);
}

TEST(LayoutTables, AColumnSpanTakesTheWidthOfItsColumns) {
    LaidOutPage page = LayOut("<table border=2><tr><td colspan=2>wide<tr><td>x<td>yyyyyyy</table>");
    auto cells = Frames(*page.engine, FrameStyle::Cell);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0]->GetRect().left, cells[1]->GetRect().left);
    EXPECT_EQ(cells[0]->GetRect().right, cells[2]->GetRect().right);
}

TEST(LayoutTables, PercentWidthTakesItsShareOfTheLine) {
    LaidOutPage page = LayOut("<table width=50% border=1><tr><td>a<td>b</table>");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0]->GetRect().Width(), kAvailable * 50 / 100);
}

TEST(LayoutTables, PixelWidthIsKeptWhenTheContentIsNarrower) {
    LaidOutPage page = LayOut("<table width=300 border=1><tr><td>a<td>b</table>");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0]->GetRect().Width(), 300);
}

TEST(LayoutTables, APercentCellWidthIsIgnored) {
    LaidOutPage narrow = LayOut("<table border=1><tr><td width=50%>a<td>b</table>");
    LaidOutPage plain = LayOut("<table border=1><tr><td>a<td>b</table>");
    EXPECT_EQ(Dump(*narrow.engine), Dump(*plain.engine));
}

TEST(LayoutTables, ColumnWidthsInTheThreeCases) {
    CTableMeasure measure;
    measure.minimum = {10, 20, 30};
    measure.maximum = {50, 100, 30};
    const int32_t border = 1;
    measure.totalMinimum = border + (10 + 1) + (20 + 1) + (30 + 1);  // 64
    measure.totalMaximum = border + (50 + 1) + (100 + 1) + (30 + 1); // 184
    int32_t width = 0;
    EXPECT_EQ(CTableLayout::ColumnWidths(measure, border, 500, width),
              (std::vector<int32_t>{50, 100, 30}));
    EXPECT_EQ(width, 184);
    EXPECT_EQ(CTableLayout::ColumnWidths(measure, border, 40, width),
              (std::vector<int32_t>{10, 20, 30}));
    EXPECT_EQ(width, 64);
    // 100 available: 36 to share out over a range of 120, by wish (40, 80, 0).
    EXPECT_EQ(CTableLayout::ColumnWidths(measure, border, 100, width),
              (std::vector<int32_t>{10 + 12, 20 + 24, 30}));
    EXPECT_EQ(width, 100);
    // 101 available: 37 shares out as 12 and 24, and the rounding rest goes
    // to the last column that wants more.
    EXPECT_EQ(CTableLayout::ColumnWidths(measure, border, 101, width),
              (std::vector<int32_t>{10 + 12, 20 + 24 + 1, 30}));
    EXPECT_EQ(width, 101);
}

TEST(LayoutTables, ANarrowViewSharesTheSpareWidthByWish) {
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "word ";
    LaidOutPage page =
        LayOut("<table border=1><tr><td>" + words + "<td>" + words + words + "</table>");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0]->GetRect().Width(), kAvailable);
    auto cells = Frames(*page.engine, FrameStyle::Cell);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_GT(cells[1]->GetRect().Width(), cells[0]->GetRect().Width());
}

TEST(LayoutTables, ATableWiderThanTheViewOverflows) {
    const std::string wide(120, 'w');
    LaidOutPage page = LayOut("<table border=1><tr><td><pre>" + wide + "</pre><td>x</table>");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_GT(tables[0]->GetRect().right, kPageWidth);
    EXPECT_GT(page.engine->GetExtent().x, kPageWidth);
}

TEST(LayoutTables, CellsAlignVerticallyInTheirRow) {
    LaidOutPage page = LayOut("<table><tr><td><img src=t.gif width=10 height=100>"
                              "<td valign=top>top<td valign=bottom>bottom<td>middle</table>");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    SeenItem top = TextItem(*page.engine, "top");
    SeenItem bottom = TextItem(*page.engine, "bottom");
    SeenItem middle = TextItem(*page.engine, "middle");
    EXPECT_EQ(top.rect.top, image.rect.top);
    EXPECT_EQ(bottom.rect.bottom, image.rect.bottom);
    const int32_t spare = image.rect.Height() - middle.rect.Height();
    EXPECT_EQ(middle.rect.top, image.rect.top + spare / 2);
}

TEST(LayoutTables, NestedTablesLieInsideTheirCell) {
    LaidOutPage page = LayOut("<table border><tr><td>out<table border><tr><td>in</table>"
                              "<td>next</table>after");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 2u);
    const CFrameItem* inner =
        tables[0]->GetRect().Width() < tables[1]->GetRect().Width() ? tables[0] : tables[1];
    const CFrameItem* outer = inner == tables[0] ? tables[1] : tables[0];
    EXPECT_LT(outer->GetRect().left, inner->GetRect().left);
    EXPECT_LT(inner->GetRect().right, outer->GetRect().right);
    EXPECT_LT(outer->GetRect().top, inner->GetRect().top);
    EXPECT_LT(inner->GetRect().bottom, outer->GetRect().bottom);
    EXPECT_TRUE(inner->GetRect().Contains(TextItem(*page.engine, "in").rect.left,
                                          TextItem(*page.engine, "in").rect.top));
    EXPECT_GT(TextItem(*page.engine, "next").rect.left, inner->GetRect().right);
    EXPECT_GE(TextItem(*page.engine, "after").rect.top, outer->GetRect().bottom);
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Cell).size(), 3u);
}

TEST(LayoutTables, ATableOpenedOutsideAnyCellIsPassedOverToItsEnd) {
    // The inner table's rows, cells and end are not the outer table's: the
    // outer table keeps its own two cells and ends at its own end.
    LaidOutPage page = LayOut("<table border><table border><tr><td>skipped<td>x</table>"
                              "<tr><td>b<td>c</table>after");
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Cell).size(), 2u);
    for (const char* word : {"b", "c"}) {
        const SeenItem cell = TextItem(*page.engine, word);
        EXPECT_TRUE(tables[0]->GetRect().Contains(cell.rect.left, cell.rect.top)) << word;
    }
    EXPECT_EQ(TextItem(*page.engine, "skipped").type, DisplayItemType::Text);
    EXPECT_GE(TextItem(*page.engine, "after").rect.top, tables[0]->GetRect().top);
}

TEST(LayoutTables, AnUnfinishedTableWaitsForItsEnd) {
    auto object = std::make_unique<CHtmlObject>("http://host/p.html", "text/html");
    const std::string head = "<p>before</p><table border><tr><td>cell";
    (void)object->Write(head.data(), head.size());
    CFakeResources resources;
    auto engine = MakeEngine(*object, &resources);
    EXPECT_FALSE(engine->Pass());
    EXPECT_TRUE(ItemsOfType(*engine, DisplayItemType::Frame3D).empty());
    const std::string rest = "</table>after";
    (void)object->Write(rest.data(), rest.size());
    (void)object->EndOfData();
    EXPECT_TRUE(engine->Pass());
    EXPECT_EQ(ItemsOfType(*engine, DisplayItemType::Frame3D).size(), 2u);
    EXPECT_EQ(TextItem(*engine, "after").type, DisplayItemType::Text);
}

TEST(LayoutTables, AnImageWithoutSizeInATableHoldsTheWholeTable) {
    auto object = ParseHtml("<table><tr><td>a<td><img src=x.gif></table>");
    CFakeResources resources;
    auto engine = MakeEngine(*object, &resources);
    EXPECT_FALSE(engine->Pass());
    EXPECT_TRUE(Items(*engine).empty());
    EXPECT_EQ(resources.Requests().count("http://host/dir/x.gif"), 1u);
    resources.SetSize("http://host/dir/x.gif", 30, 30);
    EXPECT_TRUE(engine->Pass());
    EXPECT_EQ(ItemsOfType(*engine, DisplayItemType::Image).size(), 1u);
}

TEST(LayoutTables, ACellEndsBelowItsFloatingPicture) {
    LaidOutPage page = LayOut("<table border><tr><td><img src=x.gif align=left width=20 "
                              "height=80>text<td>b</table>after");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    auto cells = Frames(*page.engine, FrameStyle::Cell);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_GT(cells[0]->GetRect().bottom, image.rect.bottom);
    EXPECT_GT(TextItem(*page.engine, "after").rect.top, image.rect.bottom);
}

TEST(LayoutTables, HostileSpansStayBounded) {
    LaidOutPage page =
        LayOut("<table border><tr><td colspan=1000000 rowspan=1000000>x<td>y<tr><td>z</table>");
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Table).size(), 1u);
    EXPECT_EQ(TextItem(*page.engine, "z").type, DisplayItemType::Text);
}

TEST(LayoutTables, CellsBeyondTheLastColumnGoOnInItsCell) {
    std::string html = "<table border><tr>";
    for (int i = 0; i < 1100; ++i)
        html += "<td>c" + std::to_string(i) + " ";
    html += "<tr><td>last</table>after";
    LaidOutPage page = LayOut(html);
    // 1,024 cells in the first row, one in the second.
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Cell).size(), 1025u);
    const SeenItem lastColumn = TextItem(*page.engine, "c1023");
    const SeenItem beyond = TextItem(*page.engine, "c1099");
    EXPECT_EQ(beyond.type, DisplayItemType::Text);
    EXPECT_GE(beyond.rect.left, lastColumn.rect.left);
    EXPECT_EQ(TextItem(*page.engine, "last").type, DisplayItemType::Text);
    EXPECT_EQ(TextItem(*page.engine, "after").type, DisplayItemType::Text);
}

TEST(LayoutTables, AThousandNestedTablesLayOutWithoutExhaustingTheStack) {
    constexpr int kDepth = 1000;
    std::string html;
    for (int i = 0; i < kDepth; ++i)
        html += "<table border><tr><td>";
    html += "deep";
    for (int i = 0; i < kDepth; ++i)
        html += "</table>";
    html += "after";
    LaidOutPage page = LayOut(html);
    SeenItem deep = TextItem(*page.engine, "deep");
    SeenItem after = TextItem(*page.engine, "after");
    EXPECT_GT(after.rect.top, deep.rect.bottom);
    // Every level frames its table and its one cell.
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Table).size(), size_t{kDepth});
    EXPECT_EQ(Frames(*page.engine, FrameStyle::Cell).size(), size_t{kDepth});
}

} // namespace

// A cell's layout state goes once its row is done. A cell moved down by its
// row afterwards still carries the table nested in it (whose own cells went
// with their row), and a long table's rows each lay out in fresh cells.
TEST(LayoutTables, CellsGoneWithTheirRowLeaveTheirLinesInPlace) {
    LaidOutPage page = LayOut("<table><tr><td><img src=t.gif width=10 height=100>"
                              "<td valign=bottom><table border><tr><td>in"
                              "<img src=f.gif align=left width=5 height=5><td>x</table>"
                              "</table>after");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    auto tables = Frames(*page.engine, FrameStyle::Table);
    ASSERT_EQ(tables.size(), 1u);
    const CRect inner = tables[0]->GetRect();
    EXPECT_EQ(inner.bottom, image.rect.bottom);
    EXPECT_TRUE(inner.Contains(TextItem(*page.engine, "in").rect.left,
                               TextItem(*page.engine, "in").rect.top));
    EXPECT_GE(TextItem(*page.engine, "after").rect.top, image.rect.bottom);

    std::string rows;
    for (int i = 0; i < 300; ++i)
        rows += "<tr><td rowspan=2>r" + std::to_string(i) + "<td>c";
    LaidOutPage tall = LayOut("<table border>" + rows + "</table>end");
    // The last row's first cell still spans down when the table ends: it has
    // no frame.
    EXPECT_EQ(Frames(*tall.engine, FrameStyle::Cell).size(), 599u);
    EXPECT_GT(TextItem(*tall.engine, "r299").rect.top, TextItem(*tall.engine, "r298").rect.top);
    EXPECT_GT(TextItem(*tall.engine, "end").rect.top, TextItem(*tall.engine, "r299").rect.top);
}
