#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kLineLeft = kSideMargin;
constexpr int32_t kLineRight = kPageWidth - kSideMargin;

TEST(LayoutBlocks, FirstBlockHasNoBlankLineAbove) {
    LaidOutPage page = LayOut("<h3>Title</h3><p>text</p>");
    EXPECT_EQ(TextItem(*page.engine, "Title").rect.top, kTopMargin);
}

TEST(LayoutBlocks, TwoBlocksThatEachWantABlankLineShareOne) {
    LaidOutPage page = LayOut("<h3>one</h3><h3>two</h3>");
    const int32_t height = LineHeight(4 | TextStyle::Bold);
    SeenItem one = TextItem(*page.engine, "one");
    SeenItem two = TextItem(*page.engine, "two");
    EXPECT_EQ(one.rect.Height(), height);
    EXPECT_EQ(two.rect.top - one.rect.top, 2 * height);
}

TEST(LayoutBlocks, ParagraphsAreSeparatedByOneBlankLine) {
    LaidOutPage page = LayOut("<p>one</p><p>two</p><p>three");
    const int32_t height = LineHeight();
    EXPECT_EQ(TextItem(*page.engine, "two").rect.top - TextItem(*page.engine, "one").rect.top,
              2 * height);
    EXPECT_EQ(TextItem(*page.engine, "three").rect.top - TextItem(*page.engine, "two").rect.top,
              2 * height);
}

TEST(LayoutBlocks, LineBreakOnAnEmptyLineLeavesABlankLine) {
    LaidOutPage page = LayOut("one<br><br>two");
    EXPECT_EQ(TextItem(*page.engine, "two").rect.top - TextItem(*page.engine, "one").rect.top,
              2 * LineHeight());
}

TEST(LayoutWrapping, WordsWrapAtTheLastSpaceThatFits) {
    std::string words;
    for (int i = 0; i < 40; ++i)
        words += "word" + std::to_string(i) + " ";
    LaidOutPage page = LayOut("<p>" + words + "</p>");
    auto texts = ItemsOfType(*page.engine, DisplayItemType::Text);
    ASSERT_GT(texts.size(), 1u);
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].rect.left, kLineLeft);
        EXPECT_LE(texts[i].rect.right, kLineRight);
        EXPECT_EQ(texts[i].rect.top, kTopMargin + static_cast<int32_t>(i) * LineHeight());
        if (i + 1 < texts.size()) {
            EXPECT_EQ(texts[i].text.back(), ' ') << texts[i].text;
            // The next word and its space would not have fitted.
            std::string next = texts[i + 1].text.substr(0, texts[i + 1].text.find(' ') + 1);
            EXPECT_GT(RunWidth(texts[i].text + next), kLineRight - kLineLeft);
        }
    }
}

TEST(LayoutWrapping, AWordLongerThanTheLineIsCutWhereItNoLongerFits) {
    const std::string word(200, 'm');
    LaidOutPage page = LayOut("<p>" + word + "</p>", 300);
    auto texts = ItemsOfType(*page.engine, DisplayItemType::Text);
    ASSERT_GE(texts.size(), 2u);
    const int32_t available = 300 - 2 * kSideMargin;
    EXPECT_EQ(static_cast<int32_t>(texts[0].text.size()), FitCount(word, available));
    EXPECT_LE(texts[0].rect.Width(), available);
    std::string joined;
    for (const SeenItem& text : texts)
        joined += text.text;
    EXPECT_EQ(joined, word);
}

TEST(LayoutWrapping, ALineNeverShrinksBelowTheMinimumLineWidth) {
    const std::string word(40, 'm');
    LaidOutPage page = LayOut("<p>" + word + "</p>", 40);
    const int32_t minimum = MaxCharWidth(7 | TextStyle::Bold | TextStyle::Italic);
    ASSERT_GT(minimum, 40 - 2 * kSideMargin);
    auto texts = ItemsOfType(*page.engine, DisplayItemType::Text);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(static_cast<int32_t>(texts[0].text.size()), FitCount(word, minimum));
    EXPECT_GT(texts[0].rect.right, 40 - kSideMargin);
}

TEST(LayoutWrapping, PreformattedTextNeverWraps) {
    const std::string line(150, 'x');
    LaidOutPage page = LayOut("<pre>" + line + "\nnext</pre>");
    SeenItem first = TextItem(*page.engine, "xxxx");
    EXPECT_EQ(first.text, line);
    EXPECT_GT(first.rect.right, kLineRight);
    EXPECT_GT(page.engine->GetExtent().x, kPageWidth);
    EXPECT_EQ(TextItem(*page.engine, "next").rect.top,
              first.rect.top + LineHeight(3 | TextStyle::Fixed | TextStyle::Preformatted));
}

// Text boxes of a line are kept for later lines, up to 4096 of them: lines
// of 4095, 4096 and 4097 pieces (one box each) leave every piece in its place,
// and the boxes kept from one line serve the next.
TEST(LayoutWrapping, LinesOfManyPiecesKeepEveryPieceInOrder) {
    std::string html = "<pre>";
    for (size_t pieces : {4095u, 4096u, 4097u}) {
        for (size_t i = 0; i < pieces; ++i)
            html += i % 2 ? "<b>b</b>" : "i";
        html += '\n';
    }
    LaidOutPage page = LayOut(html + "</pre>");
    std::vector<SeenItem> texts = ItemsOfType(*page.engine, DisplayItemType::Text);
    ASSERT_EQ(texts.size(), 4095u + 4096u + 4097u);
    size_t at = 0;
    for (size_t pieces : {4095u, 4096u, 4097u}) {
        for (size_t i = 0; i < pieces; ++i, ++at) {
            ASSERT_EQ(texts[at].text, i % 2 ? "b" : "i") << at;
            ASSERT_EQ(texts[at].rect.top, texts[at - i].rect.top) << at;
            if (i > 0) {
                ASSERT_EQ(texts[at].rect.left, texts[at - 1].rect.right) << at;
            }
        }
    }
}

TEST(LayoutWrapping, ALineOfZeroHeightBoxesAdvancesEightPixels) {
    LaidOutPage page = LayOut("<form><input type=hidden name=h value=1><br>after</form>");
    auto controls = ItemsOfType(*page.engine, DisplayItemType::FormControl);
    ASSERT_EQ(controls.size(), 1u);
    EXPECT_EQ(controls[0].rect.top, kTopMargin);
    EXPECT_EQ(controls[0].rect.Height(), 0);
    EXPECT_EQ(TextItem(*page.engine, "after").rect.top, kTopMargin + 8);
}

TEST(LayoutAlignment, CentreSectionsCentreAndRestoreAfterAnAlignedBlock) {
    LaidOutPage page = LayOut("<center>middle<p align=right>right</p>again</center>after");
    const int32_t available = kLineRight - kLineLeft;
    SeenItem middle = TextItem(*page.engine, "middle");
    EXPECT_EQ(middle.rect.left, kLineLeft + (available - RunWidth("middle")) / 2);
    EXPECT_EQ(TextItem(*page.engine, "right").rect.right, kLineRight);
    SeenItem again = TextItem(*page.engine, "again");
    EXPECT_EQ(again.rect.left, kLineLeft + (available - again.rect.Width()) / 2);
    EXPECT_EQ(TextItem(*page.engine, "after").rect.left, kLineLeft);
}

TEST(LayoutLists, MarkersSitInTheIndentBeforeTheirItems) {
    LaidOutPage page = LayOut("<ol><li>first<li>second</ol><ul><li>dot</ul>");
    auto markers = ItemsOfType(*page.engine, DisplayItemType::ListMarker);
    ASSERT_EQ(markers.size(), 3u);
    const auto& one = static_cast<const CMarkerItem&>(*markers[0].item);
    const auto& two = static_cast<const CMarkerItem&>(*markers[1].item);
    const auto& dot = static_cast<const CMarkerItem&>(*markers[2].item);
    EXPECT_EQ(one.markerStyle, 1u);
    EXPECT_EQ(one.number, 1u);
    EXPECT_EQ(two.number, 2u);
    EXPECT_EQ(dot.markerStyle, 5u);
    // Indent level 1, first line one unit back: the marker fills the unit.
    EXPECT_EQ(markers[0].rect.left, kLineLeft);
    EXPECT_EQ(markers[0].rect.Width(), 48);
    EXPECT_EQ(TextItem(*page.engine, "first").rect.left, kLineLeft + 48);
    // A bullet is an 8-pixel square centred in the unit.
    EXPECT_EQ(markers[2].rect.Width(), 8);
    EXPECT_EQ(markers[2].rect.Height(), 8);
    EXPECT_EQ(markers[2].rect.left, kLineLeft + 20);
}

TEST(LayoutRules, ARuleSpansItsPercentOfTheLine) {
    LaidOutPage page = LayOut("<p>a</p><hr width=50><p>b</p>");
    auto rules = ItemsOfType(*page.engine, DisplayItemType::Rule);
    ASSERT_EQ(rules.size(), 1u);
    const int32_t available = kLineRight - kLineLeft;
    EXPECT_EQ(rules[0].rect.left, kLineLeft + 50 * available / 200);
    EXPECT_EQ(rules[0].rect.right, kLineRight - 50 * available / 200);
    EXPECT_EQ(rules[0].rect.Height(), 5);
}

TEST(LayoutImages, AnImageWithoutSizeStopsThePassUntilItsSizeIsKnown) {
    auto object = ParseHtml("<p>before</p><img src=a.gif><p>after<img src=b.gif></p>");
    CFakeResources resources;
    auto engine = MakeEngine(*object, &resources);
    EXPECT_FALSE(engine->Pass());
    EXPECT_EQ(ItemsOfType(*engine, DisplayItemType::Text).size(), 1u);
    EXPECT_TRUE(ItemsOfType(*engine, DisplayItemType::Image).empty());
    // The images further on are requested while the pass waits.
    auto requests = resources.Requests();
    EXPECT_EQ(requests["http://host/dir/a.gif"], 2u);
    EXPECT_EQ(requests["http://host/dir/b.gif"], 2u);
    EXPECT_FALSE(engine->Pass());

    resources.SetSize("http://host/dir/a.gif", 40, 30);
    resources.SetSize("http://host/dir/b.gif", 10, 10);
    EXPECT_TRUE(engine->Pass());
    auto images = ItemsOfType(*engine, DisplayItemType::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].rect.Width(), 40);
    EXPECT_EQ(images[0].rect.Height(), 30);
    EXPECT_EQ(ItemsOfType(*engine, DisplayItemType::Text).size(), 2u);
    EXPECT_EQ(Items(*engine).size(), 4u); // nothing laid out twice
    EXPECT_GT(TextItem(*engine, "after").rect.top, images[0].rect.bottom);
}

TEST(LayoutImages, ImagesSitOnTheBaselineOfTheirLine) {
    LaidOutPage page = LayOut("<p>text<img src=i.gif width=20 height=40>more</p>");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    SeenItem text = TextItem(*page.engine, "text");
    EXPECT_EQ(image.rect.top, kTopMargin);
    EXPECT_EQ(image.rect.left, kLineLeft + text.rect.Width());
    // The text's baseline meets the image's bottom.
    EXPECT_EQ(text.rect.top + Ascent(), image.rect.bottom);
}

TEST(LayoutImages, AnImageInALinkGrowsByItsBorder) {
    LaidOutPage page = LayOut("<a href=x.html><img src=i.gif width=20 height=10 border=3></a>");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::LinkImage).at(0);
    EXPECT_EQ(image.rect.Width(), 26);
    EXPECT_EQ(image.rect.Height(), 16);
    EXPECT_EQ(static_cast<const CImageItem&>(*image.item).border, 3);
}

TEST(LayoutFloats, LeftFloatHasTextBesideItUntilClear) {
    LaidOutPage page = LayOut("<img src=f.gif align=left width=100 height=100 hspace=5>"
                              "beside<br clear=left>below");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    EXPECT_EQ(image.rect, (CRect{kLineLeft, kTopMargin, kLineLeft + 100, kTopMargin + 100}));
    SeenItem beside = TextItem(*page.engine, "beside");
    EXPECT_EQ(beside.rect.left, kLineLeft + 105);
    EXPECT_EQ(beside.rect.top, kTopMargin);
    EXPECT_GE(TextItem(*page.engine, "below").rect.top, image.rect.bottom);
    EXPECT_EQ(TextItem(*page.engine, "below").rect.left, kLineLeft);
}

TEST(LayoutFloats, RightFloatKeepsTextOnItsLeft) {
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "filler ";
    LaidOutPage page = LayOut("<img src=f.gif align=right width=200 height=60 hspace=4>" + words);
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    EXPECT_EQ(image.rect.right, kLineRight);
    EXPECT_EQ(image.rect.left, kLineRight - 200);
    bool someBelow = false;
    for (const SeenItem& text : ItemsOfType(*page.engine, DisplayItemType::Text)) {
        if (text.rect.top < image.rect.bottom)
            EXPECT_LE(text.rect.right, image.rect.left - 4) << text.text;
        else
            someBelow = someBelow || text.rect.right > image.rect.left;
    }
    EXPECT_TRUE(someBelow); // lines below the float use the whole width again
}

TEST(LayoutFloats, TheEndOfTheDocumentClearsFloats) {
    LaidOutPage page = LayOut("<img src=f.gif align=left width=50 height=300>short");
    EXPECT_GE(page.engine->GetExtent().y, kTopMargin + 300);
}

// A line whose text is exactly as wide as the line stays whole; one pixel
// less and its last word moves on.
TEST(LayoutWrapping, TextThatFitsExactlyStaysOnOneLine) {
    const std::string words = "alpha beta gamma";
    const int32_t exact = RunWidth(words) + 2 * kSideMargin;
    LaidOutPage fits = LayOut("<p>" + words + "</p>", exact);
    auto texts = ItemsOfType(*fits.engine, DisplayItemType::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, words);
    EXPECT_EQ(texts[0].rect.right, exact - kSideMargin);

    LaidOutPage over = LayOut("<p>" + words + "</p>", exact - 1);
    texts = ItemsOfType(*over.engine, DisplayItemType::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "alpha beta ");
    EXPECT_EQ(texts[1].text, "gamma");
}

// Markup that changes nothing (a span, a comment, an unknown tag) leaves one
// run: one item, wrapped as the words it shows. A change of style or of link
// still starts an item of its own.
TEST(LayoutWrapping, TextSplitOnlyByMarkupIsOneRun) {
    const struct {
        const char* html;
        std::vector<std::string> texts;
    } cases[] = {
        {"<p>al<span>pha</span> be<!-- c -->ta<x>!</x></p>", {"alpha beta!"}},
        {"<p>al<b>pha</b></p>", {"al", "pha"}},
        {"<p><a href=u>li<span>nk</span></a> after</p>", {"link", " after"}},
        {"<p><a href=u>one</a><a href=u>two</a></p>", {"one", "two"}},
    };
    for (const auto& c : cases) {
        LaidOutPage page = LayOut(c.html);
        std::vector<std::string> texts;
        for (const SeenItem& item : Items(*page.engine))
            if (!item.text.empty())
                texts.push_back(item.text);
        EXPECT_EQ(texts, c.texts) << c.html;
    }

    // The line breaks where the run would: it fits exactly, or its last
    // word goes on.
    const std::string words = "alpha beta gamma";
    const char* split = "<p>alpha be<span>ta</span> ga<span>mm</span>a</p>";
    const int32_t exact = RunWidth(words) + 2 * kSideMargin;
    LaidOutPage fits = LayOut(split, exact);
    auto texts = ItemsOfType(*fits.engine, DisplayItemType::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, words);
    EXPECT_EQ(texts[0].rect.right, exact - kSideMargin);

    LaidOutPage over = LayOut(split, exact - 1);
    texts = ItemsOfType(*over.engine, DisplayItemType::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "alpha beta ");
    EXPECT_EQ(texts[1].text, "gamma");
    EXPECT_EQ(texts[1].rect.left, kLineLeft);

    // Where the markup falls on the edge of one of the text store's pages
    // (the first two lie apart), whether or not the pieces end up one box,
    // the words wrap where they would and every character shows once, in
    // order: the line breaks in the second piece, measured across the edge.
    for (size_t before :
         {CTextStore::PageSize - 1, CTextStore::PageSize, CTextStore::PageSize + 1}) {
        const std::string first(before, 'a');
        const std::string second = " bb bb bb";
        const int32_t width = RunWidth(first + " bb ") + 2 * kSideMargin;
        LaidOutPage page = LayOut("<p>" + first + "<span>" + second + "</span></p>", width);
        std::vector<SeenItem> pieces = ItemsOfType(*page.engine, DisplayItemType::Text);
        std::string shown;
        for (const SeenItem& piece : pieces)
            shown += piece.text;
        EXPECT_EQ(shown, first + second) << before;
        EXPECT_EQ(TextItem(*page.engine, "bb bb").text, "bb bb") << before;
    }
}

// Text goes back to the margin on the first line below a float: a float
// exactly two lines tall has two lines beside it, one pixel taller three.
TEST(LayoutFloats, TextReturnsToTheMarginRightBelowAFloat) {
    for (int32_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        const int32_t height = 2 * LineHeight() + extra;
        LaidOutPage page = LayOut("<img src=a.gif width=50 height=" + std::to_string(height) +
                                  " align=left>one<br>two<br>three<br>four");
        EXPECT_EQ(TextItem(*page.engine, "one").rect.left, kLineLeft + 50);
        EXPECT_EQ(TextItem(*page.engine, "two").rect.left, kLineLeft + 50);
        EXPECT_EQ(TextItem(*page.engine, "three").rect.left,
                  extra == 0 ? kLineLeft : kLineLeft + 50);
        EXPECT_EQ(TextItem(*page.engine, "four").rect.left, kLineLeft);
    }
}

} // namespace
