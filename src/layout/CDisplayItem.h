#pragma once

#include "html/CHtmlElement.h"
#include "html/CRecordPool.h"
#include "platform/CPackedView.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct CFormRecord;
struct CLinkRecord;
class CPaintContext;

enum class DisplayItemType : uint16_t {
    Text = 1,
    LinkText = 2,
    Rule = 3,
    Image = 4,
    LinkImage = 5,
    EmbeddedObject = 7,
    ListMarker = 8,
    FormControl = 9,
    Frame3D = 10,
};

// A positioned, drawable piece of a laid-out page. Items live in the layout
// engine's record pool; the engine makes them on the layout thread and may
// move them (a float placed beside the text) under its lock, and the view
// draws and hit-tests them on the UI thread under the same lock.
// The calls below go to the item's own class by its type, not through a
// vtable: a long page holds millions of items, and the pointer would be a
// sixth of each text item.
class CDisplayItem : public CPoolRecord {
public:
    CDisplayItem(DisplayItemType type, const CRect& rect, uint32_t style = 0)
        : type(type), textStyle(static_cast<uint16_t>(style)), m_rect(rect) {}

    void Draw(CPaintContext& context) const;
    // The link this item belongs to; the point is not examined.
    [[nodiscard]] CLinkRecord* LinkAt(int32_t x, int32_t y) const;
    // The image URL of image items.
    [[nodiscard]] const std::string* ImageSource() const;
    // Document coordinates, right and bottom exclusive.
    [[nodiscard]] CRect GetRect() const { return m_rect; }
    // A flow placed after its lines were made carries its items along.
    void MoveBy(CPoint offset) { m_rect = m_rect.Offset(offset.x, offset.y); }

    // First: the layout's record pool reads an item's type from its first
    // two bytes.
    const DisplayItemType type;
    // Types 1 and 2 only (every style bit lies in the low ten): it fills the
    // type's word.
    const uint16_t textStyle;

private:
    CRect m_rect;
};

// Types 1 and 2: a run of the document's text on one line, made as a
// CUnlinkedTextItem (type 1) or a CLinkTextItem (type 2, which adds the
// link): most runs are in no link, and a long page has millions of them.
class CTextItem : public CDisplayItem {
public:
    void Draw(CPaintContext& context) const;
    // Null for type 1.
    [[nodiscard]] CLinkRecord* Link() const;

    const uint32_t textStart;
    const uint32_t characterCount;

protected:
    CTextItem(DisplayItemType type, const CRect& rect, uint32_t start, uint32_t count,
              uint32_t style)
        : CDisplayItem(type, rect, style), textStart(start), characterCount(count) {}
};

class CUnlinkedTextItem final : public CTextItem {
public:
    static constexpr bool kPlainRecord = true;
    CUnlinkedTextItem(const CRect& rect, uint32_t start, uint32_t count, uint32_t style)
        : CTextItem(DisplayItemType::Text, rect, start, count, style) {}
};

class CLinkTextItem final : public CTextItem {
public:
    static constexpr bool kPlainRecord = true;
    CLinkTextItem(const CRect& rect, uint32_t start, uint32_t count, uint32_t style,
                  CLinkRecord* link)
        : CTextItem(DisplayItemType::LinkText, rect, start, count, style), m_link(link) {}
    [[nodiscard]] CLinkRecord* Link() const { return m_link.Get(); }

private:
    CPackedPointer<CLinkRecord> m_link;
};
static_assert(alignof(CUnlinkedTextItem) == 4 && alignof(CLinkTextItem) == 4);
static_assert(sizeof(CUnlinkedTextItem) == 28 && sizeof(CLinkTextItem) == 36);

inline CLinkRecord* CTextItem::Link() const {
    return type == DisplayItemType::LinkText ? static_cast<const CLinkTextItem*>(this)->Link()
                                             : nullptr;
}

// Type 3.
class CRuleItem final : public CDisplayItem {
public:
    static constexpr bool kPlainRecord = true;
    explicit CRuleItem(const CRect& rect) : CDisplayItem(DisplayItemType::Rule, rect) {}
    void Draw(CPaintContext& context) const;
};

// Types 4 and 5.
class CImageItem final : public CDisplayItem {
public:
    CImageItem(const CRect& rect, std::string url, CLinkRecord* link, int32_t border,
               uint32_t ismap)
        : CDisplayItem(link ? DisplayItemType::LinkImage : DisplayItemType::Image, rect),
          url(std::move(url)), link(link), border(border), ismap(ismap) {}
    void Draw(CPaintContext& context) const;

    const std::string url;
    CLinkRecord* const link; // type 5 only
    const int32_t border;    // type 5 only
    const uint32_t ismap;    // type 5 only
};

// Type 7: the place of an inline embedded object.
class CObjectItem final : public CDisplayItem {
public:
    CObjectItem(const CRect& rect, uint32_t serial, std::string source)
        : CDisplayItem(DisplayItemType::EmbeddedObject, rect), elementSerial(serial),
          source(std::move(source)) {}
    void Draw(CPaintContext& context) const;

    const uint32_t elementSerial;
    const std::string source;
};

// Type 8.
class CMarkerItem final : public CDisplayItem {
public:
    static constexpr bool kPlainRecord = true;
    CMarkerItem(const CRect& rect, uint32_t style, uint32_t number)
        : CDisplayItem(DisplayItemType::ListMarker, rect), markerStyle(style), number(number) {}
    void Draw(CPaintContext& context) const;

    const uint32_t markerStyle; // MarkerStyle
    const uint32_t number;
};

// Type 9: the place of a form control, with a copy of its field.
class CFormControlItem final : public CDisplayItem {
public:
    CFormControlItem(const CRect& rect, const CFormFieldElement& field, CFormRecord* form)
        : CDisplayItem(DisplayItemType::FormControl, rect), elementSerial(field.serial),
          fieldType(field.fieldType), name(field.name), maxlength(field.maxlength),
          size(field.size), value(field.value), checked(field.checked), multiple(field.multiple),
          options(field.options), columns(field.columns), rows(field.rows), form(form) {}
    void Draw(CPaintContext& context) const;

    // Empty until the page's form code fills it.
    // FIXME: the form code that builds the page's controls sets this text.
    [[nodiscard]] const std::string& FormText() const { return m_formText; }

    const uint32_t elementSerial;
    const FieldType fieldType;
    const std::string name;
    const int32_t maxlength;
    const int32_t size;
    const std::string value;
    const uint32_t checked;
    const uint32_t multiple;
    const std::vector<COptionRecord> options;
    const int32_t columns;
    const int32_t rows;
    CFormRecord* const form; // the form it belongs to, or null outside any form

private:
    std::string m_formText;
};

// The bevel of a frame item: raised round a table, sunk round a cell.
namespace FrameStyle {
inline constexpr uint32_t Table = 0;
inline constexpr uint32_t Cell = 1;
} // namespace FrameStyle

// Type 10: the bevel around a table or a cell.
class CFrameItem final : public CDisplayItem {
public:
    static constexpr bool kPlainRecord = true;
    CFrameItem(const CRect& rect, int32_t width, uint32_t style)
        : CDisplayItem(DisplayItemType::Frame3D, rect), frameWidth(width), frameStyle(style) {}
    void Draw(CPaintContext& context) const;

    const int32_t frameWidth;
    const uint32_t frameStyle; // FrameStyle
};

// The layout's pool reads each item's length from its type.
namespace DisplayItemRecords {
constexpr CRecordPool::SizeTable Sizes = CRecordPool::MakeSizeTable<DisplayItemType>({
    {DisplayItemType::Text, sizeof(CUnlinkedTextItem)},
    {DisplayItemType::LinkText, sizeof(CLinkTextItem)},
    {DisplayItemType::Rule, sizeof(CRuleItem)},
    {DisplayItemType::Image, sizeof(CImageItem)},
    {DisplayItemType::LinkImage, sizeof(CImageItem)},
    {DisplayItemType::EmbeddedObject, sizeof(CObjectItem)},
    {DisplayItemType::ListMarker, sizeof(CMarkerItem)},
    {DisplayItemType::FormControl, sizeof(CFormControlItem)},
    {DisplayItemType::Frame3D, sizeof(CFrameItem)},
});
} // namespace DisplayItemRecords
