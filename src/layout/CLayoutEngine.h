#pragma once

#include "content/CMimeObject.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutContext.h"
#include "layout/CLayoutPage.h"
#include "layout/CLayoutRecords.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class CInlineResources;
class CHtmlElement;
class CLayoutFlow;
struct CFormStartElement;
struct CFrameElement;
struct CFrameSetElement;
struct CLinkElement;

// Turns a page's element list into lines of display items, a pass at a time:
// each pass lays out what has arrived since the last one and stops where it
// must wait (an image of unknown size, a table whose end has not arrived).
// Passes run on the view's layout thread; every query below may be called
// from the UI thread meanwhile: what they read lives in the layout's page,
// which the layout thread changes only under its lock.
class CLayoutEngine {
public:
    using Settings = CLayoutSettings;

    // content must outlive the engine; resources (the document) may be null,
    // and then every image waits for ever. progress is called from the
    // layout thread whenever new items or a finished frame-set tree can be
    // shown.
    CLayoutEngine(CMimeObject* content, CInlineResources* resources, const Settings& settings,
                  std::function<void()> progress);
    ~CLayoutEngine();
    CLayoutEngine(const CLayoutEngine&) = delete;
    CLayoutEngine& operator=(const CLayoutEngine&) = delete;

    // One incremental pass: true when every element that has arrived so far
    // has been laid out, false when the pass stopped early or was stopped.
    // What it laid out is announced before it returns, unless holdProgress
    // (a thread that looks again in a moment): then at the layout's own pace
    // until the next pass that does not hold it, or FlushProgress.
    bool Pass(bool holdProgress = false);
    void FlushProgress();
    // The last element laid out: it changes whenever a pass lays out any.
    [[nodiscard]] ElementPosition Reached() const { return m_resume; }
    // Any thread: ends a running pass after its current element, and every
    // later pass at once.
    void Stop();

    [[nodiscard]] int32_t AvailableWidth() const { return m_availableWidth; }
    // The size of the laid-out document (for the scroll range).
    [[nodiscard]] CPoint GetExtent() { return m_page.GetExtent(); }
    // The union of the rectangles of every item made since the last call,
    // or nothing.
    [[nodiscard]] std::optional<CRect> TakeNewItemsArea() { return m_page.TakeNewItemsArea(); }
    // Calls visit for every item whose rectangle meets area, under the
    // page's lock (items must not be kept past the call).
    void ForEachItemIn(const CRect& area, const std::function<void(const CDisplayItem&)>& visit) {
        m_page.ForEachItemIn(area, visit);
    }
    // Calls visit for every item in line order, flows nested in a line's
    // flow after it; for dumps and tests.
    void ForEachItem(const std::function<void(const CDisplayItem&)>& visit) {
        m_page.ForEachItem(visit);
    }
    // An item of a link under a point. The item and its link record live as
    // long as the engine; its rectangle is copied under the lock, since a
    // float placed later may still move the item.
    using LinkedItem = CLayoutPage::LinkedItem;
    // The first item of a link (in the order links were made) whose
    // rectangle contains the point; item is null when there is none.
    [[nodiscard]] LinkedItem LinkedItemAt(int32_t x, int32_t y) {
        return m_page.LinkedItemAt(x, y);
    }
    // The top of the first named anchor called name (case-sensitive), or -1.
    [[nodiscard]] int32_t NamedAnchor(std::string_view name) { return m_page.NamedAnchor(name); }
    [[nodiscard]] bool FrameSetReady() { return m_page.FrameSetReady(); }
    [[nodiscard]] const CFrameRecord* RootFrameSet() { return m_page.RootFrameSet(); }
    [[nodiscard]] std::vector<CFormRecord*> FormRecords() { return m_page.FormRecords(); }
    using FormControlPlace = CLayoutPage::FormControlPlace;
    // Every control of every form, forms and their controls in document order.
    [[nodiscard]] std::vector<FormControlPlace> FormControlPlaces() {
        return m_page.FormControlPlaces();
    }
    [[nodiscard]] std::vector<CObjectItem*> EmbeddedObjects() { return m_page.EmbeddedObjects(); }

    // The page's text, which text items point into.
    [[nodiscard]] CTextStore TextStore() const { return m_text; }

private:
    // Pass without the progress flush: lays out every element that has arrived.
    bool LayOutArrived();
    // Element rules that are not the business of one flow.
    [[nodiscard]] bool LayoutElement(const CHtmlElement& element, ElementPosition after);
    void RequestRest(ElementPosition position);
    void StartLink(const CLinkElement& link);
    void StartForm(const CFormStartElement& form);
    void StartFrameSet(const CFrameSetElement& frameSet);
    void AddFrame(const CFrameElement& frame);
    void EndFrameSet();
    void AddChildFrame(std::unique_ptr<CFrameRecord> child);

    const int32_t m_availableWidth;
    const CTextStore m_text;
    // What other threads see; the context publishes into it, so it is made
    // first and goes last.
    CLayoutPage m_page;
    CLayoutContext m_context;

    std::atomic<bool> m_stop{false};

    // Layout thread only from here on.
    std::unique_ptr<CFrameRecord> m_openFrameTree;
    CFrameRecord* m_currentFrameSet = nullptr;
    ElementPosition m_resume = 0;        // the last element laid out; 0 for the list's start
    ElementPosition m_requestedLast = 0; // the last element RequestRest asked for
    bool m_done = false;
    // The page flow, then the open cell of each table laid out in the flow
    // before it.
    std::vector<CLayoutFlow*> m_openFlows;
};
