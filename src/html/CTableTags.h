#pragma once

#include "html/CHtmlParseState.h"
#include "html/HtmlLexicon.h"

class CHtmlObject;

// The tags of tables: table, tr, td, th and their ends. Keeps in the table
// record the counts that layout needs (columns, row spans carried down).
class CTableTags {
public:
    CTableTags(CHtmlObject& document, CHtmlParseState& state)
        : m_document(document), m_state(state) {}

    // Each answers whether the tag was one of these.
    bool Start(TagId id, const AttributeList& attributes);
    bool End(TagId id);
    // Closes every open table as its end tag would, innermost first.
    void CloseAll();

private:
    void Table(const AttributeList& attributes);
    void Row(CTableElement& table, const AttributeList& attributes);
    void Cell(bool header, const AttributeList& attributes);
    void CountCell(CTableElement& table, const CTableCellElement& cell);
    void CloseCell(CTableElement& table);
    void EndTable();

    CHtmlObject& m_document;
    CHtmlParseState& m_state;
};
