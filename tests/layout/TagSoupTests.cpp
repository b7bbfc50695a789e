#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Pieces of real and broken markup that stress the layout's state: tables
// opened and closed anywhere, floats, lists, centring, hostile sizes.
const char* const kPieces[] = {
    "<table border>",
    "</table>",
    "<tr>",
    "<td colspan=3>",
    "<td rowspan=2>",
    "<th>",
    "<td width=900>",
    "<table width=150% cellpadding=9>",
    "<img src=a.gif align=left>",
    "<img src=b.gif align=right width=300 height=20 hspace=8 vspace=4>",
    "<img src=c.gif width=9 height=9>",
    "<br clear=all>",
    "<br>",
    "<p align=center>",
    "<p>",
    "</p>",
    "<center>",
    "</center>",
    "<pre>",
    "</pre>",
    "<ul><li>",
    "<ol><li>",
    "<li>",
    "</ul>",
    "</ol>",
    "<a href=x.html>",
    "</a>",
    "<a name=n>",
    "<hr width=30>",
    "<hr>",
    "<form action=/f>",
    "</form>",
    "<input size=99999999>",
    "<input type=submit value=Go>",
    "<select><option>one<option>two</select>",
    "<textarea rows=100000000 cols=-5>t</textarea>",
    "word ",
    "more words ",
    "longwordlongwordlongwordlongwordlongword",
    "<font size=7>",
    "</font>",
    "<embed src=c.opf>",
    "<embed src=d.opf width=30 height=30>",
    "<h1>",
    "</h1>",
    "<dl><dt>",
    "<dd>",
    "</dl>",
    "<blockquote>",
    "</blockquote>",
    "<b>",
    "</b>",
    " ",
    "\n",
};

constexpr int32_t kFar = 1 << 30;

std::string RandomPage(std::mt19937& random, size_t pieces) {
    std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
    std::string html;
    for (size_t i = 0; i < pieces; ++i)
        html += kPieces[pick(random)];
    return html;
}

// The binary search over lines finds exactly the items a full walk finds.
void ExpectAreaQueriesMatchAWalk(CLayoutEngine& engine, const std::vector<SeenItem>& items,
                                 std::mt19937& random) {
    const CPoint extent = engine.GetExtent();
    std::uniform_int_distribution<int32_t> x(0, std::max(1, extent.x));
    std::uniform_int_distribution<int32_t> y(0, std::max(1, extent.y));
    std::uniform_int_distribution<int32_t> side(1, 400);
    for (int i = 0; i < 8; ++i) {
        const int32_t left = x(random);
        const int32_t top = y(random);
        const CRect area{left, top, left + side(random), top + side(random)};
        std::set<const CDisplayItem*> expected;
        for (const SeenItem& item : items) {
            const CRect& r = item.rect;
            if (r.left < area.right && area.left < r.right && r.top < area.bottom &&
                area.top < r.bottom)
                expected.insert(item.item);
        }
        std::set<const CDisplayItem*> found;
        engine.ForEachItemIn(area, [&](const CDisplayItem& item) { found.insert(&item); });
        EXPECT_EQ(found, expected);
    }
}

TEST(LayoutTagSoup, AnyMarkupLaysOutToTheEndWithSaneItems) {
    std::mt19937 random(1996);
    for (int page = 0; page < 40; ++page) {
        const std::string html = RandomPage(random, 250);
        for (int32_t width : {40, 320, 900}) {
            SCOPED_TRACE(html);
            LaidOutPage laidOut = LayOut(html, width, 24);
            const CPoint extent = laidOut.engine->GetExtent();
            EXPECT_GE(extent.y, 0);
            size_t inArea = 0;
            laidOut.engine->ForEachItemIn({-kFar, -kFar, kFar, kFar},
                                          [&](const CDisplayItem&) { ++inArea; });
            auto items = Items(*laidOut.engine);
            EXPECT_EQ(inArea, items.size());
            for (const SeenItem& item : items) {
                EXPECT_GE(item.rect.Width(), 0);
                EXPECT_GE(item.rect.Height(), 0);
            }
            ExpectAreaQueriesMatchAWalk(*laidOut.engine, items, random);
        }
    }
}

} // namespace
