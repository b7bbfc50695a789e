#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Every page of the corpus, fed in pieces of every size from one byte to the
// whole page, must give the list and the text that feeding it whole gives.
TEST(HtmlIncrementalFeed, AnyPieceSizeGivesTheSameDocument) {
    std::vector<std::string> files = CorpusFiles();
    ASSERT_GE(files.size(), 5u);
    for (const std::string& name : files) {
        std::string html = ReadCorpusFile(name);
        ASSERT_FALSE(html.empty()) << name;
        ParsedDocument whole = Parse(html);
        std::vector<std::string> expected = whole.Normalised();
        std::string expectedText = whole.text.Copy(0, whole.text.Length());
        std::string expectedTitle = whole.object->GetTitle();
        for (size_t piece = 1; piece <= html.size(); ++piece) {
            ParsedDocument split = Parse(html, piece);
            ASSERT_EQ(split.text.Copy(0, split.text.Length()), expectedText)
                << name << " in pieces of " << piece;
            ASSERT_EQ(split.Normalised(), expected) << name << " in pieces of " << piece;
            ASSERT_EQ(split.object->GetTitle(), expectedTitle) << name << " pieces " << piece;
        }
    }
}

TEST(HtmlIncrementalFeed, HardCasesInEveryPieceSize) {
    const char* cases[] = {
        "AT&T and some more words; then &amp; and &am; &#65;&#321; &AMP; &abcdefghij;",
        "a<!-- a > b -- c -->b<!---->c<!-- x -->d",
        "<a href=\"x>y\">q</a><pre>\r\n\r\nfirst\r\nsecond\n\nthird\tcol</pre>",
        "<p>x<plaintext><b>&amp;\r\n</b>",
        "text &#12 3; &lt&gt; &;&;&&&; end&",
        "<select><option>One\n<option value=2>Two</select><textarea>\n\n  t </textarea>",
    };
    for (const char* html : cases) {
        std::string_view text = html;
        std::vector<std::string> expected = Parse(text).Normalised();
        for (size_t piece = 1; piece <= text.size(); ++piece)
            ASSERT_EQ(Parse(text, piece).Normalised(), expected) << html << " pieces " << piece;
    }
}

// Preformatted text keeps its characters and turns a tab into the spaces up
// to the next multiple of eight columns, counted from the last line end: a
// tab at column 7 is one space, at 8 eight, at 9 seven. CR LF, LF CR, a lone
// CR and a lone LF end one line each; CR CR ends two.
TEST(HtmlPreformatted, TabsReachTheNextStopAndLineEndsCount) {
    struct Case {
        const char* html;
        const char* text;
        size_t lineBreaks;
    };
    const Case cases[] = {
        {"<pre>abcdefg\tx</pre>", "abcdefg x", 0},
        {"<pre>abcdefgh\tx</pre>", "abcdefgh        x", 0},
        {"<pre>abcdefghi\tx</pre>", "abcdefghi       x", 0},
        {"<pre>\tx\t\ty</pre>", "        x               y", 0},
        {"<pre>abcdefghi\nab\tc</pre>", "abcdefghiab      c", 1},
        {"<pre>a\r\nb\n\rc\rd\ne</pre>", "abcde", 4},
        {"<pre>a\r\rb\n\nc</pre>", "abc", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        std::string_view html = c.html;
        for (size_t piece : {size_t{1}, size_t{2}, html.size()}) {
            ParsedDocument parsed = Parse(html, piece);
            EXPECT_EQ(parsed.text.Copy(0, parsed.text.Length()), c.text) << "pieces " << piece;
            EXPECT_EQ(parsed.OfKind(ElementKind::LineBreak).size(), c.lineBreaks)
                << "pieces " << piece;
        }
    }
}

} // namespace
