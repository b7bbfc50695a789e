#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Wide enough that nothing wraps, no table is narrowed and the widest float
// has text beside it.
constexpr int32_t kWide = 10000;

// How far the items of a laid-out body reach right of the line's start.
int32_t LaidOutWidth(const std::string& body) {
    LaidOutPage page = LayOut(body, kWide);
    int32_t right = kSideMargin;
    for (const SeenItem& item : Items(*page.engine))
        right = std::max(right, item.rect.right);
    return right - kSideMargin;
}

// The width the table measurer gives the one column of a cell holding body:
// the table's frame less its two borders (no cell padding).
int32_t MeasuredWidth(const std::string& body) {
    LaidOutPage page = LayOut("<table border=1 cellpadding=0><tr><td>" + body + "</table>", kWide);
    for (const SeenItem& item : ItemsOfType(*page.engine, DisplayItemType::Frame3D))
        if (static_cast<const CFrameItem&>(*item.item).frameStyle == FrameStyle::Table)
            return item.rect.Width() - 2;
    ADD_FAILURE() << "no table frame for " << body;
    return -1;
}

// A table's columns are measured before its cells are laid out: the two
// must agree on the width of every kind of content, or a cell's lines would
// wrap inside the column made for them.
TEST(LayoutGeometry, MeasuringAndLayingOutGiveTheSameWidths) {
    const std::string cases[] = {
        "plain words of text",
        "<b>bold</b> and <i>italic</i> <font size=7>big</font>",
        "<a href=x>linked words</a> after",
        "<pre>preformatted   text</pre>",
        "<img src=a.gif width=40 height=30> beside",
        "<a href=x><img src=a.gif width=40 height=30 border=3></a>",
        "<img src=a.gif width=40 height=30 align=left hspace=7>x",
        "<img src=a.gif width=40 height=30 align=left hspace=4097>x",
        "<embed src=a.opf width=33 height=20> object",
        "<embed src=a.opf width=33 height=20 placement=floating>x",
        "<form><input size=10> <input type=submit value=Send> <input type=reset></form>",
        "<form><select><option>one<option>a longer option</select></form>",
        "<form><textarea cols=12 rows=3></textarea><input type=checkbox></form>",
        "<blockquote>quoted words</blockquote>",
        "<blockquote><blockquote>quoted twice</blockquote></blockquote>",
    };
    for (const std::string& body : cases) {
        const int32_t laidOut = LaidOutWidth(body);
        EXPECT_GT(laidOut, 0) << body;
        EXPECT_EQ(MeasuredWidth(body), laidOut) << body;
    }
}

// The space beside a floating image stops at 4096 pixels, in the flows and
// in the measuring alike.
TEST(LayoutGeometry, FloatSpaceStopsAt4096) {
    auto besideAt = [](int32_t hspace) {
        LaidOutPage page = LayOut(
            "<img src=a.gif width=40 height=30 align=left hspace=" + std::to_string(hspace) + ">x",
            kWide);
        return TextItem(*page.engine, "x").rect.left - kSideMargin;
    };
    EXPECT_EQ(besideAt(4095), 40 + 4095);
    EXPECT_EQ(besideAt(4096), 40 + 4096);
    EXPECT_EQ(besideAt(4097), 40 + 4096);
    EXPECT_EQ(MeasuredWidth("<img src=a.gif width=40 height=30 align=left hspace=4097>"),
              40 + 4096);
}

} // namespace
