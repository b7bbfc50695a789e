#include "controls/CViewControls.h"

#include "controls/CObjectPropertyFile.h"
#include "controls/CTarnwickCntrItem.h"
#include "document/CTarnwickDoc.h"
#include "layout/CLayoutEngine.h"

namespace {

WPARAM VirtualKeyOf(ViewKey key) {
    switch (key) {
    case ViewKey::PageUp:
        return VK_PRIOR;
    case ViewKey::PageDown:
        return VK_NEXT;
    case ViewKey::Home:
        return VK_HOME;
    case ViewKey::End:
        return VK_END;
    case ViewKey::Up:
        return VK_UP;
    case ViewKey::Down:
        return VK_DOWN;
    case ViewKey::Left:
        return VK_LEFT;
    case ViewKey::Right:
        return VK_RIGHT;
    }
    return 0;
}

} // namespace

CViewControls::CViewControls(CTarnwickDoc& document, CViewWindow& window)
    : m_document(document), m_window(window) {}

std::vector<CTarnwickCntrItem*> CViewControls::Items() const {
    std::vector<CTarnwickCntrItem*> items;
    for (const auto& item : m_document.Items())
        if (auto* control = dynamic_cast<CTarnwickCntrItem*>(item.get()))
            items.push_back(control);
    return items;
}

CTarnwickCntrItem* CViewControls::ItemWithId(uint32_t embedId) const {
    for (CTarnwickCntrItem* item : Items())
        if (item->EmbedId() == embedId)
            return item;
    return nullptr;
}

void CViewControls::Update(CLayoutEngine* layout, bool layoutFinished) {
    if (!layout || !layoutFinished || !m_document.AllLoadsEnded())
        return;
    const CPoint scroll = m_window.ScrollPosition();
    for (CObjectItem* embed : layout->EmbeddedObjects()) {
        CMimeObject* object = nullptr;
        if (!m_document.GetInlineObject(embed->source, object) || !object ||
            object->GetStatus() != Status::Complete)
            continue;
        CObjectPropertyFile* file = CObjectPropertyFile::From(object);
        if (!file)
            continue;
        // The layout thread has finished: the item's place no longer moves.
        const CRect window = embed->GetRect().Offset(-scroll.x, -scroll.y);
        if (CTarnwickCntrItem* existing = ItemWithId(embed->elementSerial)) {
            existing->MoveTo(window, scroll);
            continue;
        }
        auto item =
            std::make_unique<CTarnwickCntrItem>(embed->elementSerial, window, scroll, m_document);
        CTarnwickCntrItem* made = item.get();
        made->AttachPropertyFile(*file);
        made->SetView(&m_window);
        m_document.AddItem(std::move(item));
        made->CreateControl();
    }
}

void CViewControls::Draw(CDeviceContext& dc, const CRect& area) {
    for (CTarnwickCntrItem* item : Items())
        item->Draw(dc, area);
}

CTarnwickCntrItem* CViewControls::ItemAt(CPoint window) const {
    // Items are where they are drawn: at their place in the document.
    const CPoint scroll = m_window.ScrollPosition();
    CTarnwickCntrItem* found = nullptr;
    for (CTarnwickCntrItem* item : Items())
        if (item->DocumentRect().Contains(window.x + scroll.x, window.y + scroll.y))
            found = item;
    return found;
}

CTarnwickCntrItem* CViewControls::Selection() const {
    return m_selection ? ItemWithId(*m_selection) : nullptr;
}

CTarnwickCntrItem* CViewControls::Captured() const {
    for (CTarnwickCntrItem* item : Items())
        if (item->HasCapture())
            return item;
    return nullptr;
}

void CViewControls::Select(CTarnwickCntrItem* item) {
    CTarnwickCntrItem* previous = Selection();
    if (previous == item)
        return;
    // The control that had the keyboard loses it to the new selection.
    if (previous)
        previous->SetFocus(false);
    m_selection = item ? std::optional<uint32_t>(item->EmbedId()) : std::nullopt;
}

bool CViewControls::SendMouse(CTarnwickCntrItem* item, uint32_t message, CPoint window) {
    if (!item)
        return false;
    const CPoint scroll = m_window.ScrollPosition();
    const CRect place = item->DocumentRect();
    int32_t x = window.x + scroll.x - place.left;
    int32_t y = window.y + scroll.y - place.top;
    return item->SendMessage(message, 0, MAKELPARAM_XY(x, y));
}

bool CViewControls::OnLeftButtonDown(CPoint window) {
    CTarnwickCntrItem* item = ItemAt(window);
    Select(item);
    if (!item)
        return false;
    (void)SendMouse(item, WM_LBUTTONDOWN, window);
    // A click on a control is the control's, whether it used it or not.
    return true;
}

bool CViewControls::OnLeftButtonUp(CPoint window) {
    CTarnwickCntrItem* item = Captured();
    return SendMouse(item ? item : ItemAt(window), WM_LBUTTONUP, window);
}

bool CViewControls::OnMouseMove(CPoint window) {
    CTarnwickCntrItem* item = Captured();
    return SendMouse(item ? item : ItemAt(window), WM_MOUSEMOVE, window);
}

bool CViewControls::OnKeyDown(ViewKey key) {
    CTarnwickCntrItem* item = Selection();
    return item && item->HasFocus() && item->SendMessage(WM_KEYDOWN, VirtualKeyOf(key), 0);
}

bool CViewControls::OnCharacter(char character) {
    CTarnwickCntrItem* item = Selection();
    return item && item->HasFocus() &&
           item->SendMessage(WM_CHAR, static_cast<unsigned char>(character), 0);
}
