#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class CDeviceContext;
class CDibSection;
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
};

// Composes a page into an 8-bit section in the shared palette: background
// colour, the tiled background image, then the display items. The section
// the window is painted through is cached and made again only when the
// client size changes. UI thread only.
class CPagePainter {
public:
    CPagePainter();
    ~CPagePainter();
    CPagePainter(const CPagePainter&) = delete;
    CPagePainter& operator=(const CPagePainter&) = delete;

    // The offscreen section for a client area of size client, or null when
    // that size cannot have one.
    CDibSection* SectionFor(CPoint client);
    void DropSection();

    // Paints area (document coordinates) into dc, whose viewport origin maps
    // document coordinates to its section.
    static void Compose(CDeviceContext& dc, const CRect& area, const CPageToPaint& page);
    // The stock light-grey fill of a view with nothing to show.
    static void FillEmpty(CDeviceContext& dc, const CRect& area);
    // A new section in the shared palette.
    [[nodiscard]] static std::unique_ptr<CDibSection> MakeSection(int32_t width, int32_t height);

private:
    static void PaintBackground(CDeviceContext& dc, const CRect& area, const CPageToPaint& page);
    static void TileImage(CDeviceContext& dc, const CRect& area, CMimeObject& image);

    std::unique_ptr<CDibSection> m_section;
    CPoint m_client{-1, -1};
};
