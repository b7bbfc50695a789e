#pragma once

#include "controls/CControlItem.h"

#include <cstdint>

// The site of the control of one embed element of the page: the item, and
// the embed it belongs to, by which the view finds it again after a
// relayout.
class CTarnwickCntrItem final : public CControlItem {
public:
    CTarnwickCntrItem(uint32_t embedId, const CRect& windowRect, CPoint scroll,
                      CTarnwickDoc& document)
        : CControlItem(document, windowRect, scroll), m_embedId(embedId) {}

    [[nodiscard]] uint32_t EmbedId() const { return m_embedId; }

private:
    const uint32_t m_embedId;
};
