#pragma once

#include "html/CHtmlElement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where the tokenizer stands between two blocks of input.
enum class TokenizerState : uint32_t {
    PlainText = 0, // text/plain, or after a plaintext tag: never left
    InTag = 1,
    InEntity = 2,
    InComment = 3,
    Text = 4,
    Finished = 5, // the frame set ended the document: later blocks are refused
};

enum class ListType : uint32_t { Unordered = 0, Ordered = 1, Definition = 2 };

namespace AnchorFlags {
inline constexpr uint32_t Link = 1;
inline constexpr uint32_t Name = 2;
} // namespace AnchorFlags

struct CListContext {
    ListType type = ListType::Unordered;
    uint32_t nextNumber = 1;
    uint32_t markerStyle = MarkerStyle::Bullet;
    uint32_t reserved = 0;
};

// Everything the parser of one document carries from tag to tag and from one
// block of input to the next. Touched only by the thread that feeds the
// document, so it needs no lock.
struct CHtmlParseState {
    // Nesting counters behind the style bits.
    uint32_t fixedCount = 0;
    uint32_t boldCount = 0;
    uint32_t italicCount = 0;
    uint32_t underlineCount = 0;
    std::vector<uint32_t> sizeStack;
    uint32_t style = TextStyle::NormalSize;

    TokenizerState state = TokenizerState::Text;
    uint32_t commentStep = 0;
    std::string tagBuffer;
    std::string entityBuffer;
    uint32_t preDepth = 0;
    bool crSeen = false;
    bool lfSeen = false;
    uint32_t column = 0;
    bool lastWasSpace = true;

    uint32_t indentDepth = 0;
    uint32_t blockquoteDepth = 0;
    bool inHead = false;
    bool inTitle = false;
    uint32_t baseFontSize = TextStyle::NormalSize;
    std::vector<uint32_t> baseFontStack;
    bool blockOpen = false;
    std::vector<CListContext> listStack; // innermost last
    uint32_t anchorFlags = 0;
    std::vector<CTableElement*> tableStack; // innermost last; records live in the pool
    Align alignment = Align::None;

    bool formOpen = false;
    bool inTextArea = false;
    std::string textAreaText;
    std::string fieldName = "Unnamed"; // of the pending textarea or select
    int32_t columns = -1;
    int32_t rowsOrSize = 1;
    bool inSelect = false;
    COptionRecord* currentOption = nullptr; // points into optionList
    bool optionLineEnded = false;           // the current option's first line is over
    std::vector<std::unique_ptr<COptionRecord>> optionList;
    bool multiple = false;
    bool isIndexSeen = false;
    uint32_t framesetDepth = 0;
    bool inNoFrames = false;
    std::string defaultTarget;

    CListContext* CurrentList() { return listStack.empty() ? nullptr : &listStack.back(); }
    CTableElement* CurrentTable() { return tableStack.empty() ? nullptr : tableStack.back(); }

    // A start tag sets the style bit when its counter becomes 1; an end tag
    // clears it when the counter falls back to 0. Counters never go below 0.
    void AddStyle(uint32_t& counter, uint32_t bit);
    void RemoveStyle(uint32_t& counter, uint32_t bit);
    void SetSize(int32_t size);
    void PopSize();
    void ResetStyle();
};
