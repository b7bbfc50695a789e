#include "layout/CLayoutEngine.h"

#include "content/CInlineResources.h"
#include "layout/CLayoutFlow.h"
#include "layout/CTableLayout.h"
#include "layout/CTableMeasurer.h"

#include <algorithm>

namespace {

// Capabilities a content type must have to be shown in a page.
constexpr uint32_t kInlineImageCaps = 0x2;
constexpr uint32_t kEmbeddedObjectCaps = 0x2 | 0x8;
// The style whose widest character is the narrowest a line may be: size 7,
// bold, italic.
constexpr uint32_t kWidestStyle = 7 | TextStyle::Bold | TextStyle::Italic;
// Image sides beyond this are a page's mistake, not a picture.
constexpr int32_t kMaxImageSide = 1 << 16;

bool IsImageLike(const CHtmlElement& element) {
    return element.kind == ElementKind::Image || element.kind == ElementKind::EmbeddedObject;
}

} // namespace

CLayoutEngine::CLayoutEngine(CMimeObject* content, CInlineResources* resources,
                             const Settings& settings, std::function<void()> progress)
    : m_content(content), m_resources(resources), m_settings(settings),
      m_progress(std::move(progress)),
      m_infoContext(CDeviceContext::InformationContext(settings.pixelsPerInch)),
      m_fonts(m_infoContext), m_text(content->GetTextStore()) {
    m_indentUnit = settings.pixelsPerInch / 2;
    m_fonts.Select(kWidestStyle);
    m_minimumLineWidth = m_fonts.GetMaxCharWidth();
    CLayoutFlow& page = NewFlow(0);
    page.Start({0, 0}, settings.availableWidth, settings.sideMargin, settings.sideMargin,
               settings.topMargin, 0);
    m_pageFlow = &page;
    m_openFlows.push_back(&page);
}

CLayoutEngine::~CLayoutEngine() {
    // Items point at link and form records: the pool goes first.
    m_displayPool.Clear();
}

CLayoutFlow& CLayoutEngine::NewFlow(int32_t nested) {
    m_flows.push_back(std::make_unique<CLayoutFlow>(*this, nested));
    return *m_flows.back();
}

bool CLayoutEngine::Pass() {
    if (m_stop.load())
        return false;
    if (m_done)
        return true;
    ElementPosition position = 0;
    if (m_resume == 0) {
        position = m_content->GetFirstElementPosition();
    } else {
        position = m_resume;
        (void)m_content->GetNextElement(position); // the element laid out last
    }
    while (position && !m_stop.load()) {
        const ElementPosition at = position;
        const CHtmlElement* element = m_content->GetNextElement(position);
        if (!element)
            break;
        RequestInlineFor(*element);
        if (!LayoutElement(*element, position)) {
            // Resume here next time; meanwhile start the loads of the
            // images further on, so that they arrive in parallel.
            RequestRest(position);
            return false;
        }
        m_resume = at;
        if (element->kind == ElementKind::EndOfDocument)
            m_done = true;
    }
    // Everything that has arrived is laid out. Whether more is to come is
    // the view's business (it knows when the page's data has ended): a
    // picture shown as a page has no end-of-document element at all.
    return !m_stop.load();
}

void CLayoutEngine::Stop() {
    m_stop.store(true);
}

void CLayoutEngine::RequestInlineFor(const CHtmlElement& element) {
    if (!m_resources || !IsImageLike(element))
        return;
    const auto& image = static_cast<const CImageElement&>(element);
    m_resources->RequestInline(
        image.source, element.kind == ElementKind::Image ? kInlineImageCaps : kEmbeddedObjectCaps);
}

void CLayoutEngine::RequestRest(ElementPosition position) {
    // Every element up to the last one requested before has been asked for,
    // by an earlier call or by the passes that laid it out since: a page that
    // blocks on every pass is walked once, not once per pass.
    if (m_requestedLast) {
        position = m_requestedLast;
        (void)m_content->GetNextElement(position);
    }
    while (position && m_resources && !m_stop.load()) {
        const ElementPosition at = position;
        const CHtmlElement* element = m_content->GetNextElement(position);
        if (!element)
            break;
        RequestInlineFor(*element);
        m_requestedLast = at;
    }
}

bool CLayoutEngine::ImageSize(const CImageElement& image, bool inLink, int32_t& width,
                              int32_t& height, int32_t& border) {
    if (image.width != 0 && image.height != 0) {
        width = image.width;
        height = image.height;
    } else if (!m_resources || !m_resources->GetInlineImageSize(image.source, width, height)) {
        return false;
    }
    width = std::clamp(width, 0, kMaxImageSide);
    height = std::clamp(height, 0, kMaxImageSide);
    border = std::clamp(image.border, -1, kMaxImageSide);
    if (m_settings.scale) {
        // Printing: sizes are points.
        const int32_t ppi = m_settings.pixelsPerInch;
        width = width * ppi / 72;
        height = height * ppi / 72;
        if (border > 0)
            border = border * ppi / 72;
    }
    if (inLink) {
        width = std::max(0, width + 2 * border);
        height = std::max(0, height + 2 * border);
    }
    return true;
}

int32_t CLayoutEngine::LineHeightOf(uint32_t style) {
    m_fonts.Select(style);
    return m_fonts.GetAscent() + m_fonts.GetDescent();
}

bool CLayoutEngine::TableReady(const CTableElement& table, ElementPosition after) {
    {
        CSemLockGuard guard(m_content->Lock());
        if (!table.complete)
            return false;
    }
    if (m_measures.count(&table))
        return true; // measured with an enclosing table: its images have sizes
    // Every image of the table must have its size before the columns can be
    // measured; all of them are requested before the answer is given.
    bool ready = true;
    int32_t depth = 0;
    ElementPosition position = after;
    while (position) {
        const CHtmlElement* element = m_content->GetNextElement(position);
        if (!element)
            break;
        if (element->kind == ElementKind::Table)
            ++depth;
        else if (element->kind == ElementKind::TableEnd && depth-- == 0)
            break;
        if (!IsImageLike(*element))
            continue;
        const auto& image = static_cast<const CImageElement&>(*element);
        if (element->kind == ElementKind::EmbeddedObject &&
            static_cast<const CEmbedElement&>(image).placement != 0)
            continue;
        if (image.width != 0 && image.height != 0)
            continue;
        RequestInlineFor(*element);
        int32_t width = 0;
        int32_t height = 0;
        if (!m_resources || !m_resources->GetInlineImageSize(image.source, width, height))
            ready = false;
    }
    return ready;
}

const CTableMeasure* CLayoutEngine::MeasureTable(const CTableElement& table,
                                                 ElementPosition after) {
    auto found = m_measures.find(&table);
    if (found != m_measures.end())
        return found->second.get();
    CTableMeasurer measurer(*this);
    std::unique_ptr<CTableMeasure> measure = measurer.Measure(table, after);
    const CTableMeasure* result = measure.get();
    m_measures[&table] = std::move(measure);
    return result;
}

void CLayoutEngine::NoteNewArea(const CRect& rect) {
    if (rect.IsEmpty())
        return;
    m_newArea = m_hasNewArea ? m_newArea.Union(rect) : rect;
    m_hasNewArea = true;
}

void CLayoutEngine::UpdateExtent(CPoint size) {
    CSemLockGuard guard(m_lock);
    m_extent = size;
}

void CLayoutEngine::SignalProgress() {
    if (m_progress)
        m_progress();
}

int32_t CLayoutEngine::AvailableWidth() const {
    return m_settings.availableWidth;
}

CPoint CLayoutEngine::GetExtent() {
    CSemLockGuard guard(m_lock);
    return m_extent;
}

std::optional<CRect> CLayoutEngine::TakeNewItemsArea() {
    CSemLockGuard guard(m_lock);
    if (!m_hasNewArea)
        return std::nullopt;
    m_hasNewArea = false;
    return m_newArea;
}

void CLayoutEngine::ForEachItemIn(const CRect& area,
                                  const std::function<void(const CDisplayItem&)>& visit) {
    CSemLockGuard guard(m_lock);
    m_pageFlow->ForEachItemIn(area, visit);
}

void CLayoutEngine::ForEachItem(const std::function<void(const CDisplayItem&)>& visit) {
    CSemLockGuard guard(m_lock);
    m_pageFlow->ForEachItem(visit);
}

CLayoutEngine::LinkedItem CLayoutEngine::LinkedItemAt(int32_t x, int32_t y) {
    CSemLockGuard guard(m_lock);
    for (const auto& link : m_links)
        for (const CDisplayItem* item : link->items)
            if (item->rect.Contains(x, y))
                return {item, item->rect};
    return {};
}

int32_t CLayoutEngine::NamedAnchor(std::string_view name) {
    CSemLockGuard guard(m_lock);
    for (const CNamedAnchor& anchor : m_anchors)
        if (anchor.name == name)
            return anchor.top;
    return -1;
}

bool CLayoutEngine::FrameSetReady() {
    CSemLockGuard guard(m_lock);
    return m_frameSetReady;
}

const CFrameRecord* CLayoutEngine::RootFrameSet() {
    CSemLockGuard guard(m_lock);
    return m_frameSetReady ? m_rootFrameSet.get() : nullptr;
}

std::vector<CFormRecord*> CLayoutEngine::FormRecords() {
    CSemLockGuard guard(m_lock);
    std::vector<CFormRecord*> forms;
    for (const auto& form : m_forms)
        forms.push_back(form.get());
    return forms;
}

std::vector<CLayoutEngine::FormControlPlace> CLayoutEngine::FormControlPlaces() {
    CSemLockGuard guard(m_lock);
    std::vector<FormControlPlace> places;
    for (size_t form = 0; form < m_forms.size(); ++form)
        for (const CFormControlItem* item : m_forms[form]->controls)
            places.push_back({form, item, item->rect});
    return places;
}

std::vector<CObjectItem*> CLayoutEngine::EmbeddedObjects() {
    CSemLockGuard guard(m_lock);
    return m_objects;
}
