#include "view/CTarnwickView.h"

#include "content/CDynamicLoad.h"
#include "content/CMimeObject.h"
#include "content/CObjectTable.h"
#include "content/CScheduler.h"
#include "document/CTarnwickDoc.h"
#include "layout/CLayoutEngine.h"
#include "platform/CNamedEvent.h"
#include "platform/TextUtil.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFontCache.h"
#include "platform/ui/CSplitterWindow.h"
#include "view/CViewSplitterWnd.h"

#include <algorithm>
#include <cstdio>

namespace {

// Every view of the process, in creation order; UI thread only.
std::vector<CTarnwickView*>& AllViews() {
    static std::vector<CTarnwickView*> views;
    return views;
}

CPoint LineSize() {
    CDialogBaseUnits units = GetDialogBaseUnits();
    return {units.horizontal, units.vertical};
}

// A copy of a frame-set tree, or null. Frame sets nested deeper than a
// page may nest them lose their children, and so stay empty panes: the
// copy and the splitters made from it recurse once per level.
std::unique_ptr<CFrameRecord> CopyFrameTree(const CFrameRecord* from,
                                            CFrameRecord* parent = nullptr, int depth = 1) {
    if (!from)
        return nullptr;
    auto copy = std::make_unique<CFrameRecord>();
    copy->source = from->source;
    copy->name = from->name;
    copy->marginWidth = from->marginWidth;
    copy->marginHeight = from->marginHeight;
    copy->scrolling = from->scrolling;
    copy->orientation = from->orientation;
    copy->sizes = from->sizes;
    copy->parent = parent;
    if (depth >= CViewSplitterWnd::MaxFrameDepth)
        return copy;
    copy->children.reserve(from->children.size());
    for (const auto& child : from->children)
        copy->children.push_back(CopyFrameTree(child.get(), copy.get(), depth + 1));
    return copy;
}

} // namespace

CTarnwickView::CTarnwickView(CTarnwickDoc& document, CViewWindow& window)
    : m_document(document), m_window(window),
      m_progressEvent(std::make_unique<CNamedEvent>([this](uint32_t) { OnLayoutProgress(); }, 0,
                                                    "LayoutProgress" +
                                                        std::to_string(CMessageTarget::Handle()))),
      m_runner([event = m_progressEvent.get()] { event->Signal(); }), m_controls(document, window) {
    AllViews().push_back(this);
    m_document.SetView(this);
    m_window.SetClient(this);
    m_window.SetScrollSizes({1, 1}, m_window.ClientSize(), LineSize());
}

CTarnwickView::~CTarnwickView() {
    ResetView();
    m_window.SetClient(nullptr);
    m_document.SetView(nullptr);
    std::erase(AllViews(), this);
}

CTarnwickView* CTarnwickView::TopLevel() {
    for (CTarnwickView* view : AllViews())
        if (view->m_document.IsTopLevel())
            return view;
    return nullptr;
}

size_t CTarnwickView::ViewCount() {
    return AllViews().size();
}

void CTarnwickView::BecomeFrame(CTarnwickView& parent, const CFrameRecord& record) {
    // The record of a frame has no children to copy, and its parent is the
    // layout's, which goes with the page.
    m_frameRecord = std::make_unique<CFrameRecord>();
    m_frameRecord->source = record.source;
    m_frameRecord->name = record.name;
    m_frameRecord->marginWidth = record.marginWidth;
    m_frameRecord->marginHeight = record.marginHeight;
    m_frameRecord->scrolling = record.scrolling;
    m_frameRecord->orientation = record.orientation;
    m_noScroll = record.scrolling == 0;
    if (record.marginWidth != -1 && record.marginHeight != -1) {
        m_marginWidth = record.marginWidth;
        m_marginHeight = record.marginHeight;
    }
    m_frameName = record.name;
    m_parentView = &parent;
    parent.m_childViews.push_back(this);
}

CTarnwickView* CTarnwickView::FindViewByFrameName(std::string_view name) {
    if (m_frameName == name)
        return this;
    for (CTarnwickView* child : m_childViews)
        if (CTarnwickView* found = child->FindViewByFrameName(name))
            return found;
    return nullptr;
}

void CTarnwickView::OnMessage(uint32_t message, uintptr_t, intptr_t) {
    if (message == NewDocumentMessage)
        StartPage();
}

void CTarnwickView::StartPage() {
    m_colors = {};
    m_backgroundImage.clear();
    CMimeObject* content = m_document.ContentObject();
    if (!content) {
        m_window.SetScrollSizes({1, 1}, m_window.ClientSize(), LineSize());
        return;
    }
    ReadPageColors(*content);
    if (!m_backgroundImage.empty())
        m_document.RequestInline(m_backgroundImage, Caps::InlineImage);

    // A page may arrive while the previous one is still laid out, if the
    // document did not reset the view in between.
    StopLayoutThread();
    DeleteLayouts();
    CPoint client = m_window.ClientSize();
    m_laidOutWidth = client.x;
    m_current = MakeLayout(client.x);
    m_pending = m_current.get();
    m_runner.SetPageComplete(false);
    m_runner.Start(*m_pending);

    SetScrollSizesFromLayout();
    m_window.ScrollTo({0, 0});
    m_document.UpdateTitle();
    if (EndsTransfer(content->GetStatus()))
        m_runner.SetPageComplete(true);
    m_window.InvalidateAll();
    m_runner.Wake();
    UpdateFormControls();
}

void CTarnwickView::ReadPageColors(CMimeObject& content) {
    // Each getter takes the object's lock itself. The visited-link colour
    // always stays the default.
    m_colors.background = content.GetBackgroundColor().value_or(m_colors.background);
    m_colors.text = content.GetTextColor().value_or(m_colors.text);
    m_colors.link = content.GetLinkColor().value_or(m_colors.link);
    m_backgroundImage = content.GetBackgroundImage();
}

std::unique_ptr<CLayoutEngine> CTarnwickView::MakeLayout(int32_t clientWidth) {
    CLayoutEngine::Settings settings;
    settings.availableWidth = clientWidth - m_window.VerticalScrollBarWidth();
    settings.pixelsPerInch = CDeviceContext::kDefaultPixelsPerInch;
    settings.scale = false;
    settings.sideMargin = m_marginWidth;
    settings.topMargin = m_marginHeight;
    return std::make_unique<CLayoutEngine>(m_document.ContentObject(), &m_document, settings,
                                           [event = m_progressEvent.get()] { event->Signal(); });
}

void CTarnwickView::SetScrollSizesFromLayout() {
    CPoint total{1, 1};
    if (m_current && !m_noScroll) {
        CPoint extent = m_current->GetExtent();
        total = {std::max(extent.x, 1), std::max(extent.y, 1)};
    }
    m_window.SetScrollSizes(total, m_window.ClientSize(), LineSize());
}

void CTarnwickView::OnLayoutProgress() {
    if (!m_pending)
        return;
    if (m_pending != m_current.get()) {
        // A relayout after a resize: the old layout stays on screen until
        // the new one is complete.
        if (!m_runner.Finished())
            return;
        m_current = std::move(m_pendingOwned);
        m_pending = m_current.get();
        m_statusLink = nullptr;
        UpdateFormControls();
        m_window.InvalidateAll();
    }
    if (m_current->FrameSetReady() && !m_splitter) {
        m_document.UpdateTitle();
        StopLayoutThread();
        // The tree belongs to the layout, which goes first.
        std::unique_ptr<CFrameRecord> frameSet = CopyFrameTree(m_current->RootFrameSet());
        DeleteLayouts();
        if (frameSet)
            BuildFrames(*frameSet);
        m_window.SetScrollSizes({1, 1}, m_window.ClientSize(), LineSize());
        return;
    }
    // Read before the extent: the thread may finish while the sizes are
    // set, and a fragment scroll must not take a partial extent for the end.
    bool finished = m_runner.Finished() && m_pending == m_current.get();
    if (std::optional<CRect> area = m_current->TakeNewItemsArea()) {
        CPoint scroll = m_window.ScrollPosition();
        m_window.Invalidate(area->Offset(-scroll.x, -scroll.y));
    }
    SetScrollSizesFromLayout();
    ScrollToFragmentOnce(finished);
    UpdateFormControls();
    UpdateControlItems();
}

void CTarnwickView::UpdateControlItems() {
    // A relayout's new layout is current only once it has finished.
    m_controls.Update(m_current.get(), m_runner.Finished() && m_pending == m_current.get());
}

void CTarnwickView::ScrollToFragmentOnce(bool finished) {
    const std::string& fragment = m_document.Fragment();
    if (fragment.empty() || m_fragmentDone)
        return;
    int32_t top = m_current->NamedAnchor(fragment);
    if (top == -1)
        return;
    // While the page ends less than a screen below the anchor, the scroll
    // range cannot reach it yet: scrolling now would stop short, and the
    // one scroll of the page would be spent. Wait for more of the page, or
    // for its end.
    if (m_window.ScrollTotal().y - m_window.ClientSize().y < top && !finished)
        return;
    // Once per page: later passes may move the anchor, and the reader may
    // have scrolled away since.
    m_fragmentDone = true;
    m_window.ScrollTo({0, top});
}

void CTarnwickView::OnSize() {
    if (!m_current) {
        // The frames of a frame set follow their splitter.
        if (m_splitter) {
            CPoint client = m_window.ClientSize();
            m_splitter->Window().Move({0, 0, client.x, client.y});
        }
        return;
    }
    CPoint client = m_window.ClientSize();
    // One pixel wider is the width a scroll bar's appearance or a rounding
    // gives back; it is not worth laying the whole page out again.
    if (client.x != m_laidOutWidth && client.x != m_laidOutWidth + 1) {
        m_laidOutWidth = client.x;
        StopLayoutThread();
        m_pendingOwned = MakeLayout(client.x);
        m_pending = m_pendingOwned.get();
        m_runner.Start(*m_pending);
        m_runner.Wake();
    }
    SetScrollSizesFromLayout();
}

void CTarnwickView::OnInlineLoadNotify(uint32_t flags, CDynamicLoad* load) {
    if (!m_current)
        return;
    CMimeObject* object = load ? load->GetObject() : nullptr;
    if (object) {
        bool image = object->GetCaps() & Caps::InlineImage;
        if (image && (flags & (Notify::Attached | Notify::ImageData)))
            ShowImageChange(*object);
        // A picture shown as the page is both: its end must still reach the
        // layout thread, or the thread would wait for it for ever.
        if (object == m_document.ContentObject())
            ApplyPageChange(flags, *object);
    }
    m_runner.Wake();
    UpdateFormControls();
    // A property file that arrives after layout has finished (the embed had
    // a size of its own) is the step its control waited for.
    UpdateControlItems();
}

void CTarnwickView::ShowImageChange(CMimeObject& object) {
    if (object.Url() == m_backgroundImage) {
        m_window.InvalidateAll();
        return;
    }
    CPoint scroll = m_window.ScrollPosition();
    CPoint client = m_window.ClientSize();
    CRect visible = CRect{0, 0, client.x, client.y}.Offset(scroll.x, scroll.y);
    std::vector<CRect> changed;
    m_current->ForEachItemIn(visible, [&](const CDisplayItem& item) {
        const std::string* source = item.ImageSource();
        if (source && *source == object.Url())
            changed.push_back(item.GetRect());
    });
    for (const CRect& rect : changed)
        m_window.Invalidate(rect.Offset(-scroll.x, -scroll.y));
}

void CTarnwickView::ApplyPageChange(uint32_t flags, CMimeObject& content) {
    // An object taken from the object table already knows everything.
    auto has = [flags](uint32_t bit) { return (flags & (bit | Notify::Attached)) != 0; };
    if (has(Notify::Redirected) || has(Notify::TitleKnown))
        m_document.UpdateTitle();
    auto takeColor = [this](PageColor color, int32_t& into) {
        if (!color)
            return;
        into = *color;
        m_window.InvalidateAll();
    };
    if (has(Notify::BackgroundColorKnown))
        takeColor(content.GetBackgroundColor(), m_colors.background);
    if (has(Notify::TextColorKnown))
        takeColor(content.GetTextColor(), m_colors.text);
    if (has(Notify::LinkColorKnown))
        takeColor(content.GetLinkColor(), m_colors.link);
    if (has(Notify::BackgroundImageKnown)) {
        if (std::string url = content.GetBackgroundImage(); !url.empty()) {
            m_backgroundImage = url;
            m_document.RequestInline(url, Caps::InlineImage);
            m_window.InvalidateAll();
        }
    }
    // A load that attached to a page still arriving through another load
    // ended as it attached; the page's own status tells when it is whole.
    if (has(Notify::Finished) || EndsTransfer(content.GetStatus()))
        m_runner.SetPageComplete(true);
}

CPageToPaint CTarnwickView::PageToPaint() {
    return {m_current.get(),
            m_document.ContentObject(),
            &m_document,
            m_colors,
            m_backgroundImage,
            m_found,
            [this](CDeviceContext& dc, const CRect& area) { m_controls.Draw(dc, area); }};
}

bool CTarnwickView::FindNext(std::string_view text) {
    if (!m_current)
        return false;
    // The same text again goes on after the match; another starts afresh.
    uint32_t from = m_found && EqualsNoCase(text, m_findText) ? m_found->start + 1 : 0;
    m_findText = text;
    m_found = CTextFinder::Find(*m_current, text, from);
    m_window.InvalidateAll();
    if (!m_found)
        return false;
    std::vector<CRect> rects = FoundRects();
    if (!rects.empty()) {
        CRect area = rects.front();
        for (const CRect& rect : rects)
            area = area.Union(rect);
        ScrollIntoView(area);
    }
    return true;
}

std::vector<CRect> CTarnwickView::FoundRects() {
    if (!m_current || !m_found)
        return {};
    CDeviceContext measuring = CDeviceContext::InformationContext();
    CFontCache fonts(measuring);
    return CTextFinder::RangeRects(*m_current, fonts, *m_found);
}

void CTarnwickView::ScrollIntoView(const CRect& area) {
    CPoint scroll = m_window.ScrollPosition();
    CPoint client = m_window.ClientSize();
    CRect visible = CRect{0, 0, client.x, client.y}.Offset(scroll.x, scroll.y);
    if (visible.Intersect(area) == area)
        return;
    // A third of the way down, where the eye looks first; sideways only as
    // far as it takes.
    CPoint target = scroll;
    if (area.top < visible.top || area.bottom > visible.bottom)
        target.y = area.top - client.y / 3;
    if (area.left < visible.left || area.right > visible.right)
        target.x = area.left - client.x / 3;
    m_window.ScrollTo(target);
}

void CTarnwickView::OnPaint(const CRect& clip) {
    // Under a splitter the view shows as empty: its frames cover it, but
    // panes squeezed to nothing by a page of many frames leave it bare.
    CPoint client = m_window.ClientSize();
    CRect box = clip.Intersect({0, 0, client.x, client.y});
    if (box.IsEmpty())
        return;
    if (CDibSection* section =
            m_painter.PaintView(client, box, m_window.ScrollPosition(), PageToPaint()))
        m_window.Present(*section, box);
}

std::unique_ptr<CDibSection> CTarnwickView::PaintDocument() {
    CPoint client = m_window.ClientSize();
    CPoint size = client;
    if (m_current) {
        CPoint extent = m_current->GetExtent();
        size = {std::max(size.x, extent.x), std::max(size.y, extent.y)};
    }
    size = {std::min(size.x, CDibSection::kMaxDimension),
            std::min(size.y, CDibSection::kMaxDimension)};
    std::unique_ptr<CDibSection> section = CPagePainter::MakeSection(size.x, size.y);
    if (!section)
        return nullptr;
    CDeviceContext dc(*section);
    CRect all{0, 0, size.x, size.y};
    if (m_current)
        CPagePainter::Compose(dc, all, PageToPaint());
    else
        CPagePainter::FillEmpty(dc, all);
    return section;
}

CPoint CTarnwickView::ToDocument(CPoint window) const {
    CPoint scroll = m_window.ScrollPosition();
    return {window.x + scroll.x, window.y + scroll.y};
}

std::string CTarnwickView::LinkAddressAt(const CLayoutEngine::LinkedItem& found,
                                         const CLinkRecord& link, CPoint document) const {
    const CDisplayItem& item = *found.item;
    if (item.type != DisplayItemType::LinkImage || !static_cast<const CImageItem&>(item).ismap)
        return link.Address();
    // A server-side image map gets the point within the picture, appended
    // whatever the address already holds.
    char point[32];
    std::snprintf(point, sizeof point, "?%d,%d", document.x - found.rect.left,
                  document.y - found.rect.top);
    return link.Address() + point;
}

void CTarnwickView::OnLeftButtonDown(CPoint window) {
    if (!m_current)
        return;
    // A click on a control is the control's.
    if (m_controls.OnLeftButtonDown(window))
        return;
    CPoint document = ToDocument(window);
    CLayoutEngine::LinkedItem found = m_current->LinkedItemAt(document.x, document.y);
    if (!found.item)
        return;
    m_window.SetCursor(ViewCursor::Link);
    const CLinkRecord* link = found.item->LinkAt(document.x, document.y);
    if (!link)
        return;
    // Copied out: navigating resets this view, which deletes the layout,
    // and may destroy this view too (a frame whose link replaces the frame
    // set): nothing of it may be touched after Navigate.
    std::string address = LinkAddressAt(found, *link, document);
    std::string targetName(link->target);
    CTarnwickView* target = this;
    if (!targetName.empty()) {
        CTarnwickView* top = TopLevel();
        target = top ? top->FindViewByFrameName(targetName) : nullptr;
        if (!target)
            target = top ? top : this;
    }
    target->Document().Navigate({.url = address});
}

void CTarnwickView::OnLeftButtonUp(CPoint window) {
    (void)m_controls.OnLeftButtonUp(window);
}

bool CTarnwickView::OnCharacter(char character) {
    return m_controls.OnCharacter(character);
}

void CTarnwickView::OnSetCursor(CPoint window) {
    (void)m_controls.OnMouseMove(window);
    if (m_document.MainLoad()) {
        m_window.SetCursor(ViewCursor::Wait);
        return;
    }
    CPoint document = ToDocument(window);
    CLayoutEngine::LinkedItem found;
    if (m_current)
        found = m_current->LinkedItemAt(document.x, document.y);
    const CDisplayItem* item = found.item;
    const CLinkRecord* link = item ? item->LinkAt(document.x, document.y) : nullptr;
    if (!link) {
        if (m_statusLink) {
            m_window.SetStatusText("");
            m_statusLink = nullptr;
        }
        // Asked only here: the scheduler's lock is not worth taking on every
        // move over a link.
        m_window.SetCursor(Scheduler().AnyActive() ? ViewCursor::WorkingInBackground
                                                   : ViewCursor::Arrow);
        return;
    }
    m_window.SetCursor(ViewCursor::Link);
    bool imageMap =
        item->type == DisplayItemType::LinkImage && static_cast<const CImageItem*>(item)->ismap;
    // An image map's address follows the pointer, so it is shown again on
    // every move.
    if (link != m_statusLink || imageMap) {
        m_window.SetStatusText(LinkAddressAt(found, *link, document));
        m_statusLink = link;
    }
}

bool CTarnwickView::OnKeyDown(ViewKey key) {
    // The control with the keyboard first; what it leaves scrolls the page.
    if (m_controls.OnKeyDown(key))
        return true;
    CPoint client = m_window.ClientSize();
    CPoint line = LineSize();
    CPoint position = m_window.ScrollPosition();
    switch (key) {
    case ViewKey::PageUp:
        ScrollBy(0, -client.y);
        break;
    case ViewKey::PageDown:
        ScrollBy(0, client.y);
        break;
    case ViewKey::Home:
        m_window.ScrollTo({position.x, 0});
        break;
    case ViewKey::End:
        m_window.ScrollTo({position.x, m_window.ScrollTotal().y});
        break;
    case ViewKey::Up:
        ScrollBy(0, -line.y);
        break;
    case ViewKey::Down:
        ScrollBy(0, line.y);
        break;
    case ViewKey::Left:
        ScrollBy(-line.x, 0);
        break;
    case ViewKey::Right:
        ScrollBy(line.x, 0);
        break;
    }
    return true;
}

void CTarnwickView::ScrollBy(int32_t dx, int32_t dy) {
    CPoint position = m_window.ScrollPosition();
    m_window.ScrollTo({position.x + dx, position.y + dy});
}

void CTarnwickView::UpdateFormControls() {
    if (m_current)
        m_formControls.Update(*m_current);
}

void CTarnwickView::OnFormControlEvent(uint32_t commandId, FormControlEvent event) {
    if (std::optional<NavigateRequest> request = m_formControls.OnEvent(commandId, event))
        SubmitForm(*request);
}

void CTarnwickView::SubmitForm(const NavigateRequest& request) {
    // A cached answer to the same post would be shown instead of posting.
    if (request.method == Method::Post)
        FlushObject(request.url, request.method, request.headers, request.postData);
    // Navigating resets this view: the controls are gone when it returns.
    m_document.Navigate(request);
}

void CTarnwickView::DeleteLayouts() {
    m_pendingOwned.reset();
    m_current.reset();
    m_pending = nullptr;
    m_statusLink = nullptr;
}

void CTarnwickView::BuildFrames(const CFrameRecord& frameSet) {
    // A frame set without frames has nothing to split: the view stays
    // empty.
    if (frameSet.children.empty())
        return;
    m_splitter = std::make_unique<CViewSplitterWnd>(m_window.CreateSplitter(), *this, frameSet);
    CPoint client = m_window.ClientSize();
    m_splitter->Window().Move({0, 0, client.x, client.y});
}

void CTarnwickView::DestroyFrames() {
    // Every frame's document clears its page first (which clears the
    // frames of that page in turn) and stops its loads; then the splitter
    // takes the views and documents with it, and their loads still running.
    std::vector<CTarnwickView*> children = std::exchange(m_childViews, {});
    for (CTarnwickView* child : children)
        child->Document().DeleteContents();
    if (m_splitter) {
        m_splitter.reset();
        m_window.DestroySplitter();
    }
}

void CTarnwickView::ResetView() {
    StopLayoutThread();
    m_controls.Reset();
    DestroyFrames();
    DeleteLayouts();
    m_frameRecord.reset();
    m_formControls.Clear();
    m_fragmentDone = false;
    m_findText.clear();
    m_found.reset();
    // An empty view neither scrolls nor keeps the old page's place.
    m_window.SetScrollSizes({1, 1}, m_window.ClientSize(), LineSize());
    m_window.ScrollTo({0, 0});
    m_window.InvalidateAll();
}

bool CTarnwickView::LayoutSettled() const {
    for (const CTarnwickView* child : m_childViews)
        if (!child->LayoutSettled())
            return false;
    if (!m_pending)
        return true;
    // Ended, not Finished: between the two the thread has yet to signal its
    // last progress, and the event would still look quiet.
    return m_pending == m_current.get() && m_runner.Ended() && !m_progressEvent->IsSignalled();
}
