#pragma once

#include "html/CHtmlParseState.h"

class CHtmlObject;

// Opens and closes the blocks of a page: at most one block is open, and a new
// one closes it first.
class CBlockWriter {
public:
    CBlockWriter(CHtmlObject& document, CHtmlParseState& state)
        : m_document(document), m_state(state) {}

    struct Block {
        uint8_t blankLinesAfter = 0;
        uint8_t blankLinesBefore = 0;
        int32_t indentAdjust = 0;
        int16_t firstLineOffset = 0;
    };
    // A block with the state's alignment.
    void Open(Block block) { Open(block, m_state.alignment); }
    void Open(Block block, Align align);
    void Close();

private:
    CHtmlObject& m_document;
    CHtmlParseState& m_state;
};
