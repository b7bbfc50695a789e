#include "html/CharacterStandIns.h"
#include "html/HtmlLexicon.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Id(TagId id) {
    return static_cast<uint32_t>(id);
}

constexpr uint32_t End(TagId id) {
    return Id(id) + EndTag;
}

TEST(HtmlTagLookup, NamesAndEndTags) {
    struct Case {
        const char* name;
        uint32_t id;
    };
    const Case cases[] = {
        {"a", Id(TagId::A)},
        {"b", Id(TagId::B)},
        {"/b", End(TagId::B)},
        {"ul", Id(TagId::Ul)},
        {"/ul", End(TagId::Ul)},
        {"noframe", Id(TagId::NoFrames)},
        {"noframes", Id(TagId::NoFrames)},
        {"title", Id(TagId::Title)},
        {"tt", Id(TagId::Tt)},
        {"textarea", Id(TagId::TextArea)},
        {"h6", Id(TagId::H6)},
        {"blink", Id(TagId::Unknown)},
        {"/blink", End(TagId::Unknown)},
        {"", Id(TagId::Unknown)},
        // The table holds lower-case names: the parser lower-cases first.
        {"B", Id(TagId::Unknown)},
        // Names are compared eight characters at a time, then the rest: the
        // longest name and one character past it, names of eight and nine,
        // a name that differs only after its eighth character or only in
        // its length.
        {"blockquote", Id(TagId::BlockQuote)},
        {"blockquotes", Id(TagId::Unknown)},
        {"basefont", Id(TagId::BaseFont)},
        {"basefon", Id(TagId::Unknown)},
        {"basefonts", Id(TagId::Unknown)},
        {"plaintext", Id(TagId::PlainText)},
        {"plaintexx", Id(TagId::Unknown)},
        {"/quicktime", End(TagId::QuickTime)},
        {"quicktim", Id(TagId::Unknown)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupTag(c.name), c.id) << c.name;
    // A name with a zero byte is no tag, even where the bytes before it are.
    EXPECT_EQ(LookupTag(std::string_view("b\0", 2)), Id(TagId::Unknown));
    EXPECT_EQ(LookupTag(std::string_view("table\0\0\0x", 9)), Id(TagId::Unknown));
}

TEST(HtmlTagParse, UpperAndLowerCaseGiveTheSameTag) {
    EXPECT_EQ(LookupTag(ParseTag("<B>").name), Id(TagId::B));
    EXPECT_EQ(LookupTag(ParseTag("<b>").name), Id(TagId::B));
    EXPECT_EQ(LookupTag(ParseTag("</B>").name), End(TagId::B));
    EXPECT_EQ(LookupTag(ParseTag("< \n p>").name), Id(TagId::P));
    EXPECT_EQ(LookupTag(ParseTag("<!DOCTYPE html>").name), Id(TagId::Unknown));
}

// The parser reads a tag's id without making its name: the same id, and the
// attributes from the same place, as the name ParseTag makes. The longest
// known name is ten letters: names of ten and eleven characters (with and
// without "/") are looked up, twelve are no known tag.
TEST(HtmlTagParse, TheIdReadInPlaceIsTheNamesId) {
    for (std::string_view tag :
         {"<blockquote>", "</BLOCKQUOTE>", "<blockquotes>", "</blockquotes>", "<blockquotexx>",
          "</blockquotexx x=1>", "<a href=x>", "< /a>", "<\tTd\n>", "<>", "<", "</>", "<h1\xC0>",
          "<b/x>", "<//b>", "<p\x00>"}) {
        size_t at = 0;
        const uint32_t id = ReadTagId(tag, at);
        ParsedTag named;
        EXPECT_EQ(id, LookupTag(ParseTag(tag).name)) << tag;
        EXPECT_EQ(at, ParseTagName(tag, named)) << tag;
    }
    size_t at = 0;
    EXPECT_EQ(ReadTagId("</BlockQuote>", at), End(TagId::BlockQuote));
    EXPECT_EQ(ReadTagId("<blockquotes>", at), Id(TagId::Unknown));
    EXPECT_EQ(ReadTagId("</blockquotexy>", at), End(TagId::Unknown));
}

// Which bytes a tag's name, an attribute's name and a value without quotes
// take, at the edges of each set: Latin-1 letters run from 0xC0 to 0xFF
// less 0xD7 and 0xF7; "/" belongs to tag names, "-" and "_" to attribute
// names; a value ends at any of the four spaces or ">".
TEST(HtmlTagParse, NameAndValueCharactersAtTheirEdges) {
    struct Case {
        std::string tag;
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
    };
    const Case cases[] = {
        {"<h1\xC0\xFF/x>", "h1\xE0\xFF/x", {}},
        {"<a\xBF"
         "b>",
         "a",
         {{"b", ""}}},
        {"<a\xD7"
         "b>",
         "a",
         {{"b", ""}}},
        {"<a\xF7"
         "b>",
         "a",
         {{"b", ""}}},
        {"<a-b>", "a", {{"-b", ""}}},
        {"<x a-\xDE_9=1 b\xD7"
         "c=2>",
         "x",
         {{"a-\xFE_9", "1"}, {"b", ""}, {"c", "2"}}},
        {"<x a/b=1>", "x", {{"a", ""}, {"b", "1"}}},
        {"<x a=1\tb=2\rc=3\nd=4>", "x", {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}},
        {"<x a=1>b=2>", "x", {{"a", "1"}}},
        {"<x a=\x7F-_/\xA0 b>", "x", {{"a", "\x7F-_/\xA0"}, {"b", ""}}},
    };
    for (const Case& c : cases) {
        ParsedTag parsed = ParseTag(c.tag);
        EXPECT_EQ(parsed.name, c.name) << c.tag;
        AttributeList attributes = parsed.Attributes();
        ASSERT_EQ(attributes.size(), c.attributes.size()) << c.tag;
        for (size_t i = 0; i < c.attributes.size(); ++i) {
            EXPECT_EQ(attributes[i].name, c.attributes[i].first) << c.tag;
            EXPECT_EQ(attributes[i].value, c.attributes[i].second) << c.tag;
        }
    }
}

TEST(HtmlTagParse, Attributes) {
    struct Case {
        const char* tag;
        std::vector<std::pair<std::string, std::string>> attributes;
    };
    const Case cases[] = {
        {"<img SRC=\"A.gif\" ALT=x>", {{"src", "A.gif"}, {"alt", "x"}}},
        {"<a name='x'>", {{"name", "'x'"}}},
        {"<hr noshade>", {{"noshade", ""}}},
        {"<input checked type=checkbox>", {{"checked", ""}, {"type", "checkbox"}}},
        {"<p align = center >", {{"align", "center"}}},
        {"<a href=\"open>", {{"href", "open"}}},
        // A quoted value ends at its quote, or at a ">" before it, or with
        // the text.
        {"<a href=\"a>b\" x=1>", {{"href", "a"}}},
        {"<a href=\"\" x=1>", {{"href", ""}, {"x", "1"}}},
        {"<a href=\"x", {{"href", "x"}}},
        // A quote starts no name; the word after it is a name whose quoted
        // tail swallows the rest of the tag.
        {"<x \"quoted\" y=1>", {}},
        {"<x a\"skip\" b=2>", {{"b", "2"}}},
        {"<td nowrap>", {{"nowrap", ""}}},
        {"<font size=+1 color=#FF0000>", {{"size", "+1"}, {"color", "#FF0000"}}},
        {"<x data-a_b=v>", {{"data-a_b", "v"}}},
    };
    for (const Case& c : cases) {
        ParsedTag parsed = ParseTag(c.tag);
        AttributeList attributes = parsed.Attributes();
        ASSERT_EQ(attributes.size(), c.attributes.size()) << c.tag;
        for (size_t i = 0; i < c.attributes.size(); ++i) {
            EXPECT_EQ(attributes[i].name, c.attributes[i].first) << c.tag;
            EXPECT_EQ(attributes[i].value, c.attributes[i].second) << c.tag;
        }
    }
}

TEST(HtmlEntityDecode, Table) {
    struct Case {
        const char* text;
        int32_t code; // 0: no entity
    };
    const Case cases[] = {
        {"&quot;", 34},
        {"&amp;", 38},
        {"&lt;", 60},
        {"&gt;", 62},
        {"&nbsp;", 160},
        {"&yuml;", 255},
        {"&AElig;", 198},
        {"&aelig;", 230},
        {"&am;", 38},
        {"&;", 34},
        {"&#;", 0},
        {"&AMP;", 0},
        {"&Cedilla;", 184},
        {"&eightch;", 0},
        {"&THORN;", 222},
        {"&times;", 215},
        // Names of characters the code page has beyond ISO 8859-1, and the
        // standard spellings of signs the older rows spell otherwise.
        {"&mdash;", 0x97},
        {"&ndash;", 0x96},
        {"&lsquo;", 0x91},
        {"&rsquo;", 0x92},
        {"&ldquo;", 0x93},
        {"&rdquo;", 0x94},
        {"&sbquo;", 0x82},
        {"&bdquo;", 0x84},
        {"&hellip;", 0x85},
        {"&bull;", 0x95},
        {"&euro;", 0x80},
        {"&trade;", 0x99},
        {"&dagger;", 0x86},
        {"&Dagger;", 0x87},
        {"&permil;", 0x89},
        {"&lsaquo;", 0x8B},
        {"&rsaquo;", 0x9B},
        {"&OElig;", 0x8C},
        {"&oelig;", 0x9C},
        {"&Scaron;", 0x8A},
        {"&scaron;", 0x9A},
        {"&Yuml;", 0x9F},
        {"&fnof;", 0x83},
        {"&circ;", 0x88},
        {"&tilde;", 0x98},
        {"&cedil;", 184},
        {"&uml;", 168},
        {"&acute;", 180},
        {"&apos;", '\''},
        {"&minus;", '-'},
        {"&prime;", '\''},
        {"&Prime;", '"'},
        {"&ensp;", ' '},
        {"&thinsp;", ' '},
        {"&zwnj;", kShowsNothing},
        {"&lrm;", kShowsNothing},
        {"&MDASH;", 0},
        {"&alpha;", 0},
        // The rows that were there first still win a shortened name.
        {"&t;", 215},
        {"&e;", 232},
        // Numbers up to 255 are the code page's bytes; larger ones are
        // characters. (The old rule kept the low 8 bits: "&#321;" showed "A".)
        {"&#65;", 65},
        {"&#150;", 0x96},
        {"&#255;", 255},
        {"&#256;", 'A'},
        {"&#321;", 'L'},
        {"&#8212;", 0x97},
        {"&#x2019;", 0x92},
        {"&#X20AC;", 0x80},
        {"&#x41;", 'A'},
        {"&#x;", 0},
        {"&#xg;", 0},
        {"&#0;", 0},
        {"&#945;", '?'},
        {"&#55296;", '?'},
        {"&#1114111;", '?'},
        {"&#1114112;", '?'},
        {"&#99999999999;", '?'},
        {"&#8203;", kShowsNothing},
        {"&#65279;", kShowsNothing},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeEntity(c.text), c.code) << c.text;
}

TEST(HtmlColourParse, SixteenNamesInAnyCaseElseHex) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"black", 0x000000},
        {"silver", 0xC0C0C0},
        {"gray", 0x808080},
        {"white", 0xFFFFFF},
        {"maroon", 0x800000},
        {"red", 0xFF0000},
        {"purple", 0x800080},
        {"fuchsia", 0xFF00FF},
        {"green", 0x008000},
        {"lime", 0x00FF00},
        {"olive", 0x808000},
        {"yellow", 0xFFFF00},
        {"navy", 0x000080},
        {"blue", 0x0000FF},
        {"teal", 0x008080},
        {"aqua", 0x00FFFF},
        {"WHITE", 0xFFFFFF},
        {"Navy", 0x000080},
        {" white ", 0xFFFFFF},
        // Hexadecimal as before, and other words keep that rule.
        {"#FFFFFF", 0xFFFFFF},
        {"ffffff", 0xFFFFFF},
        {"#c0c0c0", 0xC0C0C0},
        {"grey", 0},
        {"whit", 0},
        {"whites", 0},
        {"bluee", 0xB},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHtmlColour(c.text), c.value) << c.text;
}

TEST(HtmlNumberParse, DecimalUnlessAHexLetterAppears) {
    struct Case {
        const char* text;
        bool forceHex;
        int32_t value;
    };
    const Case cases[] = {
        {"100", false, 100},
        {" 42", false, 42},
        {"1e3", false, 0x1e3},
        {"#FF0000", true, 0xFF0000},
        {"ff0000", true, 0xFF0000},
        {"#00ff00", true, 0x00FF00},
        {"50%", false, 50},
        {"-7", false, -7},
        {"", false, 0},
        {"abc", false, 0xABC},
        {"99999999999", false, INT32_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHtmlNumber(c.text, c.forceHex), c.value) << c.text;
}

TEST(HtmlAlignKeyword, KeywordsWithoutRegardToCase) {
    EXPECT_EQ(ParseAlignKeyword("top"), Align::Top);
    EXPECT_EQ(ParseAlignKeyword("CENTER"), Align::Center);
    EXPECT_EQ(ParseAlignKeyword("Middle"), Align::Middle);
    EXPECT_EQ(ParseAlignKeyword("decimal"), Align::Decimal);
    EXPECT_EQ(ParseAlignKeyword("centre"), Align::None);
    EXPECT_EQ(ParseAlignKeyword(""), Align::None);
}

} // namespace
