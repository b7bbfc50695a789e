#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/ui/CViewWindow.h"

#include <cstdint>
#include <optional>
#include <vector>

class CDeviceContext;
class CLayoutEngine;
class CTarnwickCntrItem;
class CTarnwickDoc;

// The view's side of its page's embedded controls: it makes their items
// after layout steps (and moves them after a relayout), draws them over the
// page, and hands them the mouse and keyboard input meant for them. The
// items themselves belong to the document. UI thread only.
class CViewControls {
public:
    CViewControls(CTarnwickDoc& document, CViewWindow& window);

    // After a layout step: once layout has finished and every load of the
    // page has ended, makes an item for each embed whose property file has
    // arrived, or moves the item it already has.
    void Update(CLayoutEngine* layout, bool layoutFinished);
    // dc in document coordinates; area the part to paint.
    void Draw(CDeviceContext& dc, const CRect& area);

    // Input, in window coordinates: true when a control used it.
    bool OnLeftButtonDown(CPoint window);
    bool OnLeftButtonUp(CPoint window);
    bool OnMouseMove(CPoint window);
    bool OnKeyDown(ViewKey key);
    bool OnCharacter(char character);

    // The page goes: no control is selected any more.
    void Reset() { m_selection.reset(); }

    // The document's control items, in the order they were made.
    [[nodiscard]] std::vector<CTarnwickCntrItem*> Items() const;
    [[nodiscard]] CTarnwickCntrItem* Selection() const;

private:
    // The last item whose place contains the window point.
    [[nodiscard]] CTarnwickCntrItem* ItemAt(CPoint window) const;
    [[nodiscard]] CTarnwickCntrItem* ItemWithId(uint32_t embedId) const;
    [[nodiscard]] CTarnwickCntrItem* Captured() const;
    void Select(CTarnwickCntrItem* item);
    bool SendMouse(CTarnwickCntrItem* item, uint32_t message, CPoint window);

    CTarnwickDoc& m_document;
    CViewWindow& m_window;
    // The embed of the item last hit by a click (an id, not a pointer: the
    // document deletes its items when it leaves the page).
    std::optional<uint32_t> m_selection;
};
