#pragma once

#include "content/CMimeObject.h"
#include "html/CRecordPool.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutRecords.h"
#include "platform/CSemLock.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFontCache.h"
#include "platform/gdi/GdiTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CInlineResources;
class CHtmlElement;
class CLayoutFlow;
struct CImageElement;
struct CTableElement;
struct CTableMeasure;

// Turns a page's element list into lines of display items, a pass at a time:
// each pass lays out what has arrived since the last one and stops where it
// must wait (an image of unknown size, a table whose end has not arrived).
// Passes run on the view's layout thread; every query below may be called
// from the UI thread meanwhile and takes the engine's lock.
class CLayoutEngine {
public:
    struct Settings {
        int32_t availableWidth = 0; // the client width less a vertical scroll bar
        int32_t pixelsPerInch = 96;
        bool scale = false; // printing: image sizes are points
        int32_t sideMargin = 12;
        int32_t topMargin = 10;
    };

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
    bool Pass();
    // Any thread: ends a running pass after its current element, and every
    // later pass at once.
    void Stop();

    [[nodiscard]] int32_t AvailableWidth() const;
    // The size of the laid-out document (for the scroll range).
    [[nodiscard]] CPoint GetExtent();
    // The union of the rectangles of every item made since the last call,
    // or nothing.
    [[nodiscard]] std::optional<CRect> TakeNewItemsArea();
    // Calls visit for every item whose rectangle meets area, under the
    // engine's lock (items must not be kept past the call).
    void ForEachItemIn(const CRect& area, const std::function<void(const CDisplayItem&)>& visit);
    // Calls visit for every item in line order, flows nested in a line's
    // flow after it; for dumps and tests.
    void ForEachItem(const std::function<void(const CDisplayItem&)>& visit);
    // An item of a link under a point. The item and its link record live as
    // long as the engine; its rectangle is copied under the lock, since a
    // float placed later may still move the item.
    struct LinkedItem {
        const CDisplayItem* item = nullptr;
        CRect rect;
    };
    // The first item of a link (in the order links were made) whose
    // rectangle contains the point; item is null when there is none.
    [[nodiscard]] LinkedItem LinkedItemAt(int32_t x, int32_t y);
    // The top of the first named anchor called name (case-sensitive), or -1.
    [[nodiscard]] int32_t NamedAnchor(std::string_view name);
    [[nodiscard]] bool FrameSetReady();
    [[nodiscard]] const CFrameRecord* RootFrameSet();
    [[nodiscard]] std::vector<CFormRecord*> FormRecords();
    // A form control as it stands now: its form's place among the form
    // records, the item (which lives as long as the engine and whose field
    // never changes) and its rectangle, copied under the lock.
    struct FormControlPlace {
        size_t form = 0;
        const CFormControlItem* item = nullptr;
        CRect rect;
    };
    // Every control of every form, forms and their controls in document order.
    [[nodiscard]] std::vector<FormControlPlace> FormControlPlaces();
    [[nodiscard]] std::vector<CObjectItem*> EmbeddedObjects();

    // The page's text, which text items point into.
    [[nodiscard]] CTextStore TextStore() const { return m_text; }

private:
    friend class CLayoutFlow;
    friend class CTableLayout;
    friend class CTableMeasurer;
    friend class CTextBox;
    friend class CMarkerBox;
    friend class CImageBox;
    friend class CObjectBox;
    friend class CControlBox;

    struct CNamedAnchor {
        int32_t top;
        std::string name;
    };

    // Element rules that are not the business of one flow.
    [[nodiscard]] bool LayoutElement(const CHtmlElement& element, ElementPosition after);
    [[nodiscard]] CLayoutFlow& TargetFlow(const CHtmlElement& element);
    void RequestInlineFor(const CHtmlElement& element);
    void RequestRest(ElementPosition position);
    void StartLink(const CHtmlElement& element);
    void StartFrameSet(const CHtmlElement& element);
    void AddFrame(const CHtmlElement& element);
    void EndFrameSet();
    void AddChildFrame(std::unique_ptr<CFrameRecord> child);
    void AddNamedAnchor(int32_t top, const std::string& name);

    // The size an image or inline object takes, border included; false while
    // it is not known yet.
    [[nodiscard]] bool ImageSize(const CImageElement& image, bool inLink, int32_t& width,
                                 int32_t& height, int32_t& border);
    // The line height of a style: its ascent plus descent.
    [[nodiscard]] int32_t LineHeightOf(uint32_t style);
    [[nodiscard]] const CTableMeasure* MeasureTable(const CTableElement& table,
                                                    ElementPosition after);
    [[nodiscard]] bool TableReady(const CTableElement& table, ElementPosition after);

    // Items are made and published under m_lock.
    template <class T, class... Args> T* NewItem(Args&&... args) {
        T* item = m_displayPool.Allocate<T>(std::forward<Args>(args)...);
        NoteNewArea(item->rect);
        return item;
    }
    void NoteNewArea(const CRect& rect); // m_lock held
    void UpdateExtent(CPoint size);
    void SignalProgress();
    [[nodiscard]] CLayoutFlow& NewFlow(int32_t nested);

    CMimeObject* const m_content;
    CInlineResources* const m_resources;
    const Settings m_settings;
    const std::function<void()> m_progress;

    CSemLock m_lock;
    CPoint m_extent;                                   // guarded by m_lock
    CRecordPool m_displayPool;                         // guarded by m_lock
    std::vector<std::unique_ptr<CFormRecord>> m_forms; // guarded by m_lock
    std::vector<CNamedAnchor> m_anchors;               // guarded by m_lock
    std::vector<std::unique_ptr<CLinkRecord>> m_links; // guarded by m_lock
    std::vector<CObjectItem*> m_objects;               // guarded by m_lock
    std::unique_ptr<CFrameRecord> m_rootFrameSet;      // guarded by m_lock
    bool m_frameSetReady = false;                      // guarded by m_lock
    CRect m_newArea;                                   // guarded by m_lock
    bool m_hasNewArea = false;                         // guarded by m_lock
    // Every flow, the page flow first; the flows' lines, nested flows and
    // items are guarded by m_lock.
    std::vector<std::unique_ptr<CLayoutFlow>> m_flows;

    std::atomic<bool> m_stop{false};

    // Layout thread only from here on.
    std::unique_ptr<CFrameRecord> m_openFrameTree;
    CFrameRecord* m_currentFrameSet = nullptr;
    CDeviceContext m_infoContext;
    CFontCache m_fonts;
    bool m_inLink = false;
    CLinkRecord* m_currentLink = nullptr;
    int32_t m_minimumLineWidth = 0;
    CTextStore m_text;
    CFormRecord* m_currentForm = nullptr;
    ElementPosition m_resume = 0;        // the last element laid out; 0 for the list's start
    ElementPosition m_requestedLast = 0; // the last element RequestRest asked for
    bool m_done = false;
    uint32_t m_currentStyle = TextStyle::NormalSize;
    int32_t m_indentUnit = 0;
    CLayoutFlow* m_pageFlow = nullptr;
    // The page flow, then the open cell of each table laid out in the flow
    // before it.
    std::vector<CLayoutFlow*> m_openFlows;
    // Tables measured while an enclosing table was, and tables whose
    // images are known to have sizes.
    std::unordered_map<const CTableElement*, std::unique_ptr<CTableMeasure>> m_measures;
};
