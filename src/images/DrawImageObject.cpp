#include "images/DrawImageObject.h"

#include "content/CMimeObject.h"
#include "images/CColorCube.h"
#include "platform/Verify.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CIcon.h"

#include <cstring>

namespace {

void DrawBrokenIcon(CDeviceContext& context, const CRect& rect) {
    const auto icon = CIcon::Load(kBrokenImageIcon);
    VERIFY(icon);
    context.DrawIcon(rect.left, rect.top, *icon);
}

struct ImageState {
    const uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    bool transparent = false;
};

ImageState ReadImageState(CMimeObject& object) REQUIRES(object.Lock()) {
    ImageState state;
    state.bits = object.GetBits();
    object.GetImageSize(state.width, state.height);
    CBitmapInfo info;
    state.stride = object.GetBitmapInfo(info);
    state.transparent = object.NeedsBackground();
    return state;
}

// A word has a byte equal to the marker exactly when (word ^ markers) has a
// zero byte.
constexpr uint32_t kMarkerBytes = 0x01010101u * kTransparentMarker;

bool HasZeroByte(uint32_t word) {
    return ((word - 0x01010101u) & ~word & 0x80808080u) != 0;
}

} // namespace

void CopyRowSkippingMarker(const uint8_t* source, uint8_t* destination, size_t count) {
    size_t x = 0;
    // Four bytes at a time while none of them is the marker.
    for (; x + 4 <= count; x += 4) {
        uint32_t word;
        std::memcpy(&word, source + x, 4);
        if (word == kMarkerBytes)
            continue;
        if (!HasZeroByte(word ^ kMarkerBytes)) {
            std::memcpy(destination + x, &word, 4);
            continue;
        }
        for (size_t i = x; i < x + 4; ++i) {
            if (source[i] != kTransparentMarker)
                destination[i] = source[i];
        }
    }
    for (; x < count; ++x) {
        if (source[x] != kTransparentMarker)
            destination[x] = source[x];
    }
}

void DrawImageObject(CMimeObject* object, CDeviceContext& context, const CRect& rect) {
    if (!object) {
        DrawBrokenIcon(context, rect);
        return;
    }
    bool hasImage = false;
    {
        CSemLockGuard guard(object->Lock());
        hasImage = object->HasImage();
    }
    if (!hasImage) {
        // GetStatus takes the object's lock itself.
        const Status status = object->GetStatus();
        if (status != Status::Unknown && status != Status::Continue)
            DrawBrokenIcon(context, rect);
        return;
    }
    // The decoder writes rows under the same lock while the picture grows.
    CSemLockGuard guard(object->Lock());
    const ImageState image = ReadImageState(*object);
    CDibSection* page = context.Section();
    if (!image.bits || !page || image.width <= 0 || image.height <= 0)
        return;
    VERIFY(image.stride >= image.width);

    const CRect visible = context.GetClipBox().Intersect(rect);
    const CRect placed{rect.left, rect.top, rect.left + image.width, rect.top + image.height};
    const CRect part = placed.Intersect(visible);
    if (part.IsEmpty())
        return;
    // Whole rows and columns are cut from the top and the left of the source.
    const uint8_t* source =
        image.bits +
        static_cast<size_t>(part.top - placed.top) * static_cast<size_t>(image.stride) +
        static_cast<size_t>(part.left - placed.left);
    const CPoint origin = context.GetViewportOrg();
    const auto count = static_cast<size_t>(part.Width());
    for (int32_t y = part.top; y < part.bottom; ++y) {
        uint8_t* destination = page->Row(y + origin.y) + part.left + origin.x;
        if (image.transparent)
            CopyRowSkippingMarker(source, destination, count);
        else
            std::memcpy(destination, source, count);
        source += image.stride;
    }
}
