#pragma once

#include "content/CTextStore.h"
#include "platform/gdi/GdiTypes.h"

class CDeviceContext;
class CFontCache;
class CInlineResources;

// What display items draw with: made by the view for each paint.
class CPaintContext {
public:
    CDeviceContext& dc;       // in document coordinates; says whether it prints
    CFontCache& fonts;        // bound to dc
    const CTextStore text;    // the page's text
    const ColorRef textColor; // device colours
    const ColorRef linkColor;
    const ColorRef visitedLinkColor;
    const ColorRef backgroundColor;
    CInlineResources* const resources; // the document's images; may be null
};
