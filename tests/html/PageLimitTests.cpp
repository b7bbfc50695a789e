#include "html/CHtmlParser.h"
#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Lowers the page limits for one test, so they can be met exactly.
class ScopedPageLimits {
public:
    explicit ScopedPageLimits(CHtmlObject::Limits limits) { CHtmlObject::SetLimits(limits); }
    ~ScopedPageLimits() { CHtmlObject::SetLimits({}); }
    ScopedPageLimits(const ScopedPageLimits&) = delete;
    ScopedPageLimits& operator=(const ScopedPageLimits&) = delete;
};

std::string Repeat(std::string_view unit, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += unit;
    return out;
}

// The first Write that failed, or -1.
int FirstFailedWrite(const ParsedDocument& parsed) {
    for (size_t i = 0; i < parsed.writes.size(); ++i)
        if (parsed.writes[i] == Status::Failed)
            return static_cast<int>(i);
    return -1;
}

} // namespace

TEST(HtmlPageLimits, ThePageMayHold256MiBOfTextAnd128MiRecords) {
    EXPECT_EQ(CHtmlObject::GetLimits().text, 256u << 20);
    EXPECT_EQ(CHtmlObject::GetLimits().records, 1u << 27);
}

TEST(HtmlPageLimits, TextFillsTheLimitExactlyAndOneCharacterMoreEndsThePage) {
    ScopedPageLimits limits({.text = 100, .records = 1000});
    for (size_t piece : {0u, 7u, 1u}) {
        SCOPED_TRACE(piece);
        ParsedDocument fits = Parse(Repeat("a", 100), piece, "text/plain");
        EXPECT_EQ(FirstFailedWrite(fits), -1);
        EXPECT_EQ(fits.VisibleText(), Repeat("a", 100));
        EXPECT_EQ(fits.end, Status::Complete);
        EXPECT_EQ(fits.object->FailureText(), "");

        ParsedDocument over = Parse(Repeat("a", 100) + "b", piece, "text/plain");
        EXPECT_EQ(FirstFailedWrite(over), piece == 0 ? 0 : static_cast<int>(100 / piece));
        EXPECT_EQ(over.VisibleText(), Repeat("a", 100)) << "what arrived first stays";
        EXPECT_EQ(over.object->FailureText(),
                  "The page has more than 100 bytes of text; the rest of it was not loaded.");
    }
}

TEST(HtmlPageLimits, TheTextLimitCountsTheTextNotTheMarkup) {
    ScopedPageLimits limits({.text = 10, .records = 1000});
    ParsedDocument page = Parse("<p><b>01234</b><i>56789</i><!-- a long comment --></p>", 3);
    EXPECT_EQ(FirstFailedWrite(page), -1);
    EXPECT_EQ(page.VisibleText(), "0123456789");
}

TEST(HtmlPageLimits, RecordsFillTheLimitExactlyAndOneMoreEndsThePage) {
    ScopedPageLimits limits({.text = 1000, .records = 50});
    // One line break record per piece.
    ParsedDocument fits = Parse(Repeat("<br>", 50), 4);
    EXPECT_EQ(FirstFailedWrite(fits), -1);
    EXPECT_EQ(fits.OfKind(ElementKind::LineBreak).size(), 50u);

    ParsedDocument over = Parse(Repeat("<br>", 51) + "more", 4);
    EXPECT_EQ(FirstFailedWrite(over), 50);
    EXPECT_EQ(over.OfKind(ElementKind::LineBreak).size(), 51u) << "kept";
    EXPECT_EQ(over.VisibleText(), "") << "nothing after it was read";
    EXPECT_EQ(over.object->FailureText(),
              "The page has more than 50 elements; the rest of it was not loaded.");
    EXPECT_EQ(over.end, Status::Failed) << "the load's failure is the page's";
}

TEST(HtmlPageLimits, ATagIsHeldUpToItsLimitAndAnEndlessOneIsDropped) {
    const std::string open = "<a href=";
    for (size_t extra : {0u, 1u, 4096u}) {
        SCOPED_TRACE(extra);
        const size_t held = CHtmlParser::MaxHeldTag + extra;
        std::string tag = open + std::string(held - open.size(), 'x');
        // The tag without its end in one block, the end in the next.
        CHtmlObject object("http://host/", "text/html");
        ASSERT_EQ(object.Write(tag.data(), tag.size()), Status::Continue);
        const std::string rest = "y>link</a>";
        ASSERT_EQ(object.Write(rest.data(), rest.size()), Status::Continue);
        ASSERT_EQ(object.EndOfData(), Status::Complete);
        ElementPosition position = object.GetFirstElementPosition();
        const CHtmlElement* link = nullptr;
        while (position && !link) {
            const CHtmlElement* element = object.GetNextElement(position);
            if (element->kind == ElementKind::Link)
                link = element;
        }
        ASSERT_NE(link, nullptr);
        const std::string_view href = static_cast<const CLinkElement*>(link)->href;
        // The held bytes, less what was dropped, then the end's "y".
        EXPECT_EQ(href.size(),
                  std::string("http://host/").size() + CHtmlParser::MaxHeldTag - open.size() + 1);
    }
}
