#pragma once

#include "platform/gdi/GdiTypes.h"
#include "view/CTextFinder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CDeviceContext;
class CDibSection;
class CFontCache;
class CInlineResources;
class CLayoutEngine;
class CMimeObject;

// A page's colours as 0xRRGGBB, with the defaults a page gets when it names
// none.
struct CPageColors {
    int32_t background = 0xD7D7D7;
    int32_t text = 0x000000;
    int32_t link = 0x0000FF;
    int32_t visitedLink = 0xFF00FF;
};

// What painting a page needs to know of it.
struct CPageToPaint {
    CLayoutEngine* layout = nullptr;
    CMimeObject* content = nullptr;
    CInlineResources* resources = nullptr; // may be null
    CPageColors colors;
    std::string backgroundImage;
    std::optional<CTextRange> highlight; // the match of find in page
    // Draws the page's embedded controls over it (dc in document
    // coordinates, the area to paint); may be empty.
    std::function<void(CDeviceContext& dc, const CRect& area)> drawControls;
};

// Composes a page into an 8-bit section in the shared palette: background
// colour, the tiled background image, then the display items. The section
// the window is painted through is cached together with its device context
// and fonts, so that a paint neither resolves nor opens a font again; all
// three are made again only when the client area outgrows the section.
// UI thread only.
class CPagePainter {
public:
    CPagePainter();
    ~CPagePainter();
    CPagePainter(const CPagePainter&) = delete;
    CPagePainter& operator=(const CPagePainter&) = delete;

    // Paints box (client coordinates) of a view of size client scrolled to
    // scroll into the cached section: the page, or the empty view's fill
    // when the page has no layout. Returns the section, whose top-left
    // client-sized part is the view, or null when that size cannot have one.
    CDibSection* PaintView(CPoint client, const CRect& box, CPoint scroll,
                           const CPageToPaint& page);

    // Paints area (document coordinates) into dc, whose viewport origin maps
    // document coordinates to its section, with fonts made for this paint.
    static void Compose(CDeviceContext& dc, const CRect& area, const CPageToPaint& page);
    // The stock light-grey fill of a view with nothing to show.
    static void FillEmpty(CDeviceContext& dc, const CRect& area);
    // A new section in the shared palette.
    [[nodiscard]] static std::unique_ptr<CDibSection> MakeSection(int32_t width, int32_t height);

private:
    // The cached context for a client area of size client, or null.
    CDeviceContext* ContextFor(CPoint client);
    static void ComposeWith(CDeviceContext& dc, CFontCache& fonts, const CRect& area,
                            const CPageToPaint& page);
    static void PaintBackground(CDeviceContext& dc, const CRect& area, const CPageToPaint& page);
    static void TileImage(CDeviceContext& dc, const CRect& area, CMimeObject& image);

    // In this order: the fonts select back into the context, which draws on
    // the section, as they go.
    std::unique_ptr<CDibSection> m_section;
    std::unique_ptr<CDeviceContext> m_dc;
    std::unique_ptr<CFontCache> m_fonts;
};
