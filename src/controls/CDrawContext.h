#pragma once

#include "platform/com/ComInterfaces.h"
#include "platform/gdi/CFont.h"
#include "platform/gdi/GdiTypes.h"

#include <map>
#include <memory>

class CDeviceContext;

// The fonts a control selects, kept from paint to paint.
class CControlFonts {
public:
    [[nodiscard]] CFont* Get(const CLogFont& logFont);

private:
    struct Less {
        bool operator()(const CLogFont& a, const CLogFont& b) const;
    };
    std::map<CLogFont, std::unique_ptr<CFont>, Less> m_fonts;
};

// Lets a control draw on the page through one device context, within its
// own rectangle and in its own coordinates, for the length of one Draw
// call: afterwards (and if the control keeps a reference) every call fails.
// Made and used on the UI thread.
[[nodiscard]] IDrawContext* CreateDrawContext(CDeviceContext& dc, const CRect& documentRect,
                                              const CRect& clip, CControlFonts& fonts);
// Ends what CreateDrawContext made: restores the device context and drops
// the reference the creator holds.
void EndDrawContext(IDrawContext* context);
