#pragma once

#include "html/CBlockWriter.h"
#include "html/CHtmlParseState.h"
#include "html/HtmlLexicon.h"

class CHtmlObject;
class CTextSink;

// The tags of forms: form, input, select with its options, textarea, and the
// searchable index that a page asks for with isindex.
class CFormTags {
public:
    CFormTags(CHtmlObject& document, CHtmlParseState& state, CTextSink& sink, CBlockWriter& blocks);

    // Each answers whether the tag was one of these.
    bool Start(TagId id, const AttributeList& attributes);
    bool End(TagId id);

private:
    void Form(const AttributeList& attributes);
    void Input(const AttributeList& attributes);
    void IsIndex();
    void Option(const AttributeList& attributes);
    void Select(const AttributeList& attributes);
    void TextArea(const AttributeList& attributes);
    void EndSelect();
    void EndTextArea();
    void AppendIndexRule();

    CHtmlObject& m_document;
    CHtmlParseState& m_state;
    CTextSink& m_sink;
    CBlockWriter& m_blocks;
};
