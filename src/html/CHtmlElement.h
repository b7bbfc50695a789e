#pragma once

#include "html/CRecordPool.h"
#include "platform/CPackedView.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What an element record is. End records carry the start kind plus EndBit.
// Sixteen bits: a text element's style shares the kind's word.
enum class ElementKind : uint16_t {
    Text = 0,
    NameAnchor = 1,
    NameAnchorEnd = 0x1001,
    Link = 2,
    LinkEnd = 0x1002,
    BlockStart = 3,
    BlockEnd = 0x1003,
    HeadingStart = 4,
    HeadingEnd = 0x1004,
    Rule = 5,
    Image = 6,
    LineEnd = 7,
    ClearBreak = 8,
    LineBreak = 11,
    EmbeddedObject = 13,
    Table = 14,
    TableRow = 16,
    TableCell = 17,
    TableEnd = 0x100E,
    ListItem = 18,
    CentreStart = 19,
    CentreEnd = 0x1013,
    FormStart = 20,
    FormEnd = 0x1014,
    FormField = 21,
    FrameSet = 22,
    Frame = 23,
    FrameSetEnd = 0x1016,
    EndOfDocument = 24,
};

// The style word of text elements.
namespace TextStyle {
inline constexpr uint32_t SizeMask = 0x00F;
inline constexpr uint32_t NormalSize = 3;
inline constexpr uint32_t Bold = 0x010;
inline constexpr uint32_t Italic = 0x020;
inline constexpr uint32_t Underline = 0x040;
inline constexpr uint32_t InLink = 0x080;
inline constexpr uint32_t Fixed = 0x100;
inline constexpr uint32_t Preformatted = 0x200;
inline constexpr uint32_t PlainText = NormalSize | Fixed | Preformatted;
inline constexpr uint32_t AllBits =
    SizeMask | Bold | Italic | Underline | InLink | Fixed | Preformatted;
static_assert(AllBits <= 0xFFFF, "a text element keeps its style in sixteen bits");
} // namespace TextStyle

enum class Align : uint8_t {
    None = 0,
    Top = 1,
    Bottom = 2,
    Baseline = 3,
    Middle = 4,
    Left = 5,
    Right = 6,
    Center = 7,
    Justify = 8,
    Decimal = 9,
};

enum class FieldType : uint32_t {
    Text = 0,
    Password = 1,
    Checkbox = 2,
    Radio = 3,
    Image = 4,
    Hidden = 5,
    Submit = 6,
    Reset = 7,
    Select = 8,
    TextArea = 9,
};

// Base of every element of the element list: records live in the document's
// CRecordPool and are destroyed with it. A long page holds millions of them,
// so the base is just the kind.
class CHtmlElement : public CPoolRecord {
public:
    explicit CHtmlElement(ElementKind k) : kind(k) {}
    ElementKind kind;
};

// The next number of the process-wide element counter, never reset. Elements
// that a window or a form keeps state for across layouts (embedded objects,
// images, form fields) carry one; text and structure need none.
uint32_t NextElementSerial();

// Half of a long page's records: twelve bytes, the style in the word it
// shares with the kind (every style bit lies in the low ten).
struct CTextElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CTextElement(uint32_t start, uint32_t count, uint32_t style)
        : CHtmlElement(ElementKind::Text), textStyle(static_cast<uint16_t>(style)),
          startOffset(start), characterCount(count) {}
    uint16_t textStyle;
    uint32_t startOffset;
    uint32_t characterCount;
};
static_assert(sizeof(CTextElement) == 12);

// Name anchor (kind 1): the one string field.
struct CNameAnchorElement final : CHtmlElement {
    explicit CNameAnchorElement(std::string n)
        : CHtmlElement(ElementKind::NameAnchor), name(std::move(n)) {}
    std::string name;
};

struct CLinkElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    // The texts are kept by the page's text store. A link within the page
    // keeps its fragment as href and the number of the page address it
    // follows as base (CTextStore::LinkBase); any other link, base 0 and its
    // whole address.
    CLinkElement(uint16_t b, std::string_view h, std::string_view t)
        : CHtmlElement(ElementKind::Link), base(b), href(h), target(t) {}
    uint16_t base; // in the kind's word
    CPackedView href;
    CPackedView target;
};
static_assert(sizeof(CLinkElement) == 28);

// A link element's whole address: the page address it follows, if any, then
// its href. text is its page's text store.
inline std::string LinkAddress(const CLinkElement& link, const CTextStore& text) {
    std::string address(text.LinkBase(link.base));
    address += link.href.View();
    return address;
}
static_assert(alignof(CLinkElement) == 4, "a long page has a quarter of a million");

// A long page has a block for every list item and paragraph. The parser
// only ever asks for a blank line or none and a first line one level out or
// not; the indent follows the nesting, which has no bound.
struct CBlockStartElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CBlockStartElement() : CHtmlElement(ElementKind::BlockStart) {}
    uint8_t blankLinesAfter = 0;
    uint8_t blankLinesBefore = 0;
    int32_t indentLevel = 0;
    int16_t firstLineOffset = 0;
    Align align = Align::None;
};
static_assert(sizeof(CBlockStartElement) == 12);

// The side a line break with clear moves below the floats of.
enum class ClearSide : int32_t { Left = 1, Right = 2, Both = 3 };

// Heading start and end, rule, line break with clear (a ClearSide): one
// number each.
struct CParamElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CParamElement(ElementKind k, int32_t v) : CHtmlElement(k), value(v) {}
    int32_t value;
};

// Records that carry nothing but their kind.
struct CBareElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    explicit CBareElement(ElementKind k) : CHtmlElement(k) {}
};

struct CImageElement : CHtmlElement {
    explicit CImageElement(ElementKind k = ElementKind::Image) : CHtmlElement(k) {}
    Align align = Align::Baseline;
    int32_t horizontalSpace = 0;
    int32_t verticalSpace = 0;
    int32_t border = -1;
    int32_t height = 0;
    int32_t width = 0;
    std::string source;
    uint32_t ismap = 0;
    uint32_t inlineFlag = 1;
    uint32_t serial = NextElementSerial();
};

// Where an embedded object stands: in the text, or docked or floating apart
// from it.
enum class Placement : uint32_t { Inline = 0, Dockable = 1, Floating = 2 };

struct CEmbedElement final : CImageElement {
    CEmbedElement() : CImageElement(ElementKind::EmbeddedObject) {}
    Placement placement = Placement::Inline;
};

// The marker of a list item: its number, or a shape.
namespace MarkerStyle {
inline constexpr uint32_t Number = 1;
inline constexpr uint32_t OutlinedSquare = 2;
inline constexpr uint32_t FilledSquare = 3;
inline constexpr uint32_t OutlinedCircle = 4;
inline constexpr uint32_t FilledCircle = 5;
inline constexpr uint32_t OutsideList = FilledSquare;
inline constexpr uint32_t Bullet = FilledCircle;
} // namespace MarkerStyle

struct CListItemElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CListItemElement(uint32_t style, uint32_t n)
        : CHtmlElement(ElementKind::ListItem), markerStyle(style), number(n) {}
    uint32_t markerStyle;
    uint32_t number;
};

struct CFormStartElement final : CHtmlElement {
    CFormStartElement(std::string a, std::string e, uint32_t m)
        : CHtmlElement(ElementKind::FormStart), action(std::move(a)), enctype(std::move(e)),
          method(m) {}
    std::string action;
    std::string enctype;
    uint32_t method; // 0 GET, 2 POST
};

struct COptionRecord {
    std::string text;
    std::string value;
    uint32_t selected = 0;
};

struct CFormFieldElement final : CHtmlElement {
    explicit CFormFieldElement(FieldType type = FieldType::Text, std::string n = {})
        : CHtmlElement(ElementKind::FormField), fieldType(type), name(std::move(n)) {}
    FieldType fieldType;
    std::string name;
    int32_t maxlength = -1;
    int32_t size = -1;
    std::string value;
    uint32_t checked = 0;
    uint32_t multiple = 0;
    std::vector<COptionRecord> options;
    int32_t columns = -1;
    int32_t rows = 1;
    uint32_t serial = NextElementSerial();
};

struct CFrameSetElement final : CHtmlElement {
    CFrameSetElement() : CHtmlElement(ElementKind::FrameSet) {}
    uint32_t orientation = 0; // 1 rows, 0 columns
    std::vector<int32_t> sizes;
};

struct CFrameElement final : CHtmlElement {
    CFrameElement() : CHtmlElement(ElementKind::Frame) {}
    std::string source;
    std::string name;
    int32_t marginWidth = -1;
    int32_t marginHeight = -1;
    int32_t scrolling = -1; // 1 yes, 0 no, -1 auto
    uint32_t reserved = 0;
};

// Style put back when a table cell closes.
struct CSavedCellStyle {
    uint32_t style = 0;
    uint32_t italic = 0;
    uint32_t underline = 0;
    uint32_t bold = 0;
    std::vector<uint32_t> sizes;
};

struct CTableRowElement;

struct CTableElement final : CHtmlElement {
    CTableElement() : CHtmlElement(ElementKind::Table) {}
    uint32_t reserved = 0;
    std::vector<uint32_t> columnAlignments;
    std::vector<int32_t> columnWidths;
    std::vector<uint32_t> rowSpanCarry; // indexed by row number
    char decimalCharacter = '.';
    uint32_t units = 1; // 0 en, 1 relative, 2 pixel
    int32_t width = 0;  // negative: percent of the available width
    int32_t cellPadding = 1;
    int32_t border = 0;
    uint32_t noWrapDefault = 0;
    uint32_t columns = 0;
    uint32_t columnsInRow = 0;
    uint32_t rowNumber = 0;
    uint32_t complete = 0; // layout waits until the end tag set it
    std::unique_ptr<CSavedCellStyle> openCell;
    CTableRowElement* currentRow = nullptr;
};

struct CTableRowElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CTableRowElement() : CHtmlElement(ElementKind::TableRow) {}
    Align alignment = Align::Left;
    char decimalCharacter = '.';
    Align verticalAlignment = Align::Center;
    uint32_t noWrap = 0;
};

struct CTableCellElement final : CHtmlElement {
    static constexpr bool kPlainRecord = true;
    CTableCellElement() : CHtmlElement(ElementKind::TableCell) {}
    uint32_t columnSpan = 1;
    uint32_t rowSpan = 1;
    Align alignment = Align::Left;
    char decimalCharacter = 0;
    Align verticalAlignment = Align::Center;
    uint32_t noWrap = 0;
    int32_t width = 0;
};

// The element list's pool reads each record's length from its kind.
namespace ElementRecords {
constexpr CRecordPool::SizeTable Sizes = CRecordPool::MakeSizeTable<ElementKind>({
    {ElementKind::Text, sizeof(CTextElement)},
    {ElementKind::NameAnchor, sizeof(CNameAnchorElement)},
    {ElementKind::NameAnchorEnd, sizeof(CBareElement)},
    {ElementKind::Link, sizeof(CLinkElement)},
    {ElementKind::LinkEnd, sizeof(CBareElement)},
    {ElementKind::BlockStart, sizeof(CBlockStartElement)},
    {ElementKind::BlockEnd, sizeof(CBareElement)},
    {ElementKind::HeadingStart, sizeof(CParamElement)},
    {ElementKind::HeadingEnd, sizeof(CParamElement)},
    {ElementKind::Rule, sizeof(CParamElement)},
    {ElementKind::Image, sizeof(CImageElement)},
    {ElementKind::LineEnd, sizeof(CBareElement)},
    {ElementKind::ClearBreak, sizeof(CParamElement)},
    {ElementKind::LineBreak, sizeof(CBareElement)},
    {ElementKind::EmbeddedObject, sizeof(CEmbedElement)},
    {ElementKind::Table, sizeof(CTableElement)},
    {ElementKind::TableRow, sizeof(CTableRowElement)},
    {ElementKind::TableCell, sizeof(CTableCellElement)},
    {ElementKind::TableEnd, sizeof(CBareElement)},
    {ElementKind::ListItem, sizeof(CListItemElement)},
    {ElementKind::CentreStart, sizeof(CBareElement)},
    {ElementKind::CentreEnd, sizeof(CBareElement)},
    {ElementKind::FormStart, sizeof(CFormStartElement)},
    {ElementKind::FormEnd, sizeof(CBareElement)},
    {ElementKind::FormField, sizeof(CFormFieldElement)},
    {ElementKind::FrameSet, sizeof(CFrameSetElement)},
    {ElementKind::Frame, sizeof(CFrameElement)},
    {ElementKind::FrameSetEnd, sizeof(CBareElement)},
    {ElementKind::EndOfDocument, sizeof(CBareElement)},
});
} // namespace ElementRecords
static_assert(std::is_standard_layout_v<CHtmlElement> && offsetof(CHtmlElement, kind) == 0,
              "the pool reads an element's kind from its first two bytes");
