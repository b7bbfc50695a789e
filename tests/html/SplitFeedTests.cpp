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

} // namespace
