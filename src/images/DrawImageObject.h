#pragma once

#include "platform/gdi/GdiTypes.h"

class CDeviceContext;
class CMimeObject;

// The resource id of the broken-image icon (32 x 32).
inline constexpr int kBrokenImageIcon = 131;

// Paints an image content object into the page bitmap of context with its
// top-left corner at rect's, inside rect and the context's clip box.
// A null object, or one that ended without a picture, shows the
// broken-image icon; one still arriving shows nothing. The bitmap must use
// the shared palette, since picture bytes are copied as they are.
void DrawImageObject(CMimeObject* object, CDeviceContext& context, const CRect& rect);

// Copies count bytes, leaving the destination unchanged wherever the source
// holds the transparent marker.
void CopyRowSkippingMarker(const uint8_t* source, uint8_t* destination, size_t count);
