#pragma once

#include "html/CHtmlElement.h"

#include <cstdint>

// The geometry of elements as both the flows and the table measurer see it.
// A table's columns are measured before its cells are laid out, so the two
// must agree on every size and indent; each rule lives here once.

enum class FloatSide : uint8_t { Left, Right };

struct CBoxSize {
    int32_t ascent = 0;
    int32_t height = 0;
    int32_t width = 0;
};

// Where an image or inline object stands: in the line, or floating at one
// side with space round it.
struct CImagePlacement {
    bool floating = false;
    FloatSide side = FloatSide::Left;
    Align verticalAlignment = Align::Baseline;
    int32_t horizontalSpace = 0; // floating only
    int32_t verticalSpace = 0;   // floating only
};

// The size of an image or object as the document knows it, and what layout
// makes of it.
struct CImageSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t border = 0;
};

struct CImageScale {
    bool scale = false; // printing: sizes are points
    int32_t pixelsPerInch = 96;
};

namespace ElementGeometry {

// The indent a block gives its lines, and the first line's offset from it.
[[nodiscard]] int32_t BlockIndent(const CBlockStartElement& block, int32_t indentUnit);
[[nodiscard]] int32_t FirstLineOffset(const CBlockStartElement& block, int32_t indentUnit);

// Docked and floating objects take no place in the text.
[[nodiscard]] bool TakesPlaceInText(const CHtmlElement& element);

[[nodiscard]] CImagePlacement PlacementOf(const CImageElement& image);
// An image that gives both its width and height need not wait for its
// picture.
[[nodiscard]] bool HasOwnSize(const CImageElement& image);
// The box of an image whose picture is width by height: clamped, scaled for
// printing, and grown by the border inside a link.
[[nodiscard]] CImageSize ImageBox(const CImageElement& image, int32_t width, int32_t height,
                                  const CImageScale& scale, bool inLink);
// The width an image of box width takes on a line, the space beside a
// floating one included.
[[nodiscard]] int32_t ImageRunWidth(const CImagePlacement& placement, int32_t boxWidth);

// A list marker is one indent unit wide.
[[nodiscard]] int32_t MarkerWidth(int32_t indentUnit);

// The place of a form control, in the system's dialog base units.
[[nodiscard]] CBoxSize ControlSize(const CFormFieldElement& field);

} // namespace ElementGeometry
