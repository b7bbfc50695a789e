#include "view/CViewSplitterWnd.h"

#include "content/CMimeObject.h"
#include "document/CTarnwickDoc.h"
#include "layout/CLayoutRecords.h"
#include "view/CTarnwickView.h"

#include <algorithm>
#include <limits>

namespace {

// What a lone star weighs.
constexpr int64_t StarWeight = 50;

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

std::string WithoutFragment(const std::string& url) {
    return url.substr(0, url.find('#'));
}

// Whether a frame of view's frame set may load source: not when it is the
// page of view or of a view above it (that page would hold itself again and
// again), nor below the deepest nesting a page may ask for.
bool MayLoadFrame(CTarnwickView& view, const std::string& source) {
    if (source.empty())
        return false;
    std::string page = WithoutFragment(source);
    int depth = 1;
    for (CTarnwickView* above = &view; above; above = above->ParentView(), ++depth) {
        if (depth > CViewSplitterWnd::MaxFrameDepth)
            return false;
        CMimeObject* content = above->Document().ContentObject();
        if (content && WithoutFragment(content->Url()) == page)
            return false;
    }
    return true;
}

} // namespace

std::vector<int32_t>
CViewSplitterWnd::DistributeSizes(int64_t total, std::span<const int32_t> sizes, int32_t gap) {
    // 64 bits throughout: a page may give sizes and weights near the 32-bit
    // limits, and their sums and products must neither wrap nor divide by 0.
    std::vector<int32_t> result(sizes.size(), 0);
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] > 0) {
            int64_t size = int64_t{sizes[i]} + gap;
            result[i] = ClampToInt32(size);
            total -= size;
        }
    int64_t weightSum = 0;
    for (int32_t size : sizes)
        if (size <= 0) {
            weightSum += size == 0 ? StarWeight : -int64_t{size};
            total -= gap;
        }
    if (weightSum == 0)
        weightSum = 1;
    // No pane is wider than 32 bits, and within them total times a weight
    // cannot wrap.
    total = std::clamp<int64_t>(total, 0, std::numeric_limits<int32_t>::max());
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] <= 0) {
            int64_t weight = sizes[i] == 0 ? StarWeight : -int64_t{sizes[i]};
            result[i] = ClampToInt32(total * weight / weightSum);
        }
    return result;
}

std::vector<CRect> CViewSplitterWnd::PlacePanes(CPoint inside, bool columns,
                                                std::span<const int32_t> ideal) {
    const int64_t extent = std::max(columns ? inside.x : inside.y, 0);
    const int32_t cross = std::max(columns ? inside.y : inside.x, 0);
    std::vector<CRect> rects;
    rects.reserve(ideal.size());
    int64_t position = 0;
    for (size_t i = 0; i < ideal.size(); ++i) {
        int64_t start = std::min(position, extent);
        int64_t room = extent - start;
        bool last = i + 1 == ideal.size();
        int64_t size = last ? room : std::clamp<int64_t>(ideal[i], 0, room);
        auto from = static_cast<int32_t>(start);
        auto to = static_cast<int32_t>(start + size);
        rects.push_back(columns ? CRect{from, 0, to, cross} : CRect{0, from, cross, to});
        position = start + size + (last ? 0 : PaneGap);
    }
    return rects;
}

CViewSplitterWnd::CViewSplitterWnd(CSplitterWindow& window, CTarnwickView& view,
                                   const CFrameRecord& frameSet)
    : m_window(window), m_rows(frameSet.orientation == 1), m_count(frameSet.children.size()),
      m_scrollBarWidth(view.Window().VerticalScrollBarWidth()), m_ideal(m_count, 0),
      m_panes(m_count) {
    m_window.SetClient(this);
    // A nested set's first sizes come from the whole view as well; the
    // first resize gives every set its own pane's.
    const CPoint client = view.Window().ClientSize();
    const int64_t extent = m_rows ? client.y : client.x;
    const int64_t total = extent - (static_cast<int64_t>(m_count) - 1) * DoubledBorder;
    std::vector<int32_t> sizes =
        DistributeSizes(total, frameSet.sizes, m_rows ? 0 : m_scrollBarWidth);
    for (size_t i = 0; i < m_count; ++i) {
        int32_t size = i < sizes.size() ? sizes[i] : 0;
        m_ideal[i] = std::max(size, 0);
        CreateFrame(view, *frameSet.children[i], i,
                    m_rows ? CPoint{client.x, m_ideal[i]} : CPoint{m_ideal[i], client.y});
    }
    m_sizes = frameSet.sizes;
}

CViewSplitterWnd::~CViewSplitterWnd() {
    m_window.SetClient(nullptr);
    // Each pane's view before its document; nested splitters likewise.
    for (CPane& pane : m_panes) {
        pane.view.reset();
        pane.document.reset();
        pane.nested.reset();
    }
}

void CViewSplitterWnd::CreateFrame(CTarnwickView& view, const CFrameRecord& record, size_t pane,
                                   CPoint size) {
    CPane& slot = m_panes[pane];
    if (!record.children.empty()) {
        slot.nested =
            std::make_unique<CViewSplitterWnd>(m_window.CreatePaneSplitter(pane), view, record);
        return;
    }
    slot.document = std::make_unique<CTarnwickDoc>(view.Document().Frame(), nullptr);
    slot.view =
        std::make_unique<CTarnwickView>(*slot.document, m_window.CreatePaneView(pane, size));
    slot.view->BecomeFrame(view, record);
    if (MayLoadFrame(view, record.source))
        slot.document->Navigate({.url = record.source});
}

CViewSplitterWnd* CViewSplitterWnd::NestedIn(size_t pane) {
    return pane < m_panes.size() ? m_panes[pane].nested.get() : nullptr;
}

void CViewSplitterWnd::OnSplitterSize() {
    // Filled as the splitter is made, before it is given a size: empty only
    // for a frame set without frames, which has no panes to place.
    if (m_sizes.empty())
        return;
    const CPoint inside = m_window.Size();
    const bool columns = HasColumns();
    const int64_t extent = columns ? inside.x : inside.y;
    const int64_t total = extent - (static_cast<int64_t>(m_count) - 1) * PaneGap;
    std::vector<int32_t> sizes = DistributeSizes(total, m_sizes, columns ? m_scrollBarWidth : 0);
    for (size_t i = 0; i < m_count; ++i)
        m_ideal[i] = std::max(i < sizes.size() ? sizes[i] : 0, 0);
    Arrange();
}

void CViewSplitterWnd::OnBarDragged(size_t pane, int32_t position) {
    if (pane + 1 >= m_count || pane >= m_rects.size())
        return;
    const CRect& rect = m_rects[pane];
    int32_t start = HasColumns() ? rect.left : rect.top;
    m_ideal[pane] = std::max(position - start, 0);
    Arrange();
}

void CViewSplitterWnd::Arrange() {
    m_rects = PlacePanes(m_window.Size(), HasColumns(), m_ideal);
    m_window.SetPanes(!HasColumns(), m_rects);
}
