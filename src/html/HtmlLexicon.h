#pragma once

#include "html/CHtmlElement.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Tag ids of the tag table. An end tag has the id plus EndTag.
enum class TagId : uint32_t {
    Unknown = 1,
    A = 2,
    B = 3,
    Base = 4,
    BaseFont = 5,
    BlockQuote = 6,
    Body = 7,
    Br = 8,
    Caption = 9,
    Center = 10,
    Code = 11,
    Dd = 12,
    Dl = 13,
    Dt = 14,
    Embed = 15,
    Font = 16,
    Form = 17,
    Frame = 18,
    FrameSet = 19,
    H1 = 20,
    H6 = 25,
    Head = 26,
    Hr = 27,
    Html = 28,
    I = 29,
    Img = 30,
    Input = 31,
    IsIndex = 32,
    Li = 33,
    Listing = 34,
    Menu = 35,
    NoFrames = 36,
    Ol = 37,
    Option = 38,
    P = 39,
    PlainText = 40,
    Pre = 41,
    QuickTime = 42,
    Select = 43,
    Table = 44,
    Td = 45,
    Th = 46,
    Tr = 47,
    Title = 48,
    Tt = 49,
    TextArea = 50,
    U = 51,
    Ul = 52,
};

inline constexpr uint32_t EndTag = 0x1000;

// One attribute of a tag: the name lower-cased, the value exactly as written.
struct CHtmlAttribute {
    std::string name;
    std::string value;
};
using AttributeList = std::span<const CHtmlAttribute>;

// A parsed tag. Parsing into the same one again reuses its strings, so that
// the tags of a page cost no allocations once the first few are read.
struct ParsedTag {
    std::string name; // lower-cased, may begin with "/"
    std::vector<CHtmlAttribute> slots;
    size_t count = 0;
    [[nodiscard]] AttributeList Attributes() const { return {slots.data(), count}; }
    CHtmlAttribute& Add();
};

// The tag id of a lower-case name, with EndTag added for "/name"; 1 when the
// name is not in the table.
[[nodiscard]] uint32_t LookupTag(std::string_view name);
// Tag text from "<" through ">" to its name and attributes.
[[nodiscard]] ParsedTag ParseTag(std::string_view text);
void ParseTag(std::string_view text, ParsedTag& into);
// ParseTag in two steps: the name, answering where the attributes begin,
// then the attributes from there.
size_t ParseTagName(std::string_view text, ParsedTag& into);
void ParseTagAttributes(std::string_view text, size_t at, ParsedTag& into);
// What LookupTag answers for the name ParseTagName would read, and where the
// attributes begin, without making the name.
[[nodiscard]] uint32_t ReadTagId(std::string_view text, size_t& attributesAt);
// Entity text from "&" through ";" to its character byte; kShowsNothing for a
// character that takes no room (CharacterStandIns.h); 0 when the text is no
// entity.
[[nodiscard]] int32_t DecodeEntity(std::string_view text);
// A number as pages write them: decimal unless forced or a hexadecimal letter
// appears anywhere in the text.
// With end, also answers how many characters of text the number used.
[[nodiscard]] int32_t ParseHtmlNumber(std::string_view text, bool forceHex = false,
                                      size_t* end = nullptr);
// A colour attribute as 0xRRGGBB: one of the sixteen colour names of HTML
// 3.2 (in any case), else the value read as a hexadecimal number.
[[nodiscard]] int32_t ParseHtmlColour(std::string_view text);
[[nodiscard]] Align ParseAlignKeyword(std::string_view text);
// Windows Latin-1 lower-casing (letters with accents included).
[[nodiscard]] char Latin1Lower(char c);

// The value of the first attribute with this name, if any.
[[nodiscard]] const std::string* FindAttribute(AttributeList attributes, std::string_view name);
