#include "html/CBlockWriter.h"

#include "html/CHtmlObject.h"

void CBlockWriter::Open(Block block, Align align) {
    Close();
    m_state.lastWasSpace = true;
    int32_t indent = static_cast<int32_t>(m_state.indentDepth) + block.indentAdjust;
    m_document.AppendFilled<CBlockStartElement>([&](CBlockStartElement& start) {
        start.blankLinesAfter = block.blankLinesAfter;
        start.blankLinesBefore = block.blankLinesBefore;
        start.align = align;
        start.indentLevel = indent;
        start.firstLineOffset = block.firstLineOffset;
    });
    m_state.blockOpen = true;
}

void CBlockWriter::Close() {
    if (!m_state.blockOpen)
        return;
    m_state.blockOpen = false;
    m_state.lastWasSpace = true;
    m_document.Append<CBareElement>(ElementKind::BlockEnd);
}
