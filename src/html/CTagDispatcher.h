#pragma once

#include "html/CBlockWriter.h"
#include "html/CFormTags.h"
#include "html/CFrameTags.h"
#include "html/CHtmlParseState.h"
#include "html/CTableTags.h"
#include "html/HtmlLexicon.h"

class CHtmlObject;
class CTextSink;

// Turns each tag into changes of the parser state and element records: the
// start and end tag rules of the page's structure, styles, lists, anchors,
// images and frames; forms and tables have helpers of their own.
class CTagDispatcher {
public:
    CTagDispatcher(CHtmlObject& document, CHtmlParseState& state, CTextSink& sink);

    void Dispatch(uint32_t id, const AttributeList& attributes);
    // At the end of the data: close every table still open, innermost first.
    void CloseOpenTables() { m_tables.CloseAll(); }

private:
    void OnStartTag(TagId id, const AttributeList& attributes);
    bool StartStyleTag(TagId id);
    bool StartBlockTag(TagId id, const AttributeList& attributes);
    void OnEndTag(TagId id);
    bool EndStyleTag(TagId id);
    bool EndBlockTag(TagId id);
    void Anchor(const AttributeList& attributes);
    void EndAnchor();
    void Base(const AttributeList& attributes);
    void BaseFont(const AttributeList& attributes);
    void Body(const AttributeList& attributes);
    void Br(const AttributeList& attributes);
    void Font(const AttributeList& attributes);
    void Heading(int32_t level);
    void EndHeading(int32_t level);
    void Rule(const AttributeList& attributes);
    void ListItem();
    void StartList(ListType type);
    void EndList(ListType type);
    void Paragraph(const AttributeList& attributes);
    void Pre();
    void EndPre();
    void Image(TagId id, const AttributeList& attributes);
    void Title();
    void EndTitle();

    CHtmlObject& m_document;
    CHtmlParseState& m_state;
    CBlockWriter m_blocks;
    CFormTags m_forms;
    CTableTags m_tables;
    CFrameTags m_frames;
};
