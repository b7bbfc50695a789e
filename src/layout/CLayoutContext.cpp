#include "layout/CLayoutContext.h"

#include "content/CInlineResources.h"
#include "layout/CLayoutFlow.h"
#include "layout/CTableMeasurer.h"
#include "platform/CUiLoop.h"

#include <ctime>

namespace {

// The style whose widest character is the narrowest a line may be: size 7,
// bold, italic.
constexpr uint32_t kWidestStyle = 7 | TextStyle::Bold | TextStyle::Italic;

} // namespace

CLayoutContext::CLayoutContext(CMimeObject& content, CInlineResources* resources,
                               const CLayoutSettings& settings, CLayoutPage& page,
                               std::function<void()> progress)
    : m_content(content), m_resources(resources), m_settings(settings), m_page(page),
      m_progress(std::move(progress)),
      m_infoContext(CDeviceContext::InformationContext(settings.pixelsPerInch)),
      m_fonts(m_infoContext), m_text(content.GetTextStore()) {
    m_indentUnit = settings.pixelsPerInch / 2;
    m_fonts.Select(kWidestStyle);
    m_minimumLineWidth = m_fonts.GetMaxCharWidth();
    const CFlowGeometry pageFlow{.origin = {0, 0},
                                 .width = settings.availableWidth,
                                 .leftEdge = settings.sideMargin,
                                 .rightEdge = settings.sideMargin,
                                 .topStart = settings.topMargin,
                                 .bottomPadding = 0};
    m_flows.push_back(
        std::make_unique<CLayoutFlow>(*this, CLayoutPage::PageFlow, 0, pageFlow, Align::Left));
    m_pageFlow = m_flows.back().get();
}

CLayoutContext::~CLayoutContext() = default;

int32_t CLayoutContext::AscentOf(uint32_t style) {
    m_fonts.Select(style);
    return m_fonts.GetAscent();
}

int32_t CLayoutContext::LineHeightOf(uint32_t style) {
    m_fonts.Select(style);
    return m_fonts.GetAscent() + m_fonts.GetDescent();
}

int32_t CLayoutContext::RunWidth(uint32_t style, std::string_view characters) {
    m_fonts.Select(style);
    return m_fonts.GetRunWidth(characters);
}

int32_t CLayoutContext::FitCount(uint32_t style, std::string_view characters, int32_t width) {
    m_fonts.Select(style);
    return m_fonts.GetFitCount(characters, width);
}

CLayoutContext::CTextRun CLayoutContext::TextRun(uint32_t start, uint32_t count) const {
    if (std::optional<std::string_view> view = m_text.View(start, count))
        return {*view, nullptr};
    auto copy = std::make_shared<const std::string>(m_text.Copy(start, count));
    return {*copy, copy};
}

ElementPosition CLayoutContext::FirstElementPosition() {
    return m_content.GetFirstElementPosition();
}

const CHtmlElement* CLayoutContext::NextElement(ElementPosition& position) {
    if (m_aheadNext == m_aheadCount || position != m_aheadFrom || !position) {
        m_aheadCount = m_content.GetNextElements(position, m_ahead);
        m_aheadNext = 0;
        if (m_aheadCount == 0) {
            m_aheadFrom = 0;
            position = 0;
            return nullptr;
        }
    }
    const CMimeObject::ElementAt& at = m_ahead[m_aheadNext++];
    position = m_aheadFrom = at.next;
    return at.element;
}

void CLayoutContext::RequestPicture(const CImageElement& element) {
    if (!m_resources)
        return;
    m_resources->RequestInline(element.source, element.kind == ElementKind::EmbeddedObject
                                                   ? Caps::InlineImage | Caps::Embeddable
                                                   : Caps::InlineImage);
}

std::optional<CImageSize> CLayoutContext::ImageSize(const CImageElement& image, bool inLink) {
    int32_t width = image.width;
    int32_t height = image.height;
    if (!ElementGeometry::HasOwnSize(image) &&
        (!m_resources || !m_resources->GetInlineImageSize(image.source, width, height)))
        return std::nullopt;
    return ElementGeometry::ImageBox(
        image, width, height,
        {.scale = m_settings.scale, .pixelsPerInch = m_settings.pixelsPerInch}, inLink);
}

bool CLayoutContext::TableReady(const CTableElement& table, ElementPosition after) {
    {
        CSemLockGuard guard(m_content.Lock());
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
        const CHtmlElement* element = NextElement(position);
        if (!element)
            break;
        if (element->kind == ElementKind::Table)
            ++depth;
        else if (element->kind == ElementKind::TableEnd && depth-- == 0)
            break;
        if (element->kind != ElementKind::Image && element->kind != ElementKind::EmbeddedObject)
            continue;
        const auto& image = static_cast<const CImageElement&>(*element);
        if (!ElementGeometry::TakesPlaceInText(image) || ElementGeometry::HasOwnSize(image))
            continue;
        RequestInline(*element);
        int32_t width = 0;
        int32_t height = 0;
        if (!m_resources || !m_resources->GetInlineImageSize(image.source, width, height))
            ready = false;
    }
    return ready;
}

const CTableMeasure* CLayoutContext::TableMeasure(const CTableElement& table,
                                                  ElementPosition after) {
    if (!TableReady(table, after))
        return nullptr;
    auto found = m_measures.find(&table);
    if (found != m_measures.end())
        return found->second.get();
    CTableMeasurer measurer(*this);
    std::unique_ptr<CTableMeasure> measure = measurer.Measure(table, after);
    const CTableMeasure* result = measure.get();
    m_measures[&table] = std::move(measure);
    return result;
}

void CLayoutContext::KeepMeasure(const CTableElement& table,
                                 std::unique_ptr<CTableMeasure> measure) {
    m_measures[&table] = std::move(measure);
}

CLayoutFlow& CLayoutContext::NewFlow(int32_t nestedLevel, const CFlowGeometry& geometry,
                                     Align alignment) {
    const FlowId id = m_page.AddFlow();
    VERIFY(id == m_flows.size());
    m_flows.push_back(std::make_unique<CLayoutFlow>(*this, id, nestedLevel, geometry, alignment));
    return *m_flows.back();
}

void CLayoutContext::ReleaseFlow(CLayoutFlow& flow) {
    const FlowId id = flow.Id();
    VERIFY(id < m_flows.size() && m_flows[id].get() == &flow && &flow != m_pageFlow);
    m_flows[id].reset();
}

namespace {

// Asked once per laid-out line: the kernel's clock of the last tick is read
// from memory, where the precise one reads and scales the processor's
// counter (3 % of a large page's layout). A tick (1 to 10 ms) is precise
// enough for a frame.
std::chrono::nanoseconds CoarseNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace

void CLayoutContext::SignalProgress() {
    const auto now = CoarseNow();
    if (now - m_lastProgress < CUiLoop::ProgressInterval) {
        m_progressHeld = true;
        return;
    }
    m_lastProgress = now;
    m_progressHeld = false;
    if (m_progress)
        m_progress();
}

void CLayoutContext::FlushProgress() {
    if (!m_progressHeld)
        return;
    m_progressHeld = false;
    m_lastProgress = CoarseNow();
    if (m_progress)
        m_progress();
}
