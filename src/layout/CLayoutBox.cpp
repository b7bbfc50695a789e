#include "layout/CLayoutBox.h"

#include "layout/CLayoutEngine.h"

#include <algorithm>

namespace {

// Form fields sized from numbers a page wrote are kept to a sane width.
constexpr int64_t kMaxControlSide = 1 << 16;

int32_t Bounded(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMaxControlSide));
}

// The marker of a numbered item is text; the others are small shapes.
constexpr uint32_t kNumberMarker = 1;
constexpr int32_t kBulletSide = 8;

} // namespace

std::unique_ptr<CLayoutBox> CLayoutBox::Split(int32_t, bool) {
    return nullptr;
}

CTextBox::CTextBox(CLayoutEngine& engine, uint32_t start, std::string characters, uint32_t style,
                   CLinkRecord* link)
    : CLayoutBox(engine, 0, 0, (style & TextStyle::Preformatted) == 0, 0, Align::Baseline),
      m_start(start), m_characters(std::move(characters)), m_style(style), m_link(link) {
    CFontCache& fonts = engine.m_fonts;
    fonts.Select(style);
    ascent = fonts.GetAscent();
    height = fonts.GetAscent() + fonts.GetDescent();
    width = fonts.GetRunWidth(m_characters);
}

void CTextBox::Emit(CLineRecord& line, const CRect& rect) {
    auto* item = engine.NewItem<CTextItem>(
        rect, m_start, static_cast<uint32_t>(m_characters.size()), m_style, m_link);
    if (m_link)
        m_link->items.push_back(item);
    line.items.push_back(item);
}

std::unique_ptr<CLayoutBox> CTextBox::Split(int32_t splitWidth, bool force) {
    CFontCache& fonts = engine.m_fonts;
    fonts.Select(m_style);
    size_t count = m_characters.size();
    if (splitWidth != -1)
        count = static_cast<size_t>(std::max(0, fonts.GetFitCount(m_characters, splitWidth)));
    count = std::min(count, m_characters.size());
    if (!force) {
        // Break just after the last space that still fits.
        size_t space = m_characters.rfind(' ', count == 0 ? std::string::npos : count - 1);
        if (count == 0 || space == std::string::npos)
            return nullptr;
        count = space + 1;
    } else if (count == 0) {
        return nullptr;
    }
    auto remainder = std::make_unique<CTextBox>(engine, m_start + static_cast<uint32_t>(count),
                                                m_characters.substr(count), m_style, m_link);
    m_characters.resize(count);
    fonts.Select(m_style);
    width = fonts.GetRunWidth(m_characters);
    return remainder;
}

std::unique_ptr<CLayoutBox> CBreakBox::Split(int32_t, bool) {
    // Breaking here moves everything after it on: the remainder is empty.
    return std::make_unique<CTextBox>(engine, 0, std::string(), TextStyle::NormalSize, nullptr);
}

CMarkerBox::CMarkerBox(CLayoutEngine& engine, uint32_t markerStyle, uint32_t number)
    : CLayoutBox(engine, kBulletSide, kBulletSide, false, engine.m_indentUnit, Align::Baseline),
      m_markerStyle(markerStyle), m_number(number) {
    if (markerStyle == kNumberMarker) {
        engine.m_fonts.Select(TextStyle::NormalSize);
        ascent = engine.m_fonts.GetAscent();
        height = ascent + engine.m_fonts.GetDescent();
    }
}

void CMarkerBox::Emit(CLineRecord& line, const CRect& rect) {
    CRect place = rect;
    if (m_markerStyle != kNumberMarker) {
        const int32_t side = std::min(rect.Width(), rect.Height());
        place.left = rect.left + (rect.Width() - side) / 2;
        place.right = place.left + side;
        place.bottom = place.top + side;
    }
    line.items.push_back(engine.NewItem<CMarkerItem>(place, m_markerStyle, m_number));
}

CImageBox::CImageBox(CLayoutEngine& engine, const CImageElement& image, int32_t boxWidth,
                     int32_t boxHeight, int32_t border, Align verticalAlignment, CLinkRecord* link)
    : CLayoutBox(engine, boxHeight, boxHeight, false, boxWidth, verticalAlignment), m_image(image),
      m_border(border), m_link(link) {}

void CImageBox::Emit(CLineRecord& line, const CRect& rect) {
    auto* item = engine.NewItem<CImageItem>(rect, m_image.source, m_link, m_border, m_image.ismap);
    if (m_link)
        m_link->items.push_back(item);
    line.items.push_back(item);
}

CObjectBox::CObjectBox(CLayoutEngine& engine, const CEmbedElement& object, int32_t boxWidth,
                       int32_t boxHeight, Align verticalAlignment)
    : CLayoutBox(engine, boxHeight, boxHeight, false, boxWidth, verticalAlignment),
      m_object(object) {}

void CObjectBox::Emit(CLineRecord& line, const CRect& rect) {
    auto* item = engine.NewItem<CObjectItem>(rect, m_object.serial, m_object.source);
    engine.m_objects.push_back(item);
    line.items.push_back(item);
}

CControlBox::Size CControlBox::SizeFor(const CFormFieldElement& field) {
    const CDialogBaseUnits units = GetDialogBaseUnits();
    const int64_t bx = units.horizontal;
    const int64_t by = units.vertical;
    const int32_t lineAscent = Bounded((by * 9) >> 3);
    const int32_t lineHeight = Bounded((by * 13) >> 3);
    switch (field.fieldType) {
    case FieldType::Text:
    case FieldType::Password: {
        int64_t chars = field.size != -1 ? field.size : field.maxlength;
        int32_t width = chars != -1 ? Bounded((chars * 5 + 4) * bx / 4) : Bounded(25 * bx);
        return {lineAscent, lineHeight, width};
    }
    case FieldType::Checkbox:
    case FieldType::Radio:
        return {Bounded((by * 7) >> 3), Bounded(by), Bounded(2 * bx)};
    case FieldType::Submit:
    case FieldType::Reset: {
        const auto length = static_cast<int64_t>(field.value.size());
        int32_t width = length ? Bounded((length * 4 + 10) * bx / 4) : Bounded(50 * bx / 4);
        return {lineAscent, lineHeight, width};
    }
    case FieldType::Select: {
        int64_t width = 50 * bx / 4;
        for (const COptionRecord& option : field.options)
            width = std::max<int64_t>(width,
                                      (static_cast<int64_t>(option.text.size()) * 5 + 8) * bx / 4);
        return {lineAscent, lineHeight, Bounded(width)};
    }
    case FieldType::TextArea: {
        const int64_t rows = field.rows;
        int32_t width = field.columns != -1 ? Bounded((int64_t{field.columns} * 5 + 4) * bx / 4)
                                            : Bounded(25 * bx);
        return {Bounded((rows * 8 + 9) * bx / 8), Bounded((rows * 8 + 13) * bx / 8), width};
    }
    default: // hidden, image and anything else take no room
        return {};
    }
}

CControlBox::CControlBox(CLayoutEngine& engine, const CFormFieldElement& field, CFormRecord* form)
    : CLayoutBox(engine, 0, 0, false, 0, Align::Baseline), m_field(field), m_form(form) {
    Size size = SizeFor(field);
    ascent = size.ascent;
    height = size.height;
    width = size.width;
}

void CControlBox::Emit(CLineRecord& line, const CRect& rect) {
    auto* item = engine.NewItem<CFormControlItem>(rect, m_field, m_form);
    if (m_form)
        m_form->controls.push_back(item);
    line.items.push_back(item);
}
