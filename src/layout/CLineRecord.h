#pragma once

#include <cstdint>
#include <vector>

class CDisplayItem;

// One finished line of a flow: its vertical extent in document coordinates
// and its items from left to right.
struct CLineRecord {
    int32_t top = 0;
    int32_t bottom = 0;
    std::vector<CDisplayItem*> items;
};
