#include "layout/CLayoutPage.h"

#include <algorithm>

namespace {

bool Meets(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

CLayoutPage::CLayoutPage() {
    CSemLockGuard guard(m_lock);
    m_flows.emplace_back(); // the page flow
}

CLayoutPage::~CLayoutPage() = default;

FlowId CLayoutPage::AddFlow() {
    CSemLockGuard guard(m_lock);
    m_flows.emplace_back();
    return m_flows.size() - 1;
}

void CLayoutPage::NoteNewArea(const CRect& rect) {
    if (rect.IsEmpty())
        return;
    m_newArea = m_newArea ? m_newArea->Union(rect) : rect;
}

void CLayoutPage::Attach(CDisplayItem& item) {
    NoteNewArea(item.GetRect());
    if (item.type == DisplayItemType::EmbeddedObject) {
        m_objects.push_back(static_cast<CObjectItem*>(&item));
    } else if (item.type == DisplayItemType::FormControl) {
        auto& control = static_cast<CFormControlItem&>(item);
        if (control.form)
            control.form->controls.push_back(&control);
    }
}

void CLayoutPage::PublishLine(FlowId flow, const CLineRecord& line) {
    CSemLockGuard guard(m_lock);
    for (CDisplayItem* item : line.items)
        Attach(*item);
    CFlowLines& lines = m_flows[flow];
    const int32_t top = line.top;
    lines.maxBottom.push_back(
        lines.maxBottom.empty() ? line.bottom : std::max(lines.maxBottom.back(), line.bottom),
        m_arena);
    lines.minTopFrom.push_back(top, m_arena);
    for (size_t i = lines.minTopFrom.size() - 1; i-- > 0 && lines.minTopFrom[i] > top;)
        lines.minTopFrom[i] = top;
    lines.items.append(line.items, m_arena);
    lines.lineEnd.push_back(static_cast<uint32_t>(lines.items.size()), m_arena);
}

void CLayoutPage::MoveLocked(FlowId flow, CPoint offset) {
    std::vector<FlowId> stack{flow};
    while (!stack.empty()) {
        CFlowLines& lines = m_flows[stack.back()];
        stack.pop_back();
        for (CDisplayItem* item : lines.items) {
            item->MoveBy(offset);
            NoteNewArea(item->GetRect());
        }
        for (int32_t& bottom : lines.maxBottom)
            bottom += offset.y;
        for (int32_t& top : lines.minTopFrom)
            top += offset.y;
        stack.insert(stack.end(), lines.nested.begin(), lines.nested.end());
    }
}

void CLayoutPage::MoveFlow(FlowId flow, CPoint offset) {
    CSemLockGuard guard(m_lock);
    MoveLocked(flow, offset);
}

void CLayoutPage::Nest(FlowId parent, FlowId child, CPoint offset) {
    CSemLockGuard guard(m_lock);
    MoveLocked(child, offset);
    m_flows[parent].nested.push_back(child);
}

CLinkRecord* CLayoutPage::AddLink(std::string_view base, std::string_view href,
                                  std::string_view target) {
    CSemLockGuard guard(m_lock);
    if (m_linkCount % LinkChunk == 0)
        m_linkChunks.push_back(std::make_unique<CLinkRecord[]>(LinkChunk));
    CLinkRecord& link = m_linkChunks.back()[m_linkCount++ % LinkChunk];
    link.base = base;
    link.href = href;
    link.target = target;
    return &link;
}

CFormRecord* CLayoutPage::AddForm(std::unique_ptr<CFormRecord> form) {
    CSemLockGuard guard(m_lock);
    m_forms.push_back(std::move(form));
    return m_forms.back().get();
}

void CLayoutPage::AddAnchor(int32_t top, std::string name) {
    CSemLockGuard guard(m_lock);
    m_anchors.push_back({top, std::move(name)});
}

void CLayoutPage::SetRootFrameSet(std::unique_ptr<CFrameRecord> root) {
    CSemLockGuard guard(m_lock);
    if (!m_rootFrameSet)
        m_rootFrameSet = std::move(root);
}

void CLayoutPage::SetExtent(CPoint extent) {
    const uint64_t word =
        uint64_t{static_cast<uint32_t>(extent.x)} << 32 | static_cast<uint32_t>(extent.y);
    // Release: whoever reads this extent also sees the lines that made it.
    m_extent.store(word, std::memory_order_release);
}

CPoint CLayoutPage::GetExtent() const {
    const uint64_t word = m_extent.load(std::memory_order_acquire);
    return {static_cast<int32_t>(static_cast<uint32_t>(word >> 32)),
            static_cast<int32_t>(static_cast<uint32_t>(word))};
}

std::optional<CRect> CLayoutPage::TakeNewItemsArea() {
    CSemLockGuard guard(m_lock);
    return std::exchange(m_newArea, std::nullopt);
}

// Visits every flow from the page flow on, each flow's nested ones after it
// in the order they were nested.
template <class Visit> void CLayoutPage::WalkFlows(Visit visit) {
    std::vector<FlowId> stack{PageFlow};
    while (!stack.empty()) {
        const CFlowLines& lines = m_flows[stack.back()];
        stack.pop_back();
        visit(lines);
        stack.insert(stack.end(), lines.nested.rbegin(), lines.nested.rend());
    }
}

template <class Visit> void CLayoutPage::VisitItemsIn(const CRect& area, Visit visit) {
    WalkFlows([&](const CFlowLines& flow) {
        // Every line before first ends above the area, every line from last
        // on starts below it.
        auto first = std::upper_bound(flow.maxBottom.begin(), flow.maxBottom.end(), area.top) -
                     flow.maxBottom.begin();
        auto last = std::lower_bound(flow.minTopFrom.begin(), flow.minTopFrom.end(), area.bottom) -
                    flow.minTopFrom.begin();
        for (auto i = first; i < last; ++i)
            for (const CDisplayItem* item : flow.LineItems(static_cast<size_t>(i)))
                if (Meets(item->GetRect(), area))
                    visit(*item);
    });
}

void CLayoutPage::ForEachItemIn(const CRect& area,
                                const std::function<void(const CDisplayItem&)>& visit) {
    CSemLockGuard guard(m_lock);
    VisitItemsIn(area, visit);
}

void CLayoutPage::ForEachItem(const std::function<void(const CDisplayItem&)>& visit) {
    CSemLockGuard guard(m_lock);
    WalkFlows([&](const CFlowLines& flow) {
        for (const CDisplayItem* item : flow.items)
            visit(*item);
    });
}

CLayoutPage::LinkedItem CLayoutPage::LinkedItemAt(int32_t x, int32_t y) {
    // Found among the items at the point, as painting finds them: a page of
    // many links is searched no longer than one of few.
    CSemLockGuard guard(m_lock);
    LinkedItem found;
    VisitItemsIn({x, y, x + 1, y + 1}, [&](const CDisplayItem& item) {
        if (!found.item && item.LinkAt(x, y))
            found = {&item, item.GetRect()};
    });
    return found;
}

int32_t CLayoutPage::NamedAnchor(std::string_view name) {
    CSemLockGuard guard(m_lock);
    for (const CNamedAnchor& anchor : m_anchors)
        if (anchor.name == name)
            return anchor.top;
    return -1;
}

bool CLayoutPage::FrameSetReady() {
    CSemLockGuard guard(m_lock);
    return m_rootFrameSet != nullptr;
}

const CFrameRecord* CLayoutPage::RootFrameSet() {
    CSemLockGuard guard(m_lock);
    return m_rootFrameSet.get();
}

std::vector<CFormRecord*> CLayoutPage::FormRecords() {
    CSemLockGuard guard(m_lock);
    std::vector<CFormRecord*> forms;
    for (const auto& form : m_forms)
        forms.push_back(form.get());
    return forms;
}

std::vector<CLayoutPage::FormControlPlace> CLayoutPage::FormControlPlaces() {
    CSemLockGuard guard(m_lock);
    std::vector<FormControlPlace> places;
    for (size_t form = 0; form < m_forms.size(); ++form)
        for (const CFormControlItem* item : m_forms[form]->controls)
            places.push_back({form, item, item->GetRect()});
    return places;
}

std::vector<CObjectItem*> CLayoutPage::EmbeddedObjects() {
    CSemLockGuard guard(m_lock);
    return m_objects;
}
