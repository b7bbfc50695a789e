#include "view/CPagePainter.h"

#include "content/CInlineResources.h"
#include "content/CMimeObject.h"
#include "images/CSharedPalette.h"
#include "images/DrawImageObject.h"
#include "layout/CLayoutEngine.h"
#include "layout/CPaintContext.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFontCache.h"

namespace {

// Floor and ceiling of a quotient for a positive divisor, also for negative
// dividends (a clip box may start above the document when scrolled back).
int32_t FloorDiv(int32_t value, int32_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

int32_t CeilDiv(int32_t value, int32_t divisor) {
    return -FloorDiv(-value, divisor);
}

} // namespace

CPagePainter::CPagePainter() = default;
CPagePainter::~CPagePainter() = default;

std::unique_ptr<CDibSection> CPagePainter::MakeSection(int32_t width, int32_t height) {
    return CDibSection::Create(width, height, CSharedPalette::ColorTable());
}

CDeviceContext* CPagePainter::ContextFor(CPoint client) {
    if (m_section && m_section->Width() >= client.x && m_section->Height() >= client.y)
        return m_dc.get();
    m_fonts.reset();
    m_dc.reset();
    // A little larger than the client area, the width a whole number of
    // words, so that a window that grows by a pixel or two keeps it; a
    // smaller one paints only the top-left part.
    m_section = MakeSection((client.x + 4) & ~3, client.y + 1);
    if (!m_section)
        return nullptr;
    m_dc = std::make_unique<CDeviceContext>(*m_section);
    m_fonts = std::make_unique<CFontCache>(*m_dc);
    return m_dc.get();
}

CDibSection* CPagePainter::PaintView(CPoint client, const CRect& box, CPoint scroll,
                                     const CPageToPaint& page) {
    CDeviceContext* dc = ContextFor(client);
    if (!dc)
        return nullptr;
    // What the last paint's items left selected must not reach this one:
    // the context starts as a new one would, clipped to the area to paint.
    dc->SelectPen(CPen::Black());
    dc->SelectBrush(CBrush::White());
    dc->SetTextColor(0);
    dc->MoveTo(0, 0);
    dc->SetViewportOrg({0, 0});
    dc->SelectClipRect(box);
    if (!page.layout) {
        FillEmpty(*dc, box);
    } else {
        // The section works in document coordinates, so items draw where
        // the layout put them.
        dc->SetViewportOrg({-scroll.x, -scroll.y});
        ComposeWith(*dc, *m_fonts, box.Offset(scroll.x, scroll.y), page);
    }
    return m_section.get();
}

void CPagePainter::FillEmpty(CDeviceContext& dc, const CRect& area) {
    dc.FillRect(area, CBrush::LightGray());
}

void CPagePainter::Compose(CDeviceContext& dc, const CRect& area, const CPageToPaint& page) {
    CFontCache fonts(dc);
    ComposeWith(dc, fonts, area, page);
}

void CPagePainter::ComposeWith(CDeviceContext& dc, CFontCache& fonts, const CRect& area,
                               const CPageToPaint& page) {
    dc.SelectPalette(&GetSharedPalette());
    dc.RealizePalette();
    PaintBackground(dc, area, page);
    // FIXME: embedded controls do not draw themselves here: the control site
    // is not built.
    CTextStore text = page.content ? page.content->GetTextStore() : CTextStore();
    CPaintContext context{dc,
                          fonts,
                          std::move(text),
                          ColorRefFromRrggbb(page.colors.text),
                          ColorRefFromRrggbb(page.colors.link),
                          ColorRefFromRrggbb(page.colors.visitedLink),
                          ColorRefFromRrggbb(page.colors.background),
                          page.resources};
    if (page.layout)
        page.layout->ForEachItemIn(area, [&](const CDisplayItem& item) { item.Draw(context); });
}

void CPagePainter::PaintBackground(CDeviceContext& dc, const CRect& area,
                                   const CPageToPaint& page) {
    CMimeObject* image = nullptr;
    if (!page.backgroundImage.empty() && page.resources)
        (void)page.resources->GetInlineObject(page.backgroundImage, image);
    bool needsBackground = true;
    bool hasImage = false;
    if (image) {
        CSemLockGuard guard(image->Lock());
        needsBackground = image->NeedsBackground();
        hasImage = image->HasImage();
    }
    // A picture that is still loading, failed or has transparent pixels
    // shows the background colour under it.
    if (!image || needsBackground || !hasImage)
        dc.FillRect(area,
                    CBrush::Solid(dc.GetNearestColor(ColorRefFromRrggbb(page.colors.background))));
    if (image && hasImage)
        TileImage(dc, area, *image);
}

void CPagePainter::TileImage(CDeviceContext& dc, const CRect& area, CMimeObject& image) {
    int32_t width = 0;
    int32_t height = 0;
    {
        CSemLockGuard guard(image.Lock());
        image.GetImageSize(width, height);
    }
    if (width <= 0 || height <= 0)
        return;
    for (int32_t row = FloorDiv(area.top, height); row < CeilDiv(area.bottom, height); ++row) {
        for (int32_t column = FloorDiv(area.left, width); column < CeilDiv(area.right, width);
             ++column) {
            CRect cell{column * width, row * height, (column + 1) * width, (row + 1) * height};
            DrawImageObject(&image, dc, cell);
        }
    }
}
