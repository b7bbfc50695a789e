#include "content/Url.h"
#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

uint32_t StyleOfText(const ParsedDocument& parsed, const std::string& text) {
    for (const auto* element : parsed.OfKind<CTextElement>(ElementKind::Text))
        if (parsed.TextOf(*element) == text)
            return element->textStyle;
    ADD_FAILURE() << "no text element \"" << text << "\"";
    return 0;
}

TEST(HtmlFonts, SizeRules) {
    struct Case {
        const char* html;
        uint32_t size;
    };
    const Case cases[] = {
        {"<font>x</font>", 1},
        {"<font size=0>x", 3},
        {"<font size=+9>x", 7},
        {"<font size=-1>x", 2},
        {"<font size=5>x", 5},
        {"<basefont size=5><font size=+1>x", 6},
        {"<basefont size=9><font size=0>x", 3},
        {"<font size=-9>x", 1},
        {"<font size=6><font size=2></font>x", 6},
        {"<font size=6></font></font>x", 3},
        {"<h1>x", 6},
        {"<h6>x", 1},
        {"<h2>a</h2>x", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StyleOfText(Parse(c.html), "x") & TextStyle::SizeMask, c.size) << c.html;
}

TEST(HtmlStyles, CountersNestAndNeverGoNegative) {
    ParsedDocument parsed = Parse("<b><b>a</b>b</b>c</b></b><b>d<i><u><tt>e");
    EXPECT_EQ(StyleOfText(parsed, "a"), 3 | TextStyle::Bold);
    EXPECT_EQ(StyleOfText(parsed, "b"), 3 | TextStyle::Bold);
    EXPECT_EQ(StyleOfText(parsed, "c"), 3u);
    EXPECT_EQ(StyleOfText(parsed, "d"), 3 | TextStyle::Bold);
    EXPECT_EQ(StyleOfText(parsed, "e"),
              3 | TextStyle::Bold | TextStyle::Italic | TextStyle::Underline | TextStyle::Fixed);
}

TEST(HtmlParagraphs, AlignKeywords) {
    struct Case {
        const char* html;
        Align align;
    };
    const Case cases[] = {
        {"<p align=CENTER>x", Align::Center},
        {"<p align=middle>x", Align::Middle},
        {"<p>x", Align::None},
        {"<p align=left align=right>x", Align::Right},
        {"<p align=bogus>x", Align::None},
    };
    for (const Case& c : cases) {
        ParsedDocument parsed = Parse(c.html);
        auto blocks = parsed.OfKind<CBlockStartElement>(ElementKind::BlockStart);
        ASSERT_EQ(blocks.size(), 1u) << c.html;
        EXPECT_EQ(blocks[0]->align, c.align) << c.html;
        EXPECT_EQ(blocks[0]->blankLinesBefore, 1u) << c.html;
    }
}

TEST(HtmlAnchors, HrefAndNameBothOpenAndBothEnd) {
    ParsedDocument parsed = Parse("<a href=\"../b.html#s\" name=top target=main>go</a>after");
    std::vector<ElementKind> expected{ElementKind::Link,          ElementKind::NameAnchor,
                                      ElementKind::Text,          ElementKind::LinkEnd,
                                      ElementKind::NameAnchorEnd, ElementKind::Text,
                                      ElementKind::EndOfDocument};
    EXPECT_EQ(parsed.Kinds(), expected);
    auto link = parsed.OfKind<CLinkElement>(ElementKind::Link).at(0);
    EXPECT_EQ(link->href, "http://host/b.html#s");
    EXPECT_EQ(link->target, "main");
    EXPECT_EQ(parsed.OfKind<CNameAnchorElement>(ElementKind::NameAnchor).at(0)->name, "top");
    EXPECT_EQ(StyleOfText(parsed, "go") & TextStyle::InLink, TextStyle::InLink);
    EXPECT_EQ(StyleOfText(parsed, "after") & TextStyle::InLink, 0u);
}

TEST(HtmlAnchors, NewAnchorEndsTheOpenOneAndBaseChangesResolution) {
    ParsedDocument parsed = Parse("<base href=\"http://other/x/\" target=t><a href=1>a<a href=2>b");
    auto links = parsed.OfKind<CLinkElement>(ElementKind::Link);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0]->href, "http://other/x/1");
    EXPECT_EQ(links[1]->target, "t");
    EXPECT_EQ(parsed.OfKind(ElementKind::LinkEnd).size(), 1u);
}

// A link within the page keeps its fragment and the number of the page
// address it follows, kept once; its whole address is the two together, as
// ResolveUrl makes it. A new <base> is a new number, up to the last the
// store keeps; links after that keep their whole address.
TEST(HtmlAnchors, LinksWithinThePageKeepOnlyTheirFragment) {
    std::string html = "<a href=#one>a<a href=#two>b<a href=\"#\">c<a href=x.html#three>d";
    std::vector<std::string> bases;
    for (uint16_t n = 2; n <= CTextStore::MaxLinkBases + 1; ++n) {
        bases.push_back("http://h" + std::to_string(n) + "/p.html");
        html += "<base href=\"" + bases.back() + "#old\"><a href=#n" + std::to_string(n) + ">";
    }
    ParsedDocument parsed = Parse(html);
    auto links = parsed.OfKind<CLinkElement>(ElementKind::Link);
    ASSERT_EQ(links.size(), 4 + bases.size());
    auto address = [&](const CLinkElement* link) { return LinkAddress(*link, parsed.text); };
    const std::string page = "http://host/dir/page.html";
    EXPECT_EQ(links[0]->base, 1);
    EXPECT_EQ(links[0]->href, "#one");
    EXPECT_EQ(parsed.text.LinkBase(1).data(), parsed.text.LinkBase(links[1]->base).data());
    EXPECT_EQ(address(links[1]), page + "#two");
    EXPECT_EQ(address(links[2]), page + "#");
    EXPECT_EQ(links[3]->base, 0) << "not within the page";
    EXPECT_EQ(address(links[3]), "http://host/dir/x.html#three");
    for (size_t i = 0; i < bases.size(); ++i) {
        const CLinkElement* link = links[4 + i];
        const std::string expected = bases[i] + "#n" + std::to_string(i + 2);
        EXPECT_EQ(address(link), expected);
        EXPECT_EQ(address(link), ResolveUrl(bases[i] + "#old", link->href.View()));
        // The store keeps MaxLinkBases page addresses: the last base is one over.
        EXPECT_EQ(link->base, i + 2 <= CTextStore::MaxLinkBases ? i + 2 : 0) << expected;
    }
    EXPECT_EQ(CTextStore().LinkBase(0), "");
}

std::vector<std::pair<uint32_t, uint32_t>> Markers(const ParsedDocument& parsed) {
    std::vector<std::pair<uint32_t, uint32_t>> markers;
    for (const auto* item : parsed.OfKind<CListItemElement>(ElementKind::ListItem))
        markers.emplace_back(item->markerStyle, item->number);
    return markers;
}

TEST(HtmlLists, Numbering) {
    using Markers_ = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(Markers(Parse("<ul><li>one<ol><li>two</ol></ul>")), (Markers_{{5, 0}, {1, 1}}));
    EXPECT_EQ(Markers(Parse("<menu><li>a<li>b</menu>")), (Markers_{{1, 1}, {1, 2}}));
    EXPECT_EQ(Markers(Parse("<li>loose")), (Markers_{{3, 0}}));
    EXPECT_EQ(Markers(Parse("<dl><li>ignored</dl>")), Markers_{});
    EXPECT_EQ(Markers(Parse("<ol><li>a</ul><li>b</ol><li>c")), (Markers_{{1, 1}, {1, 2}, {3, 0}}));
}

TEST(HtmlLists, IndentFollowsNesting) {
    ParsedDocument parsed = Parse("<ul><li>a<ul><li>b</ul><li>c</ul>");
    std::vector<int32_t> indents;
    for (const auto* block : parsed.OfKind<CBlockStartElement>(ElementKind::BlockStart))
        if (block->firstLineOffset == -1)
            indents.push_back(block->indentLevel);
    EXPECT_EQ(indents, (std::vector<int32_t>{1, 2, 1}));
}

TEST(HtmlFrames, FramesetSizesAndFrames) {
    ParsedDocument parsed = Parse("<frameset rows=\"20%, *,100\"><frame src=a.html name=left "
                                  "scrolling=NO marginwidth=4><frame></frameset>after");
    auto sets = parsed.OfKind<CFrameSetElement>(ElementKind::FrameSet);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]->orientation, 1u);
    EXPECT_EQ(sets[0]->sizes, (std::vector<int32_t>{-20, 0, 100}));
    auto frames = parsed.OfKind<CFrameElement>(ElementKind::Frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->source, "http://host/dir/a.html");
    EXPECT_EQ(frames[0]->name, "left");
    EXPECT_EQ(frames[0]->scrolling, 0);
    EXPECT_EQ(frames[0]->marginWidth, 4);
    EXPECT_EQ(frames[1]->marginHeight, -1);
    EXPECT_EQ(parsed.VisibleText(), ""); // the document ends with its frame set
    EXPECT_EQ(parsed.writes.back(), Status::Complete);
}

TEST(HtmlFrames, StrayFramesetEndTagEndsTheDocument) {
    ParsedDocument parsed = Parse("before</frameset>after<b>more", 3);
    EXPECT_EQ(parsed.VisibleText(), "before");
    EXPECT_EQ(parsed.writes.back(), Status::Complete);
    EXPECT_TRUE(parsed.OfKind(ElementKind::FrameSetEnd).empty());
}

TEST(HtmlFrames, FrameOutsideFramesetIsIgnored) {
    EXPECT_TRUE(Parse("<frame src=x>").OfKind(ElementKind::Frame).empty());
}

TEST(HtmlForms, InputOutsideAFormAppendsNothing) {
    EXPECT_TRUE(Parse("<input type=CHECKBOX name=c>").OfKind(ElementKind::FormField).empty());
}

TEST(HtmlForms, FieldsInsideAForm) {
    ParsedDocument parsed = Parse(
        "<form action=\"/cgi-bin/q\" method=POST><input type=CHECKBOX name=c checked value=v>"
        "<input maxlength=10 size=20><textarea name=t cols=40 rows=3>\n  hello\nthere</textarea>"
        "<select name=s multiple size=4><option value=1 selected>One\n<option>Two\tx</select>"
        "</form><form><form>");
    auto forms = parsed.OfKind<CFormStartElement>(ElementKind::FormStart);
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0]->action, "http://host/cgi-bin/q");
    EXPECT_EQ(forms[0]->method, 2u);
    EXPECT_EQ(forms[1]->action, "http://host/dir/page.html");
    EXPECT_EQ(forms[1]->enctype, "application/x-www-form-urlencoded");
    auto fields = parsed.OfKind<CFormFieldElement>(ElementKind::FormField);
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0]->fieldType, FieldType::Checkbox);
    EXPECT_EQ(fields[0]->checked, 1u);
    EXPECT_EQ(fields[0]->value, "v");
    EXPECT_EQ(fields[1]->name, "unnamed");
    EXPECT_EQ(fields[1]->maxlength, 10);
    EXPECT_EQ(fields[1]->size, 20);
    EXPECT_EQ(fields[2]->fieldType, FieldType::TextArea);
    EXPECT_EQ(fields[2]->value, "hello\nthere");
    EXPECT_EQ(fields[2]->columns, 40);
    EXPECT_EQ(fields[2]->rows, 3);
    EXPECT_EQ(fields[3]->fieldType, FieldType::Select);
    EXPECT_EQ(fields[3]->multiple, 1u);
    EXPECT_EQ(fields[3]->rows, 4);
    ASSERT_EQ(fields[3]->options.size(), 2u);
    EXPECT_EQ(fields[3]->options[0].text, "One");
    EXPECT_EQ(fields[3]->options[0].value, "1");
    EXPECT_EQ(fields[3]->options[0].selected, 1u);
    EXPECT_EQ(fields[3]->options[1].value, "Two");
    EXPECT_EQ(parsed.VisibleText(), "");
}

TEST(HtmlForms, OptionShowsItsFirstLineWhateverThePieces) {
    const char* html = "<select><option>one &amp; two\nthree<b>four</b><option>\tfive</select>";
    for (size_t piece : {0, 1, 2, 5}) {
        ParsedDocument parsed = Parse(html, piece);
        auto fields = parsed.OfKind<CFormFieldElement>(ElementKind::FormField);
        ASSERT_EQ(fields.size(), 1u);
        ASSERT_EQ(fields[0]->options.size(), 2u);
        EXPECT_EQ(fields[0]->options[0].text, "one & two") << piece;
        EXPECT_EQ(fields[0]->options[1].text, "") << piece;
    }
}

TEST(HtmlForms, SearchableIndexOncePerDocument) {
    ParsedDocument parsed = Parse("<head><isindex><isindex></head>");
    EXPECT_EQ(parsed.OfKind(ElementKind::FormStart).size(), 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::Rule).size(), 2u);
    auto fields = parsed.OfKind<CFormFieldElement>(ElementKind::FormField);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[1]->fieldType, FieldType::Submit);
    EXPECT_EQ(fields[1]->value, "Search");
    EXPECT_EQ(parsed.VisibleText(), "This is a searchable index. Enter search keywords:  ");
}

TEST(HtmlBreaks, ClearSides) {
    struct Case {
        const char* html;
        ElementKind kind;
        ClearSide side;
    };
    const Case cases[] = {
        {"<br>", ElementKind::LineBreak, {}},
        {"<br clear=all>", ElementKind::ClearBreak, ClearSide::Both},
        {"<br clear>", ElementKind::ClearBreak, ClearSide::Both},
        {"<br clear=LEFT>", ElementKind::ClearBreak, ClearSide::Left},
        {"<br clear=right>", ElementKind::ClearBreak, ClearSide::Right},
        {"<br clear=no>", ElementKind::LineBreak, {}},
    };
    for (const Case& c : cases) {
        ParsedDocument parsed = Parse(c.html);
        ASSERT_EQ(parsed.elements.size(), 2u) << c.html;
        EXPECT_EQ(parsed.elements[0]->kind, c.kind) << c.html;
        if (c.kind == ElementKind::ClearBreak) {
            EXPECT_EQ(static_cast<const CParamElement*>(parsed.elements[0])->value,
                      static_cast<int32_t>(c.side));
        }
    }
}

TEST(HtmlImages, AttributesAndHexadecimalWidth) {
    ParsedDocument parsed = Parse("<img src=pic.gif width=1e3 height=20 align=MIDDLE ismap "
                                  "border=2><pre><img src=p2.gif align=bogus></pre>"
                                  "<embed src=a.opf placement=floating border=5>");
    auto images = parsed.OfKind<CImageElement>(ElementKind::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0]->width, 483);
    EXPECT_EQ(images[0]->height, 20);
    EXPECT_EQ(images[0]->align, Align::Middle);
    EXPECT_EQ(images[0]->ismap, 1u);
    EXPECT_EQ(images[0]->border, 2);
    EXPECT_EQ(images[0]->source, "http://host/dir/pic.gif");
    EXPECT_EQ(images[0]->inlineFlag, 1u);
    EXPECT_EQ(images[1]->align, Align::Baseline);
    EXPECT_EQ(images[1]->inlineFlag, 0u);
    EXPECT_EQ(images[1]->border, -1);
    auto embeds = parsed.OfKind<CEmbedElement>(ElementKind::EmbeddedObject);
    ASSERT_EQ(embeds.size(), 1u);
    EXPECT_EQ(embeds[0]->placement, Placement::Floating);
    EXPECT_EQ(embeds[0]->border, 0);
}

TEST(HtmlBlocks, RulesHeadingsAndCentre) {
    ParsedDocument parsed = Parse("<hr width=150><h3>t</h3><center>c</center><hr width=40>");
    auto rules = parsed.OfKind<CParamElement>(ElementKind::Rule);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0]->value, 100);
    EXPECT_EQ(rules[1]->value, 40);
    EXPECT_EQ(parsed.OfKind<CParamElement>(ElementKind::HeadingEnd).at(0)->value, 3);
    EXPECT_EQ(parsed.OfKind(ElementKind::LineEnd).size(), 2u);
    EXPECT_EQ(parsed.OfKind(ElementKind::CentreStart).size(), 1u);
    EXPECT_EQ(parsed.OfKind(ElementKind::CentreEnd).size(), 1u);
}

TEST(HtmlBody, ColoursAndBackground) {
    ParsedDocument parsed =
        Parse("<body bgcolor=#C0C0C0 text=\"000080\" link=ff0000 vlink=#800080 background=bg.gif>");
    EXPECT_EQ(parsed.object->GetBackgroundColor(), PageColor(0xC0C0C0));
    EXPECT_EQ(parsed.object->GetTextColor(), PageColor(0x000080));
    EXPECT_EQ(parsed.object->GetLinkColor(), PageColor(0xFF0000));
    EXPECT_EQ(parsed.object->GetVisitedLinkColor(), PageColor(0x800080));
    EXPECT_EQ(parsed.object->GetBackgroundImage(), "http://host/dir/bg.gif");
    ParsedDocument named = Parse("<body bgcolor=white text=navy link=Red vlink=\"PURPLE\">");
    EXPECT_EQ(named.object->GetBackgroundColor(), 0xFFFFFF);
    EXPECT_EQ(named.object->GetTextColor(), 0x000080);
    EXPECT_EQ(named.object->GetLinkColor(), 0xFF0000);
    EXPECT_EQ(named.object->GetVisitedLinkColor(), 0x800080);
}

// Black is a colour; a page that names none, or writes the number -1 that
// always stood for none, gives none.
TEST(HtmlBody, AbsentColoursAreNone) {
    EXPECT_EQ(Parse("<body>").object->GetBackgroundColor(), std::nullopt);
    EXPECT_EQ(Parse("<body bgcolor=-1>").object->GetBackgroundColor(), std::nullopt);
    EXPECT_EQ(Parse("<body bgcolor=0>").object->GetBackgroundColor(), PageColor(0));
    EXPECT_EQ(Parse("<body text=-2>").object->GetTextColor(), PageColor(-2));
}

} // namespace
