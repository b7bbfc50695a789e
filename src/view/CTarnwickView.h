#pragma once

#include "document/CDocumentView.h"
#include "layout/CLayoutEngine.h"
#include "layout/LayoutConstants.h"
#include "platform/CMessageTarget.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CViewWindow.h"
#include "view/CLayoutRunner.h"
#include "view/CPagePainter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CDibSection;
class CDisplayItem;
struct CLinkRecord;
class CNamedEvent;
class CTarnwickDoc;

// The window a page is shown in, without the toolkit: it lays the page out
// on a layout thread of its own, paints it through an 8-bit offscreen
// section, scrolls, and turns clicks on links and image maps into
// navigations. The toolkit shows it through a CViewWindow.
//
// UI thread only, except what the layout thread reaches through
// CLayoutRunner and the progress event.
class CTarnwickView final : public CDocumentView, public CMessageTarget, public CViewWindowClient {
public:
    static constexpr int32_t HorizontalMargin = kDefaultSideMargin;
    static constexpr int32_t VerticalMargin = kDefaultTopMargin;

    CTarnwickView(CTarnwickDoc& document, CViewWindow& window);
    ~CTarnwickView() override;

    // The view of the top-level document, or null.
    static CTarnwickView* TopLevel();
    // This view when its frame name is name, else the first match among its
    // frames, depth first.
    CTarnwickView* FindViewByFrameName(std::string_view name);

    CTarnwickDoc& Document() { return m_document; }
    CViewWindow& Window() { return m_window; }

    // CDocumentView
    TargetHandle Handle() const override { return CMessageTarget::Handle(); }
    void ResetView() override;
    void OnInlineLoadNotify(uint32_t flags, CDynamicLoad* load) override;

    // CMessageTarget
    void OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // CViewWindowClient
    void OnPaint(const CRect& clip) override;
    void OnSize() override;
    void OnLeftButtonDown(CPoint window) override;
    void OnSetCursor(CPoint window) override;
    bool OnKeyDown(ViewKey key) override;

    // Nothing of the page is still being laid out or waiting to be shown:
    // the layout thread has ended and its last progress step has run.
    [[nodiscard]] bool LayoutSettled() const;
    [[nodiscard]] bool HasLayout() const { return m_current != nullptr; }
    [[nodiscard]] int32_t LaidOutWidth() const { return m_laidOutWidth; }
    [[nodiscard]] const CLayoutEngine* CurrentLayout() const { return m_current.get(); }
    [[nodiscard]] CLayoutEngine* CurrentLayout() { return m_current.get(); }
    [[nodiscard]] const CPageColors& Colors() const { return m_colors; }
    // The whole laid-out page (at least the client area) painted into a new
    // section, for snapshots of the full document.
    [[nodiscard]] std::unique_ptr<CDibSection> PaintDocument();

private:
    void StartPage();
    void ReadPageColors(CMimeObject& content);
    [[nodiscard]] std::unique_ptr<CLayoutEngine> MakeLayout(int32_t clientWidth);
    void SetScrollSizesFromLayout();
    void OnLayoutProgress();
    // finished: the layout was complete before the scroll sizes were set.
    void ScrollToFragmentOnce(bool finished);
    void ShowImageChange(CMimeObject& object);
    void ApplyPageChange(uint32_t flags, CMimeObject& content);
    void StopLayoutThread() { m_runner.Stop(); }
    void DeleteLayouts();
    // The address a click or a hover on link at a document point means.
    [[nodiscard]] std::string LinkAddressAt(const CLayoutEngine::LinkedItem& found,
                                            const CLinkRecord& link, CPoint document) const;
    [[nodiscard]] CPoint ToDocument(CPoint window) const;
    [[nodiscard]] CPageToPaint PageToPaint();
    void ScrollBy(int32_t dx, int32_t dy);
    // FIXME: the page's form controls are not made: they should follow the
    // layout's form records, one child control per form-control item.
    void UpdateFormControls() {}
    // FIXME: frame sets show nothing: the frames should be built from the
    // finished frame-set tree, a view and document per frame.
    void BuildFrames() {}

    CTarnwickDoc& m_document;
    CViewWindow& m_window;
    std::unique_ptr<CNamedEvent> m_progressEvent;
    CLayoutRunner m_runner;
    int32_t m_laidOutWidth = 0;
    // The layout painted and hit-tested, and the one the thread builds; the
    // same during the first layout of a page, different while a resize
    // relays it out (the old one stays on screen until the new one is done).
    std::unique_ptr<CLayoutEngine> m_current;
    std::unique_ptr<CLayoutEngine> m_pendingOwned; // only when it differs from m_current
    CLayoutEngine* m_pending = nullptr;
    CPagePainter m_painter;
    const CLinkRecord* m_statusLink = nullptr;
    bool m_fragmentDone = false;
    CPageColors m_colors;
    std::string m_backgroundImage;
    std::vector<CTarnwickView*> m_childViews; // the views of this page's frames
    std::string m_frameName;                  // empty for the top view
    int32_t m_marginWidth = HorizontalMargin;
    int32_t m_marginHeight = VerticalMargin;
    bool m_noScroll = false; // a frame with scrolling off
    int32_t m_nextControlId = 10000;
};
