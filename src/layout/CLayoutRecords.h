#pragma once

#include "platform/CPackedView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CFormControlItem;

// A link of the page; its text and image items point to it.
struct CLinkRecord {
    // Kept by the document's text store, which the layout holds: the page
    // address a link within the page follows (empty for any other) and the
    // rest of the address.
    CPackedView base;
    CPackedView href;
    CPackedView target;

    [[nodiscard]] std::string Address() const {
        std::string address(base.View());
        address += href.View();
        return address;
    }
};

struct CFormRecord {
    std::string action;
    std::string enctype;
    uint32_t method = 0; // 0 GET, 2 POST
    // Grows under the engine's lock while passes run.
    std::vector<CFormControlItem*> controls;
};

// A node of the frame-set tree: a frame set (children and sizes) or a frame
// (source, name, margins, scrolling).
struct CFrameRecord {
    std::string source;
    std::string name;
    int32_t marginWidth = -1;
    int32_t marginHeight = -1;
    int32_t scrolling = -1;
    uint32_t orientation = 0; // 1 rows, 0 columns
    std::vector<std::unique_ptr<CFrameRecord>> children;
    std::vector<int32_t> sizes;
    CFrameRecord* parent = nullptr;
};
