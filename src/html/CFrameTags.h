#pragma once

#include "html/CHtmlParseState.h"
#include "html/HtmlLexicon.h"

class CHtmlObject;

// The tags of frame sets: frameset with its sizes, frame, and the end tag that
// ends the whole document once the outermost frame set closes.
class CFrameTags {
public:
    CFrameTags(CHtmlObject& document, CHtmlParseState& state)
        : m_document(document), m_state(state) {}

    // Each answers whether the tag was one of these.
    bool Start(TagId id, const AttributeList& attributes);
    bool End(TagId id);

private:
    void Frame(const AttributeList& attributes);
    void FrameSet(const AttributeList& attributes);
    void EndFrameSet();

    CHtmlObject& m_document;
    CHtmlParseState& m_state;
};
