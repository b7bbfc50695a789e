#include "controls/CDrawContext.h"

#include "platform/gdi/CDeviceContext.h"

#include <atomic>
#include <new>
#include <tuple>

bool CControlFonts::Less::operator()(const CLogFont& a, const CLogFont& b) const {
    return std::tie(a.height, a.weight, a.italic, a.underline, a.faceName) <
           std::tie(b.height, b.weight, b.italic, b.underline, b.faceName);
}

CFont* CControlFonts::Get(const CLogFont& logFont) {
    auto found = m_fonts.find(logFont);
    if (found == m_fonts.end())
        found = m_fonts.emplace(logFont, CFont::Create(logFont)).first;
    return found->second.get();
}

namespace {

CRect RectOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

class CDrawContext final : public IDrawContext {
public:
    CDrawContext(CDeviceContext& dc, const CRect& documentRect, const CRect& clip,
                 CControlFonts& fonts)
        : m_dc(&dc), m_fonts(fonts), m_origin(dc.GetViewportOrg()), m_clip(dc.GetClipBox()),
          m_font(dc.GetFont()), m_pen(dc.SelectPen(CPen::Black())),
          m_brush(dc.SelectBrush(CBrush::White())), m_textColor(dc.SetTextColor(0)) {
        // Logical coordinates become the control's own: its top-left
        // corner is 0, 0, and nothing outside it can be touched.
        CRect visible = clip.Intersect(documentRect).Intersect(m_clip);
        dc.SelectClipRect(visible.Offset(m_origin.x, m_origin.y));
        dc.SetViewportOrg({m_origin.x + documentRect.left, m_origin.y + documentRect.top});
    }

    void End() {
        if (!m_dc)
            return;
        m_dc->SetViewportOrg(m_origin);
        m_dc->SelectClipRect(m_clip.Offset(m_origin.x, m_origin.y));
        m_dc->SelectFont(m_font);
        m_dc->SelectPen(m_pen);
        m_dc->SelectBrush(m_brush);
        m_dc->SetTextColor(m_textColor);
        m_dc = nullptr;
    }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDrawContext) {
            *object = static_cast<IDrawContext*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        ULONG left = --m_references;
        // The reference-counting core owns the object: it goes with its last
        // reference.
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT FillRect(const RECT* rect, COLORREF color) override {
        if (!m_dc)
            return E_UNEXPECTED;
        if (!rect)
            return E_POINTER;
        m_dc->FillRect(RectOf(*rect), CBrush::Solid(color));
        return S_OK;
    }
    HRESULT FrameRect(const RECT* rect, COLORREF color, LONG width) override {
        if (!m_dc)
            return E_UNEXPECTED;
        if (!rect)
            return E_POINTER;
        if (width <= 0)
            return S_OK;
        const CRect r = RectOf(*rect);
        const CBrush brush = CBrush::Solid(color);
        m_dc->FillRect({r.left, r.top, r.right, r.top + width}, brush);
        m_dc->FillRect({r.left, r.bottom - width, r.right, r.bottom}, brush);
        m_dc->FillRect({r.left, r.top, r.left + width, r.bottom}, brush);
        m_dc->FillRect({r.right - width, r.top, r.right, r.bottom}, brush);
        return S_OK;
    }
    HRESULT DrawLine(LONG x0, LONG y0, LONG x1, LONG y1, COLORREF color, LONG width) override {
        if (!m_dc)
            return E_UNEXPECTED;
        CPen previous = m_dc->SelectPen(CPen::Solid(width > 0 ? width : 1, color));
        m_dc->MoveTo(x0, y0);
        m_dc->LineTo(x1, y1);
        m_dc->SelectPen(previous);
        return S_OK;
    }
    HRESULT SelectFont(LPCOLESTR face, LONG height, LONG weight, BOOL italic,
                       BOOL underline) override {
        if (!m_dc)
            return E_UNEXPECTED;
        CLogFont logFont;
        logFont.height = height;
        logFont.weight = weight;
        logFont.italic = italic != 0;
        logFont.underline = underline != 0;
        logFont.faceName = face ? face : "";
        CFont* font = m_fonts.Get(logFont);
        if (!font)
            return E_FAIL;
        m_dc->SelectFont(font);
        return S_OK;
    }
    HRESULT SetTextColor(COLORREF color) override {
        if (!m_dc)
            return E_UNEXPECTED;
        m_dc->SetTextColor(color);
        return S_OK;
    }
    HRESULT TextOut(LONG x, LONG y, LPCOLESTR text, UINT length) override {
        if (!m_dc)
            return E_UNEXPECTED;
        if (!text && length)
            return E_POINTER;
        if (m_dc->GetFont())
            m_dc->TextOut(x, y, std::string_view(text ? text : "", length));
        return S_OK;
    }
    HRESULT GetTextExtent(LPCOLESTR text, UINT length, SIZEL* size) override {
        if (!m_dc)
            return E_UNEXPECTED;
        if (!size || (!text && length))
            return E_POINTER;
        *size = {0, 0};
        if (m_dc->GetFont()) {
            CTextMetrics metrics = m_dc->GetTextMetrics();
            *size = {m_dc->GetTextExtent(std::string_view(text ? text : "", length)),
                     metrics.ascent + metrics.descent};
        }
        return S_OK;
    }
    HRESULT GetPixelsPerInch(LONG* pixels) override {
        if (!m_dc)
            return E_UNEXPECTED;
        if (!pixels)
            return E_POINTER;
        *pixels = m_dc->PixelsPerInch();
        return S_OK;
    }

private:
    ~CDrawContext() = default;

    std::atomic<ULONG> m_references{1};
    CDeviceContext* m_dc; // null once ended
    CControlFonts& m_fonts;
    const CPoint m_origin;
    const CRect m_clip;
    CFont* const m_font;
    const CPen m_pen;
    const CBrush m_brush;
    const ColorRef m_textColor;
};

} // namespace

IDrawContext* CreateDrawContext(CDeviceContext& dc, const CRect& documentRect, const CRect& clip,
                                CControlFonts& fonts) {
    return new (std::nothrow) CDrawContext(dc, documentRect, clip, fonts);
}

void EndDrawContext(IDrawContext* context) {
    if (!context)
        return;
    static_cast<CDrawContext*>(context)->End();
    context->Release();
}
