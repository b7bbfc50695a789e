#pragma once

#include "html/CHtmlElement.h"
#include "html/CRecordPool.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct CFormRecord;
struct CLinkRecord;
class CPaintContext;

enum class DisplayItemType : uint32_t {
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
class CDisplayItem : public CPoolRecord {
public:
    CDisplayItem(DisplayItemType type, const CRect& rect) : type(type), rect(rect) {}

    virtual void Draw(CPaintContext& context) const;
    // The link this item belongs to; the point is not examined.
    virtual CLinkRecord* LinkAt(int32_t x, int32_t y) const;
    // The image URL of image items.
    virtual const std::string* ImageSource() const;
    [[nodiscard]] CRect GetRect() const { return rect; }

    DisplayItemType type;
    CRect rect; // document coordinates, right and bottom exclusive
};

// Types 1 and 2: a run of the document's text on one line.
class CTextItem final : public CDisplayItem {
public:
    CTextItem(const CRect& rect, uint32_t start, uint32_t count, uint32_t style, CLinkRecord* link)
        : CDisplayItem(link ? DisplayItemType::LinkText : DisplayItemType::Text, rect),
          textStart(start), characterCount(count), textStyle(style), link(link) {}
    void Draw(CPaintContext& context) const override;
    CLinkRecord* LinkAt(int32_t x, int32_t y) const override;

    uint32_t textStart;
    uint32_t characterCount;
    uint32_t textStyle;
    CLinkRecord* link; // type 2 only
};

// Type 3.
class CRuleItem final : public CDisplayItem {
public:
    explicit CRuleItem(const CRect& rect) : CDisplayItem(DisplayItemType::Rule, rect) {}
    void Draw(CPaintContext& context) const override;
};

// Types 4 and 5.
class CImageItem final : public CDisplayItem {
public:
    CImageItem(const CRect& rect, std::string url, CLinkRecord* link, int32_t border,
               uint32_t ismap)
        : CDisplayItem(link ? DisplayItemType::LinkImage : DisplayItemType::Image, rect),
          url(std::move(url)), link(link), border(border), ismap(ismap) {}
    void Draw(CPaintContext& context) const override;
    CLinkRecord* LinkAt(int32_t x, int32_t y) const override;
    const std::string* ImageSource() const override { return &url; }

    std::string url;
    CLinkRecord* link; // type 5 only
    int32_t border;    // type 5 only
    uint32_t ismap;    // type 5 only
};

// Type 7: the place of an inline embedded object.
class CObjectItem final : public CDisplayItem {
public:
    CObjectItem(const CRect& rect, uint32_t serial, std::string source)
        : CDisplayItem(DisplayItemType::EmbeddedObject, rect), elementSerial(serial),
          source(std::move(source)) {}
    void Draw(CPaintContext& context) const override;

    uint32_t elementSerial;
    std::string source;
};

// Type 8.
class CMarkerItem final : public CDisplayItem {
public:
    CMarkerItem(const CRect& rect, uint32_t style, uint32_t number)
        : CDisplayItem(DisplayItemType::ListMarker, rect), markerStyle(style), number(number) {}
    void Draw(CPaintContext& context) const override;

    uint32_t markerStyle; // 1 number, 2-5 square/filled square/circle/filled circle
    uint32_t number;
};

// Type 9: the place of a form control, with a copy of its field.
class CFormControlItem final : public CDisplayItem {
public:
    CFormControlItem(const CRect& rect, const CFormFieldElement& field, CFormRecord* form)
        : CDisplayItem(DisplayItemType::FormControl, rect), elementSerial(field.serial),
          fieldType(field.fieldType), name(field.name), maxlength(field.maxlength),
          size(field.size), value(field.value), checked(field.checked), multiple(field.multiple),
          options(field.options), columns(field.columns), rows(field.rows), form(form) {}
    void Draw(CPaintContext& context) const override;

    uint32_t elementSerial;
    FieldType fieldType;
    std::string name;
    int32_t maxlength;
    int32_t size;
    std::string value;
    uint32_t checked;
    uint32_t multiple;
    std::vector<COptionRecord> options;
    int32_t columns;
    int32_t rows;
    std::string formText; // filled by the form code
    CFormRecord* form;    // the form it belongs to, or null outside any form
};

// Type 10: the bevel around a table (style 0) or a cell (style 1).
class CFrameItem final : public CDisplayItem {
public:
    CFrameItem(const CRect& rect, int32_t width, uint32_t style)
        : CDisplayItem(DisplayItemType::Frame3D, rect), frameWidth(width), frameStyle(style) {}
    void Draw(CPaintContext& context) const override;

    int32_t frameWidth;
    uint32_t frameStyle; // 1 cell, 0 table
};
