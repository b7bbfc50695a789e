#pragma once

#include "content/CMimeObject.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutRecords.h"
#include "platform/CSemLock.h"
#include "platform/gdi/GdiTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class CInlineResources;

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

    // One incremental pass: true once the whole element list, up to its end
    // of document, has been laid out.
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
    // The first item of a link (in the order links were made) whose
    // rectangle contains the point; the item and its link record live as
    // long as the engine.
    [[nodiscard]] const CDisplayItem* LinkedItemAt(int32_t x, int32_t y);
    // The top of the first named anchor called name (case-sensitive), or -1.
    [[nodiscard]] int32_t NamedAnchor(std::string_view name);
    [[nodiscard]] bool FrameSetReady();
    [[nodiscard]] const CFrameRecord* RootFrameSet();
    [[nodiscard]] std::vector<CFormRecord*> FormRecords();
    [[nodiscard]] std::vector<CObjectItem*> EmbeddedObjects();

    // (private members: the layout's own; see the .cpp)
};
