#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* html;
    const char* text;
};

TEST(HtmlEntities, DecodeInRunningText) {
    const TextCase cases[] = {
        {"AT&T and some more words", "AT&T and some more words"},
        {"&lt;b&gt;", "<b>"},
        {"&#65;", "A"},
        {"&#321;", "L"}, // a character the code page lacks shows a stand-in
        {"&#256;x", "Ax"},
        {"&#x2014;&#8217;&hellip;", "\x97\x92\x85"},
        {"&#945;", "?"},
        {"&AMP;", "&AMP;"}, // names keep their case
        {"&amp;", "&"},
        {"&am;", "&"}, // the start of a name matches its row
        {"&;", "\""},
        {"&abcdefghij", "&abcdefghij"},
        {"caf&eacute; &copy;", "caf\xe9 \xa9"},
        {"a&nbsp;b", "a\xa0"
                     "b"},
        {"&Cedilla;&die;&degree;&actute;", "\xb8\xa8\xb0\xb4"},
        {"x &unknown; y", "x &unknown; y"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(Parse(c.html).VisibleText(), c.text) << c.html;
}

TEST(HtmlEntities, SplitAcrossBlocksDecodesOnce) {
    ParsedDocument whole = Parse("x &amp; y");
    for (size_t piece = 1; piece <= 9; ++piece) {
        ParsedDocument split = Parse("x &amp; y", piece);
        EXPECT_EQ(split.VisibleText(), "x & y") << piece;
        EXPECT_EQ(split.Normalised(), whole.Normalised()) << piece;
    }
}

TEST(HtmlEntities, LongPendingNameIsReadAgainAsText) {
    // Blocks of three leave "&abcdefgh" pending until a ninth character shows
    // it can be no entity; the "<b>" inside the replayed part is still a tag.
    ParsedDocument parsed = Parse("&abc<b>defghij", 3);
    EXPECT_EQ(parsed.VisibleText(), "&abcdefghij");
    auto texts = parsed.OfKind<CTextElement>(ElementKind::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back()->textStyle & TextStyle::Bold, TextStyle::Bold);
}

TEST(HtmlEntities, LongNumericEntityDoesNotSwallowText) {
    // Whole or in pieces, more than eight characters after the "&" are text.
    const char* html = "&#65 and some text; &#0000065; &#65xxxx;";
    for (size_t piece : {0, 1, 3, 8}) {
        EXPECT_EQ(Parse(html, piece).VisibleText(), "&#65 and some text; &#0000065; A") << piece;
    }
}

TEST(HtmlEntities, PendingEntityAtEndOfDataIsKeptAsText) {
    EXPECT_EQ(Parse("AT&T").VisibleText(), "AT&T");
    EXPECT_EQ(Parse("a &am").VisibleText(), "a &am");
}

TEST(HtmlTokenizer, CommentWithLoneGreaterThanAndSpacedHyphens) {
    ParsedDocument parsed = Parse("a<!-- a > b -- c -->b");
    EXPECT_EQ(parsed.VisibleText(), "ab");
    EXPECT_EQ(Parse("a<!---->b").VisibleText(), "ab");
    EXPECT_EQ(Parse("a<!-- x -->b<!-- y -->c").VisibleText(), "abc");
}

TEST(HtmlTokenizer, CommentSplitAcrossBlocks) {
    for (size_t piece = 1; piece <= 8; ++piece)
        EXPECT_EQ(Parse("a<!-- a > b -- c -->b", piece).VisibleText(), "ab") << piece;
}

TEST(HtmlTokenizer, QuotedAttributeHoldingGreaterThanEndsTheTag) {
    ParsedDocument parsed = Parse("<a href=\"x>y\">link</a>");
    auto links = parsed.OfKind<CLinkElement>(ElementKind::Link);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->href, "http://host/dir/x");
    EXPECT_EQ(parsed.VisibleText(), "y\">link");
}

TEST(HtmlTokenizer, UnfinishedTagAtEndOfDataIsDropped) {
    ParsedDocument parsed = Parse("text<b clas");
    EXPECT_EQ(parsed.VisibleText(), "text");
    EXPECT_EQ(parsed.elements.back()->kind, ElementKind::EndOfDocument);
}

TEST(HtmlTokenizer, WhitespaceFoldsToOneSpace) {
    EXPECT_EQ(Parse("  a \r\n\t b  ").VisibleText(), "a b ");
    EXPECT_EQ(Parse("a<b> b</b>").VisibleText(), "a b");
}

TEST(HtmlTokenizer, PreStartingWithTwoLineEndsShowsNoBlankLine) {
    ParsedDocument parsed = Parse("<pre>\r\n\r\nfirst\nsecond</pre>");
    auto kinds = parsed.Kinds();
    auto firstText = std::find(kinds.begin(), kinds.end(), ElementKind::Text);
    auto firstBreak = std::find(kinds.begin(), kinds.end(), ElementKind::LineBreak);
    ASSERT_NE(firstText, kinds.end());
    EXPECT_LT(firstText, firstBreak);
    auto texts = parsed.OfKind<CTextElement>(ElementKind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(parsed.TextOf(*texts[0]), "first");
    EXPECT_EQ(texts[0]->textStyle,
              TextStyle::NormalSize | TextStyle::Fixed | TextStyle::Preformatted);
}

TEST(HtmlTokenizer, PreformattedLineEndsAndTabs) {
    struct Case {
        const char* html;
        size_t breaks;
        const char* text;
    };
    const Case cases[] = {
        {"<pre>x\r\ny</pre>", 1, "xy"},
        {"<pre>x\n\ry</pre>", 1, "xy"},
        {"<pre>x\n\ny</pre>", 2, "xy"},
        {"<pre>a\tb</pre>", 0, "a       b"},
        {"<pre>abcdefgh\tb</pre>", 0, "abcdefgh        b"},
        {"<pre>  two  spaces</pre>", 0, "  two  spaces"},
    };
    for (const Case& c : cases) {
        ParsedDocument parsed = Parse(c.html);
        EXPECT_EQ(parsed.OfKind(ElementKind::LineBreak).size(), c.breaks) << c.html;
        EXPECT_EQ(parsed.VisibleText(), c.text) << c.html;
    }
}

TEST(HtmlTokenizer, PlaintextTagEndsMarkup) {
    ParsedDocument parsed = Parse("<b>a</b><plaintext><i>&amp;</i>\nz");
    auto texts = parsed.OfKind<CTextElement>(ElementKind::Text);
    EXPECT_EQ(parsed.VisibleText(), "a<i>&amp;</i>z");
    EXPECT_EQ(texts.back()->textStyle, TextStyle::PlainText);
    EXPECT_EQ(parsed.OfKind(ElementKind::LineBreak).size(), 1u);
}

TEST(HtmlTokenizer, TextPlainDocumentsShowEveryCharacter) {
    for (const char* type : {"text/plain", "TEXT/PLAIN", "text/plain; charset=iso-8859-1"}) {
        ParsedDocument parsed = Parse("<b>bold?</b> &amp;\r\nline two", 0, type);
        EXPECT_EQ(parsed.VisibleText(), "<b>bold?</b> &amp;line two") << type;
        EXPECT_EQ(parsed.OfKind(ElementKind::LineBreak).size(), 1u) << type;
        for (const auto* text : parsed.OfKind<CTextElement>(ElementKind::Text))
            EXPECT_EQ(text->textStyle, TextStyle::PlainText) << type;
    }
}

TEST(HtmlTokenizer, TitleIsCollectedAndHeadTextDropped) {
    ParsedDocument parsed = Parse("<head><title>A &amp; B</title>junk</head><body>shown");
    EXPECT_EQ(parsed.object->GetTitle(), "A & B");
    EXPECT_EQ(parsed.VisibleText(), "shown");
}

TEST(HtmlTokenizer, NoframesContentIsSkipped) {
    EXPECT_EQ(Parse("a<noframes>b<b>c</b></noframes>d").VisibleText(), "ad");
    EXPECT_EQ(Parse("a<noframe>b</noframe>d").VisibleText(), "ad");
}

TEST(HtmlTokenizer, EveryListEndsWithEndOfDocument) {
    for (const char* html : {"", "text", "<p>", "a<!-- open", "&am"}) {
        ParsedDocument parsed = Parse(html);
        ASSERT_FALSE(parsed.elements.empty()) << html;
        EXPECT_EQ(parsed.elements.back()->kind, ElementKind::EndOfDocument) << html;
        EXPECT_EQ(parsed.end, Status::Complete) << html;
    }
}

} // namespace
