#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string Repeat(std::string_view unit, size_t times) {
    std::string out;
    out.reserve(unit.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += unit;
    return out;
}

constexpr size_t Deep = 10000;

TEST(HtmlHostileInput, DeeplyNestedListsTablesAndFonts) {
    const char* units[] = {"<ul><li>x",       "<ol><li>",        "<dl><dt>a<dd>b",
                           "<table><tr><td>", "<font size=+1>f", "<blockquote>q",
                           "<b><i><u><tt>",   "<pre>p",          "<table><td><font size=7>"};
    for (const char* unit : units) {
        ParsedDocument parsed = Parse(Repeat(unit, Deep) + "end");
        ASSERT_FALSE(parsed.elements.empty()) << unit;
        EXPECT_EQ(parsed.elements.back()->kind, ElementKind::EndOfDocument) << unit;
        EXPECT_NE(parsed.VisibleText().find("end"), std::string::npos) << unit;
    }
}

TEST(HtmlHostileInput, EveryNestedTableIsClosedAtTheEnd) {
    ParsedDocument parsed = Parse(Repeat("<table><tr><td>", 1000));
    for (const auto* table : parsed.OfKind<CTableElement>(ElementKind::Table))
        EXPECT_EQ(table->complete, 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::TableEnd).size(),
              parsed.OfKind(ElementKind::Table).size());
}

TEST(HtmlHostileInput, HugeSpansAndSizesAreBounded) {
    ParsedDocument parsed = Parse("<table><tr><td rowspan=2000000000 colspan=2000000000>x"
                                  "<td colspan=-5>y</table><font size=99999999999>z");
    auto table = parsed.OfKind<CTableElement>(ElementKind::Table).at(0);
    EXPECT_LE(table->rowSpanCarry.size(), 1002u);
    auto cells = parsed.OfKind<CTableCellElement>(ElementKind::TableCell);
    EXPECT_GE(cells.at(1)->columnSpan, 1u);
    auto texts = parsed.OfKind<CTextElement>(ElementKind::Text);
    EXPECT_EQ(texts.back()->textStyle & TextStyle::SizeMask, 7u);
}

TEST(HtmlHostileInput, ManyAmpersandsWithoutSemicolonStayLinear) {
    // Would take minutes if each "&" searched or copied the rest of the block.
    std::string html = Repeat("&&&&&&&&&&x", 200000);
    ParsedDocument parsed = Parse(html);
    EXPECT_EQ(parsed.text.Length(), html.size());
}

TEST(HtmlHostileInput, UnendedTagAndCommentAreDropped) {
    EXPECT_EQ(Parse("a<" + Repeat("x", 100000)).VisibleText(), "a");
    EXPECT_EQ(Parse("a<!--" + Repeat("x > y ", 10000)).VisibleText(), "a");
}

} // namespace
