#pragma once

#include "controls/CViewControls.h"
#include "document/CDocumentView.h"
#include "layout/CLayoutEngine.h"
#include "layout/LayoutConstants.h"
#include "platform/CMessageTarget.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CViewWindow.h"
#include "view/CFormControls.h"
#include "view/CLayoutRunner.h"
#include "view/CPagePainter.h"
#include "view/CTextFinder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDibSection;
class CDisplayItem;
struct CFrameRecord;
struct CLinkRecord;
class CNamedEvent;
class CTarnwickDoc;
class CViewSplitterWnd;

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

    // Makes this new view a frame of parent's frame set, as record says:
    // its name, margins and scrolling; parent lists it among its frames.
    void BecomeFrame(CTarnwickView& parent, const CFrameRecord& record);
    // The view whose frame set made this one, or null.
    [[nodiscard]] CTarnwickView* ParentView() const { return m_parentView; }
    // The views of this page's frames, nested sets' included, in page order.
    [[nodiscard]] const std::vector<CTarnwickView*>& ChildViews() const { return m_childViews; }
    [[nodiscard]] const std::string& FrameName() const { return m_frameName; }
    [[nodiscard]] bool NoScroll() const { return m_noScroll; }
    [[nodiscard]] CPoint Margins() const { return {m_marginWidth, m_marginHeight}; }
    // The splitter over this view while its page is a frame set, or null.
    [[nodiscard]] CViewSplitterWnd* FrameSplitter() { return m_splitter.get(); }
    // Every view that exists now, frames' included.
    [[nodiscard]] static size_t ViewCount();

    // CDocumentView
    TargetHandle Handle() const override { return CMessageTarget::Handle(); }
    void ResetView() override;
    void OnInlineLoadNotify(uint32_t flags, CDynamicLoad* load) override;
    void OnInlineRefused() override { m_runner.Wake(); }

    // CMessageTarget
    void OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // CViewWindowClient
    void OnPaint(const CRect& clip) override;
    void OnSize() override;
    void OnLeftButtonDown(CPoint window) override;
    void OnLeftButtonUp(CPoint window) override;
    void OnSetCursor(CPoint window) override;
    bool OnKeyDown(ViewKey key) override;
    void OnFormControlEvent(uint32_t commandId, FormControlEvent event) override;
    bool OnCharacter(char character) override;

    // Nothing of the page is still being laid out or waiting to be shown:
    // the layout thread has ended and its last progress step has run, and
    // so have those of its frames.
    [[nodiscard]] bool LayoutSettled() const;
    [[nodiscard]] bool HasLayout() const { return m_current != nullptr; }
    [[nodiscard]] int32_t LaidOutWidth() const { return m_laidOutWidth; }
    [[nodiscard]] const CLayoutEngine* CurrentLayout() const { return m_current.get(); }
    [[nodiscard]] CLayoutEngine* CurrentLayout() { return m_current.get(); }
    [[nodiscard]] const CPageColors& Colors() const { return m_colors; }
    [[nodiscard]] CFormControls& FormControls() { return m_formControls; }
    // The page's embedded controls.
    [[nodiscard]] CViewControls& Controls() { return m_controls; }
    // The whole laid-out page (at least the client area) painted into a new
    // section, for snapshots of the full document.
    [[nodiscard]] std::unique_ptr<CDibSection> PaintDocument();

    // Find in page: the next match of text (letter case aside) after the
    // one found last for the same text, else the first on the page; it is
    // drawn marked and scrolled into view. False when the page does not
    // show text. A new page forgets the match.
    bool FindNext(std::string_view text);
    [[nodiscard]] std::optional<CTextRange> FoundText() const { return m_found; }
    // Where the match stands on the page (document coordinates), one
    // rectangle per line it is on.
    [[nodiscard]] std::vector<CRect> FoundRects();

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
    void ScrollIntoView(const CRect& area);
    void UpdateFormControls();
    // Submissions go to this view's document, whatever frame it shows.
    void SubmitForm(const NavigateRequest& request);
    // A splitter over the view, a pane and a view with a document of its
    // own for every frame of frameSet.
    void BuildFrames(const CFrameRecord& frameSet);
    // The frames' documents clear their pages, then the frames go.
    void DestroyFrames();
    // The control sites of the page's embeds, made once layout is done.
    void UpdateControlItems();

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
    std::unique_ptr<CViewSplitterWnd> m_splitter; // owns the frames' views and documents
    std::vector<CTarnwickView*> m_childViews;     // the views of this page's frames
    CTarnwickView* m_parentView = nullptr;
    std::unique_ptr<CFrameRecord> m_frameRecord; // the frame that made this view
    std::string m_frameName;                     // empty for the top view
    int32_t m_marginWidth = HorizontalMargin;
    int32_t m_marginHeight = VerticalMargin;
    bool m_noScroll = false; // a frame with scrolling off
    std::string m_findText;
    std::optional<CTextRange> m_found;
    CFormControls m_formControls{m_window};
    CViewControls m_controls;
};
