#include "html/HtmlLexicon.h"

#include "html/CharacterStandIns.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

struct TagRow {
    std::string_view name;
    TagId id;
};

// Sorted by name, so that the rows of one first letter stand together.
constexpr std::array<TagRow, 52> TagTable{{
    {"a", TagId::A},
    {"b", TagId::B},
    {"base", TagId::Base},
    {"basefont", TagId::BaseFont},
    {"blockquote", TagId::BlockQuote},
    {"body", TagId::Body},
    {"br", TagId::Br},
    {"caption", TagId::Caption},
    {"center", TagId::Center},
    {"code", TagId::Code},
    {"dd", TagId::Dd},
    {"dl", TagId::Dl},
    {"dt", TagId::Dt},
    {"embed", TagId::Embed},
    {"font", TagId::Font},
    {"form", TagId::Form},
    {"frame", TagId::Frame},
    {"frameset", TagId::FrameSet},
    {"h1", TagId::H1},
    {"h2", TagId(21)},
    {"h3", TagId(22)},
    {"h4", TagId(23)},
    {"h5", TagId(24)},
    {"h6", TagId::H6},
    {"head", TagId::Head},
    {"hr", TagId::Hr},
    {"html", TagId::Html},
    {"i", TagId::I},
    {"img", TagId::Img},
    {"input", TagId::Input},
    {"isindex", TagId::IsIndex},
    {"li", TagId::Li},
    {"listing", TagId::Listing},
    {"menu", TagId::Menu},
    {"noframe", TagId::NoFrames},
    {"noframes", TagId::NoFrames},
    {"ol", TagId::Ol},
    {"option", TagId::Option},
    {"p", TagId::P},
    {"plaintext", TagId::PlainText},
    {"pre", TagId::Pre},
    {"quicktime", TagId::QuickTime},
    {"select", TagId::Select},
    {"table", TagId::Table},
    {"td", TagId::Td},
    {"textarea", TagId::TextArea},
    {"th", TagId::Th},
    {"title", TagId::Title},
    {"tr", TagId::Tr},
    {"tt", TagId::Tt},
    {"u", TagId::U},
    {"ul", TagId::Ul},
}};

static_assert(std::is_sorted(TagTable.begin(), TagTable.end(),
                             [](const TagRow& a, const TagRow& b) { return a.name < b.name; }));

// Where the rows of each first letter begin (and, one entry on, end): a name
// is compared only with the few rows of its first letter.
constexpr std::array<uint8_t, 27> LetterStarts = [] {
    std::array<uint8_t, 27> starts{};
    size_t row = 0;
    for (size_t letter = 0; letter < starts.size(); ++letter) {
        while (row < TagTable.size() && static_cast<size_t>(TagTable[row].name[0] - 'a') < letter)
            ++row;
        starts[letter] = static_cast<uint8_t>(row);
    }
    return starts;
}();

// Every tag and attribute name is lowered character by character.
constexpr std::array<char, 256> LowerTable = [] {
    std::array<char, 256> table{};
    for (size_t u = 0; u < table.size(); ++u) {
        bool upper = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
        table[u] = static_cast<char>(upper ? u + 0x20 : u);
    }
    return table;
}();

struct EntityRow {
    std::string_view name;
    unsigned char code;
};

// The first four rows come first on purpose: a shortened name matches the
// earliest row it begins, so "&;" is a quote and "&am;" an ampersand.
constexpr std::array<std::string_view, 96> HighEntityNames{
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar",  "sect",   "die",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macron",  "degree", "plusmn",
    "sup2",   "sup3",   "actute", "micro",  "para",   "middot", "Cedilla", "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute",  "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",   "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute",  "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",    "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",   "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",   "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",  "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

constexpr std::array<EntityRow, 4> LowEntities{{{"quot", 34}, {"amp", 38}, {"lt", 60}, {"gt", 62}}};

struct CharacterRow {
    std::string_view name;
    char32_t character;
};

// After the rows above, so that no name that matched one of them before
// matches another now: the HTML 4 names of characters the code page has
// beyond ISO 8859-1, the standard spellings of three signs the rows above
// spell otherwise, spaces and marks that take no room, and a few signs
// with a plain stand-in.
constexpr std::array<CharacterRow, 43> MoreEntities{{
    {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
    {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026},
    {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
    {"trade", 0x2122},  {"uml", 0xA8},      {"acute", 0xB4},    {"cedil", 0xB8},
    {"apos", 0x27},     {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},
    {"minus", 0x2212},  {"prime", 0x2032},  {"Prime", 0x2033},  {"frasl", 0x2044},
    {"lowast", 0x2217}, {"sim", 0x223C},    {"sdot", 0x22C5},
}};

constexpr size_t MaxEntityName = 7;

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
constexpr bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
// Letters of the Windows Latin-1 set count as letters in tag names.
constexpr bool IsLatin1Letter(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0xC0 && u != 0xD7 && u != 0xF7;
}

size_t SkipSpace(std::string_view text, size_t at) {
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    return at;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "&#8212;" or "&#x2014;". Numbers up to 255 are the code page's own bytes,
// as pages written for it mean "&#150;"; larger ones are characters, shown
// as PageByteFor shows them.
int32_t DecodeNumeric(std::string_view text) {
    size_t at = 2;
    const bool hex = at < text.size() && (text[at] == 'x' || text[at] == 'X');
    at += hex ? 1 : 0;
    const uint32_t base = hex ? 16 : 10;
    constexpr uint32_t BeyondUnicode = 0x110000;
    uint32_t value = 0;
    size_t digits = 0;
    for (; at < text.size(); ++at, ++digits) {
        const int digit =
            hex ? HexDigit(text[at]) : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);
        if (digit < 0)
            break;
        value = std::min(value * base + static_cast<uint32_t>(digit), BeyondUnicode);
    }
    if (digits == 0 || value == 0)
        return 0;
    if (value <= 0xFF)
        return static_cast<int32_t>(value);
    return PageByteFor(value);
}

} // namespace

char Latin1Lower(char c) {
    return LowerTable[static_cast<unsigned char>(c)];
}

uint32_t LookupTag(std::string_view name) {
    uint32_t endBit = 0;
    if (!name.empty() && name.front() == '/') {
        endBit = EndTag;
        name.remove_prefix(1);
    }
    if (!name.empty() && name.front() >= 'a' && name.front() <= 'z') {
        auto letter = static_cast<size_t>(name.front() - 'a');
        for (size_t row = LetterStarts[letter]; row < LetterStarts[letter + 1]; ++row)
            if (TagTable[row].name == name)
                return static_cast<uint32_t>(TagTable[row].id) + endBit;
    }
    return static_cast<uint32_t>(TagId::Unknown) + endBit;
}

int32_t DecodeEntity(std::string_view text) {
    if (text.size() < 2 || text.front() != '&')
        return 0;
    if (text[1] == '#')
        return DecodeNumeric(text);
    size_t semicolon = text.find(';');
    if (semicolon == std::string_view::npos)
        return 0;
    std::string_view name = text.substr(1, semicolon - 1);
    if (name.size() > MaxEntityName)
        return 0;
    for (const EntityRow& row : LowEntities)
        if (row.name.substr(0, name.size()) == name)
            return row.code;
    for (size_t i = 0; i < HighEntityNames.size(); ++i)
        if (HighEntityNames[i].substr(0, name.size()) == name)
            return static_cast<int32_t>(160 + i);
    for (const CharacterRow& row : MoreEntities)
        if (row.name.substr(0, name.size()) == name)
            return PageByteFor(row.character);
    return 0;
}

namespace {

// A page has a tag every twenty bytes: one look-up per character of its
// names, not a chain of comparisons.
constexpr uint8_t TagNameChar = 1;
constexpr uint8_t AttributeNameChar = 2;
constexpr std::array<uint8_t, 256> NameCharClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (size_t u = 0; u < classes.size(); ++u) {
        const char c = static_cast<char>(u);
        const bool letter = IsAsciiAlnum(c) || IsLatin1Letter(c);
        classes[u] = static_cast<uint8_t>((letter || c == '/' ? TagNameChar : 0) |
                                          (letter || c == '-' || c == '_' ? AttributeNameChar : 0));
    }
    return classes;
}();

bool IsNameChar(char c) {
    return NameCharClasses[static_cast<uint8_t>(c)] & TagNameChar;
}
bool IsAttributeNameChar(char c) {
    return NameCharClasses[static_cast<uint8_t>(c)] & AttributeNameChar;
}

// Names are short and the strings keep their room from tag to tag; resize
// and a loop cost far less than assign's general case.
void AssignLowered(std::string& to, std::string_view from) {
    to.resize(from.size());
    for (size_t i = 0; i < from.size(); ++i)
        to[i] = Latin1Lower(from[i]);
}

void AssignExact(std::string& to, std::string_view from) {
    to.resize(from.size());
    std::copy(from.begin(), from.end(), to.begin());
}

// Reads the value after "=" starting at at; answers the position after it.
// No find_first_of: it would search its set once for every character.
size_t ReadAttributeValue(std::string_view text, size_t at, std::string& value) {
    if (at < text.size() && text[at] == '"') {
        ++at;
        // The value ends at the closing quote, or at a ">" before it. Values
        // are long (a page's addresses): two vector searches, not a loop.
        const char* begin = text.data() + at;
        const size_t rest = text.size() - at;
        const auto* quote = static_cast<const char*>(std::memchr(begin, '"', rest));
        const size_t quoted = quote ? static_cast<size_t>(quote - begin) : rest;
        const auto* close = static_cast<const char*>(std::memchr(begin, '>', quoted));
        const size_t end = at + (close ? static_cast<size_t>(close - begin) : quoted);
        AssignExact(value, text.substr(at, end - at));
        return (end < text.size() && text[end] == '"') ? end + 1 : end;
    }
    size_t end = at;
    while (end < text.size() && !IsSpace(text[end]) && text[end] != '>')
        ++end;
    AssignExact(value, text.substr(at, end - at));
    return end;
}

// One turn of the attribute loop; answers npos when the parse is over.
size_t ParseAttribute(std::string_view text, size_t at, ParsedTag& tag) {
    at = SkipSpace(text, at);
    if (at >= text.size() || text[at] == '>')
        return std::string_view::npos;
    size_t nameEnd = at;
    while (nameEnd < text.size() && IsAttributeNameChar(text[nameEnd]))
        ++nameEnd;
    if (nameEnd == at)
        return at + 1;
    size_t nameAt = at;
    at = SkipSpace(text, nameEnd);
    char next = at < text.size() ? text[at] : '\0';
    if (next == '"') {
        size_t close = text.find('"', at + 1);
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    CHtmlAttribute& attribute = tag.Add();
    AssignLowered(attribute.name, text.substr(nameAt, nameEnd - nameAt));
    attribute.value.clear();
    if (next == '=')
        return ReadAttributeValue(text, SkipSpace(text, at + 1), attribute.value);
    return next == '>' ? std::string_view::npos : at;
}

} // namespace

CHtmlAttribute& ParsedTag::Add() {
    if (count == slots.size())
        slots.emplace_back();
    return slots[count++];
}

size_t ParseTagName(std::string_view text, ParsedTag& tag) {
    tag.count = 0;
    size_t at = text.empty() ? 0 : 1;
    at = SkipSpace(text, at);
    size_t nameAt = at;
    while (at < text.size() && IsNameChar(text[at]))
        ++at;
    AssignLowered(tag.name, text.substr(nameAt, at - nameAt));
    return at;
}

uint32_t ReadTagId(std::string_view text, size_t& attributesAt) {
    // Longer than the longest name in the table and its "/": no known tag.
    constexpr size_t MostKnown =
        1 +
        std::max_element(TagTable.begin(), TagTable.end(), [](const TagRow& a, const TagRow& b) {
            return a.name.size() < b.name.size();
        })->name.size();
    // The name is read as ParseTagName reads it, lowered in the same pass:
    // every tag of a page comes through here.
    size_t at = text.empty() ? 0 : 1;
    at = SkipSpace(text, at);
    std::array<char, MostKnown> lowered;
    size_t length = 0;
    for (; at < text.size() && IsNameChar(text[at]); ++at, ++length)
        if (length < MostKnown)
            lowered[length] = Latin1Lower(text[at]);
    attributesAt = at;
    if (length > MostKnown)
        return static_cast<uint32_t>(TagId::Unknown) + (lowered[0] == '/' ? EndTag : 0);
    return LookupTag({lowered.data(), length});
}

void ParseTagAttributes(std::string_view text, size_t at, ParsedTag& tag) {
    while (at != std::string_view::npos && at < text.size())
        at = ParseAttribute(text, at, tag);
}

void ParseTag(std::string_view text, ParsedTag& tag) {
    ParseTagAttributes(text, ParseTagName(text, tag), tag);
}

ParsedTag ParseTag(std::string_view text) {
    ParsedTag tag;
    ParseTag(text, tag);
    return tag;
}

int32_t ParseHtmlNumber(std::string_view text, bool forceHex, size_t* end) {
    bool hex = forceHex || text.find_first_of("ABCDEFabcdef") != std::string_view::npos;
    size_t at = SkipSpace(text, 0);
    if (at < text.size() && text[at] == '#')
        ++at;
    std::string digits(text.substr(at));
    errno = 0;
    char* stop = nullptr;
    long long value = std::strtoll(digits.c_str(), &stop, hex ? 16 : 10);
    if (end)
        *end = at + static_cast<size_t>(stop - digits.c_str());
    // The conversion saturates at the 32-bit limits, as a 32-bit long did.
    value = std::clamp<long long>(value, std::numeric_limits<int32_t>::min(),
                                  std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(value);
}

int32_t ParseHtmlColour(std::string_view text) {
    struct NamedColour {
        std::string_view name;
        int32_t value;
    };
    static constexpr std::array<NamedColour, 16> Names{{
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
    }};
    std::string_view word = text;
    while (!word.empty() && IsSpace(word.front()))
        word.remove_prefix(1);
    while (!word.empty() && IsSpace(word.back()))
        word.remove_suffix(1);
    for (const NamedColour& colour : Names)
        if (EqualsNoCase(word, colour.name))
            return colour.value;
    return ParseHtmlNumber(text, true);
}

Align ParseAlignKeyword(std::string_view text) {
    static constexpr std::array<std::string_view, 9> Keywords{
        "top", "bottom", "baseline", "middle", "left", "right", "center", "justify", "decimal"};
    for (size_t i = 0; i < Keywords.size(); ++i)
        if (EqualsNoCase(text, Keywords[i]))
            return static_cast<Align>(i + 1);
    return Align::None;
}

const std::string* FindAttribute(AttributeList attributes, std::string_view name) {
    for (const CHtmlAttribute& attribute : attributes)
        if (attribute.name == name)
            return &attribute.value;
    return nullptr;
}
