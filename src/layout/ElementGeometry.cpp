#include "layout/ElementGeometry.h"

#include "layout/LayoutConstants.h"
#include "platform/gdi/GdiTypes.h"

#include <algorithm>

namespace {

int32_t BoundedSide(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMaxControlSide));
}

} // namespace

namespace ElementGeometry {

int32_t BlockIndent(const CBlockStartElement& block, int32_t indentUnit) {
    // Nesting depth comes from the page: bounded so that no product overflows.
    return std::clamp(block.indentLevel, 0, kMaxIndentLevel) * indentUnit;
}

int32_t FirstLineOffset(const CBlockStartElement& block, int32_t indentUnit) {
    return std::clamp<int32_t>(block.firstLineOffset, -kMaxIndentLevel, kMaxIndentLevel) *
           indentUnit;
}

bool TakesPlaceInText(const CHtmlElement& element) {
    return element.kind != ElementKind::EmbeddedObject ||
           static_cast<const CEmbedElement&>(element).placement == Placement::Inline;
}

CImagePlacement PlacementOf(const CImageElement& image) {
    CImagePlacement placement;
    placement.floating = image.align == Align::Left || image.align == Align::Right;
    if (!placement.floating) {
        placement.verticalAlignment = image.align;
        return placement;
    }
    placement.side = image.align == Align::Left ? FloatSide::Left : FloatSide::Right;
    placement.verticalAlignment = Align::Baseline;
    placement.horizontalSpace = std::clamp(image.horizontalSpace, 0, kMaxImageSpace);
    placement.verticalSpace = std::clamp(image.verticalSpace, 0, kMaxImageSpace);
    return placement;
}

bool HasOwnSize(const CImageElement& image) {
    return image.width != 0 && image.height != 0;
}

CImageSize ImageBox(const CImageElement& image, int32_t width, int32_t height,
                    const CImageScale& scale, bool inLink) {
    CImageSize box;
    box.width = std::clamp(width, 0, kMaxImageSide);
    box.height = std::clamp(height, 0, kMaxImageSide);
    // A border the page did not give counts as -1.
    box.border = std::clamp(image.border, -1, kMaxImageSide);
    if (scale.scale) {
        const int32_t ppi = scale.pixelsPerInch;
        box.width = box.width * ppi / 72;
        box.height = box.height * ppi / 72;
        if (box.border > 0)
            box.border = box.border * ppi / 72;
    }
    if (inLink) {
        box.width = std::max(0, box.width + 2 * box.border);
        box.height = std::max(0, box.height + 2 * box.border);
    }
    return box;
}

int32_t ImageRunWidth(const CImagePlacement& placement, int32_t boxWidth) {
    return placement.floating ? boxWidth + placement.horizontalSpace : boxWidth;
}

int32_t MarkerWidth(int32_t indentUnit) {
    return indentUnit;
}

CBoxSize ControlSize(const CFormFieldElement& field) {
    const CDialogBaseUnits units = GetDialogBaseUnits();
    const int64_t bx = units.horizontal;
    const int64_t by = units.vertical;
    const int32_t lineAscent = BoundedSide((by * 9) >> 3);
    const int32_t lineHeight = BoundedSide((by * 13) >> 3);
    switch (field.fieldType) {
    case FieldType::Text:
    case FieldType::Password: {
        int64_t chars = field.size != -1 ? field.size : field.maxlength;
        int32_t width = chars != -1 ? BoundedSide((chars * 5 + 4) * bx / 4) : BoundedSide(25 * bx);
        return {lineAscent, lineHeight, width};
    }
    case FieldType::Checkbox:
    case FieldType::Radio:
        return {BoundedSide((by * 7) >> 3), BoundedSide(by), BoundedSide(2 * bx)};
    case FieldType::Submit:
    case FieldType::Reset: {
        const auto length = static_cast<int64_t>(field.value.size());
        int32_t width = length ? BoundedSide((length * 4 + 10) * bx / 4) : BoundedSide(50 * bx / 4);
        return {lineAscent, lineHeight, width};
    }
    case FieldType::Select: {
        int64_t width = 50 * bx / 4;
        for (const COptionRecord& option : field.options)
            width = std::max<int64_t>(width,
                                      (static_cast<int64_t>(option.text.size()) * 5 + 8) * bx / 4);
        return {lineAscent, lineHeight, BoundedSide(width)};
    }
    case FieldType::TextArea: {
        const int64_t rows = field.rows;
        int32_t width = field.columns != -1 ? BoundedSide((int64_t{field.columns} * 5 + 4) * bx / 4)
                                            : BoundedSide(25 * bx);
        return {BoundedSide((rows * 8 + 9) * bx / 8), BoundedSide((rows * 8 + 13) * bx / 8), width};
    }
    default: // hidden, image and anything else take no room
        return {};
    }
}

} // namespace ElementGeometry
