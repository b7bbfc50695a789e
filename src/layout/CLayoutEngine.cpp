#include "layout/CLayoutEngine.h"

#include "layout/CLayoutFlow.h"

CLayoutEngine::CLayoutEngine(CMimeObject* content, CInlineResources* resources,
                             const Settings& settings, std::function<void()> progress)
    : m_availableWidth(settings.availableWidth), m_text(content->GetTextStore()),
      m_context(*content, resources, settings, m_page, std::move(progress)) {
    m_openFlows.push_back(&m_context.PageFlow());
}

CLayoutEngine::~CLayoutEngine() = default;

bool CLayoutEngine::Pass(bool holdProgress) {
    const bool caughtUp = LayOutArrived();
    // The thread waits or ends after a pass: what it has laid out must not
    // wait with it.
    if (!holdProgress)
        m_context.FlushProgress();
    return caughtUp;
}

void CLayoutEngine::FlushProgress() {
    m_context.FlushProgress();
}

bool CLayoutEngine::LayOutArrived() {
    if (m_stop.load())
        return false;
    if (m_done)
        return true;
    ElementPosition position = 0;
    if (m_resume == 0) {
        position = m_context.FirstElementPosition();
    } else {
        position = m_resume;
        (void)m_context.NextElement(position); // the element laid out last
    }
    while (position && !m_stop.load()) {
        const ElementPosition at = position;
        const CHtmlElement* element = m_context.NextElement(position);
        if (!element)
            break;
        m_context.RequestInline(*element);
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

void CLayoutEngine::RequestRest(ElementPosition position) {
    // Every element up to the last one requested before has been asked for,
    // by an earlier call or by the passes that laid it out since: a page that
    // blocks on every pass is walked once, not once per pass.
    if (m_requestedLast) {
        position = m_requestedLast;
        (void)m_context.NextElement(position);
    }
    while (position && m_context.HasResources() && !m_stop.load()) {
        const ElementPosition at = position;
        const CHtmlElement* element = m_context.NextElement(position);
        if (!element)
            break;
        m_context.RequestInline(*element);
        m_requestedLast = at;
    }
}
