#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

const CTableElement& OnlyTable(const ParsedDocument& parsed) {
    auto tables = parsed.OfKind<CTableElement>(ElementKind::Table);
    EXPECT_EQ(tables.size(), 1u);
    return *tables.at(0);
}

TEST(HtmlTables, ColumnCountsAreTheWidestRow) {
    ParsedDocument parsed = Parse("<table><tr><td>a<td colspan=3>b<tr><td>c</table>");
    const CTableElement& table = OnlyTable(parsed);
    EXPECT_EQ(table.columns, 4u);
    EXPECT_EQ(table.rowNumber, 2u);
    EXPECT_EQ(table.complete, 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableRow).size(), 2u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableCell).size(), 3u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableEnd).size(), 1u);
}

TEST(HtmlTables, RowSpansAreCarriedIntoLaterRows) {
    ParsedDocument parsed = Parse("<table><tr><td rowspan=3 colspan=2>a<td>b"
                                  "<tr><td>c<tr><td>d<td>e<tr><td>f</table>");
    const CTableElement& table = OnlyTable(parsed);
    EXPECT_EQ(table.rowSpanCarry, (std::vector<uint32_t>{0, 0, 2, 2}));
    // Row 3 starts two columns in, so its two cells make it four wide.
    EXPECT_EQ(table.columns, 4u);
}

TEST(HtmlTables, CellWithoutRowOpensOneAndStrayCellsAreIgnored) {
    ParsedDocument parsed = Parse("<td>x<tr>y</table><table><td>z</table>");
    EXPECT_EQ(parsed.OfKind(ElementKind::Table).size(), 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableRow).size(), 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableEnd).size(), 1u);
}

TEST(HtmlTables, TableAttributes) {
    ParsedDocument parsed = Parse("<table border width=50% cellpadding=4 units=pixel dp=, "
                                  "colspec=\"L20C30R10\"><td width=50% colspan=2>x"
                                  "<td width=40 align=right valign=top nowrap>y</table>");
    const CTableElement& table = OnlyTable(parsed);
    EXPECT_EQ(table.border, 2);
    EXPECT_EQ(table.width, -50);
    EXPECT_EQ(table.cellPadding, 4);
    EXPECT_EQ(table.units, 2u);
    EXPECT_EQ(table.decimalCharacter, ',');
    // A "C" later in the text makes the first number hexadecimal.
    ASSERT_FALSE(table.columnWidths.empty());
    EXPECT_EQ(table.columnAlignments[0], static_cast<uint32_t>(Align::Left));
    EXPECT_EQ(table.columnWidths[0], 0x20C30);
    auto cells = parsed.OfKind<CTableCellElement>(ElementKind::TableCell);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0]->width, 0);
    EXPECT_EQ(cells[0]->columnSpan, 2u);
    EXPECT_EQ(cells[1]->width, 40);
    EXPECT_EQ(cells[1]->alignment, Align::Right);
    EXPECT_EQ(cells[1]->verticalAlignment, Align::Top);
    EXPECT_EQ(cells[1]->noWrap, 1u);
}

TEST(HtmlTables, HeaderCellsAreBoldAndCentredUntilTheCellEnds) {
    ParsedDocument parsed = Parse("<b>before<table><tr><th><i>head<td>data</table>after");
    auto texts = parsed.OfKind<CTextElement>(ElementKind::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1]->textStyle, 3 | TextStyle::Bold | TextStyle::Italic);
    EXPECT_EQ(texts[2]->textStyle, 3u); // the table reset the style, the cell put it back
    EXPECT_EQ(parsed.OfKind<CTableCellElement>(ElementKind::TableCell).at(0)->alignment,
              Align::Center);
}

TEST(HtmlTables, NestedTablesKeepTheirOwnCounts) {
    ParsedDocument parsed = Parse("<table><tr><td><table><tr><td>a<td>b<td>c</table><td>d</table>");
    auto tables = parsed.OfKind<CTableElement>(ElementKind::Table);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0]->columns, 2u);
    EXPECT_EQ(tables[1]->columns, 3u);
}

TEST(HtmlTables, OpenTablesCloseAtTheEndOfTheData) {
    ParsedDocument parsed = Parse("<table><tr><td><table><td>x");
    auto tables = parsed.OfKind<CTableElement>(ElementKind::Table);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0]->complete, 1u);
    EXPECT_EQ(tables[1]->complete, 1u);
    auto kinds = parsed.Kinds();
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds[kinds.size() - 3], ElementKind::TableEnd);
    EXPECT_EQ(kinds[kinds.size() - 2], ElementKind::TableEnd);
    EXPECT_EQ(kinds.back(), ElementKind::EndOfDocument);
}

TEST(HtmlTables, TableStillWaitsForItsEndWhileDataArrives) {
    ParsedDocument parsed = Parse("<table><tr><td>x", 0, "text/html", Ending::StillLoading);
    EXPECT_EQ(OnlyTable(parsed).complete, 0u);
    EXPECT_TRUE(parsed.OfKind(ElementKind::TableEnd).empty());
}

} // namespace
