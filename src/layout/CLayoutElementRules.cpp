// The element rules: what each record of the element list does to the flow
// it lands in, and to the engine's links, forms and frame sets.
#include "layout/CLayoutEngine.h"
#include "layout/CLayoutFlow.h"
#include "layout/CTableLayout.h"

namespace {

bool IsOwnTableRecord(ElementKind kind) {
    return kind == ElementKind::TableRow || kind == ElementKind::TableCell ||
           kind == ElementKind::TableEnd;
}

} // namespace

bool CLayoutEngine::LayoutElement(const CHtmlElement& element, ElementPosition after) {
    switch (element.kind) {
    case ElementKind::Link:
        StartLink(static_cast<const CLinkElement&>(element));
        return true;
    case ElementKind::LinkEnd:
        m_context.SetCurrentLink(nullptr);
        return true;
    case ElementKind::FormStart:
        StartForm(static_cast<const CFormStartElement&>(element));
        return true;
    case ElementKind::FormEnd:
        m_context.SetCurrentForm(nullptr);
        return true;
    case ElementKind::FrameSet:
        StartFrameSet(static_cast<const CFrameSetElement&>(element));
        return true;
    case ElementKind::Frame:
        AddFrame(static_cast<const CFrameElement&>(element));
        return true;
    case ElementKind::FrameSetEnd:
        EndFrameSet();
        return true;
    default:
        break;
    }

    // A flow laying out a table hands everything but its own row, cell and
    // end records to the open cell, which may itself hold a table. The chain
    // of open cells is kept, so that a record costs the same at any depth:
    // the last flow of the chain takes everything but table records, which
    // go to the flow of the innermost table. Only that flow's table can
    // change the chain below it.
    size_t at = m_openFlows.size() - 1;
    if (IsOwnTableRecord(element.kind) && !m_openFlows[at]->LaysOutTable() && at > 0)
        --at;
    CLayoutFlow* flow = m_openFlows[at];
    if (element.kind == ElementKind::NameAnchor) {
        m_page.AddAnchor(flow->DocumentY(), static_cast<const CNameAnchorElement&>(element).name);
        return true;
    }
    if (!flow->LayoutElement(element, after))
        return false;
    if (IsOwnTableRecord(element.kind) || element.kind == ElementKind::Table) {
        m_openFlows.resize(at + 1);
        while (CLayoutFlow* cell = m_openFlows.back()->OpenCell())
            m_openFlows.push_back(cell);
    }
    return true;
}

void CLayoutEngine::StartLink(const CLinkElement& link) {
    m_context.SetCurrentLink(m_page.AddLink(m_text.LinkBase(link.base), link.href, link.target));
}

void CLayoutEngine::StartForm(const CFormStartElement& form) {
    auto record = std::make_unique<CFormRecord>();
    record->action = form.action;
    record->enctype = form.enctype;
    record->method = form.method;
    m_context.SetCurrentForm(m_page.AddForm(std::move(record)));
}

void CLayoutEngine::AddChildFrame(std::unique_ptr<CFrameRecord> child) {
    CFrameRecord& parent = *m_currentFrameSet;
    // A frame set lists a size per child; a child beyond them gets 0.
    if (parent.sizes.size() <= parent.children.size())
        parent.sizes.push_back(0);
    child->parent = &parent;
    parent.children.push_back(std::move(child));
}

void CLayoutEngine::StartFrameSet(const CFrameSetElement& frameSet) {
    auto record = std::make_unique<CFrameRecord>();
    record->orientation = frameSet.orientation;
    record->sizes = frameSet.sizes;
    CFrameRecord* made = record.get();
    if (m_currentFrameSet)
        AddChildFrame(std::move(record));
    else
        m_openFrameTree = std::move(record);
    m_currentFrameSet = made;
}

void CLayoutEngine::AddFrame(const CFrameElement& frame) {
    if (!m_currentFrameSet)
        return;
    auto record = std::make_unique<CFrameRecord>();
    record->source = frame.source;
    record->name = frame.name;
    record->marginWidth = frame.marginWidth;
    record->marginHeight = frame.marginHeight;
    record->scrolling = frame.scrolling;
    AddChildFrame(std::move(record));
}

void CLayoutEngine::EndFrameSet() {
    if (!m_currentFrameSet)
        return;
    m_currentFrameSet = m_currentFrameSet->parent;
    if (m_currentFrameSet)
        return;
    // Only the first finished tree counts; a later one is dropped.
    m_page.SetRootFrameSet(std::move(m_openFrameTree));
    m_openFrameTree.reset();
    m_context.SignalProgress();
}

bool CLayoutFlow::LayoutElement(const CHtmlElement& element, ElementPosition after) {
    switch (element.kind) {
    case ElementKind::Text: {
        const auto& text = static_cast<const CTextElement&>(element);
        m_context.SetCurrentStyle(text.textStyle);
        CLayoutContext::CTextRun run = m_context.TextRun(text.startOffset, text.characterCount);
        if (!run.owner && !m_currentLine.empty()) {
            if (std::optional<int32_t> added = m_currentLine.back()->Extend(
                    text.startOffset, run.characters, text.textStyle, m_context.CurrentLink())) {
                GrowLastBox(*added);
                return true;
            }
        }
        AddBox(std::make_unique<CTextBox>(m_context, text.startOffset, run.characters,
                                          std::move(run.owner), text.textStyle,
                                          m_context.CurrentLink()));
        return true;
    }
    case ElementKind::BlockStart:
        BlockStart(static_cast<const CBlockStartElement&>(element));
        return true;
    case ElementKind::BlockEnd:
        BlockEnd();
        return true;
    case ElementKind::Rule:
        Rule(static_cast<const CParamElement&>(element).value);
        return true;
    case ElementKind::Image:
        return Image(static_cast<const CImageElement&>(element), false);
    case ElementKind::EmbeddedObject:
        if (!ElementGeometry::TakesPlaceInText(element))
            return true;
        return Image(static_cast<const CImageElement&>(element), true);
    case ElementKind::LineEnd:
        FinishLine(FinishMode::Break);
        return true;
    case ElementKind::ClearBreak:
        FinishLine(FinishMode::Break);
        Clear(static_cast<ClearSide>(static_cast<const CParamElement&>(element).value));
        return true;
    case ElementKind::LineBreak:
        LineBreak();
        return true;
    case ElementKind::ListItem: {
        const auto& item = static_cast<const CListItemElement&>(element);
        AddBox(std::make_unique<CMarkerBox>(m_context, item.markerStyle, item.number));
        return true;
    }
    case ElementKind::CentreStart:
        if (++m_centreCount > 0)
            m_alignment = m_savedAlignment = Align::Center;
        return true;
    case ElementKind::CentreEnd:
        if (m_centreCount-- == 1)
            m_alignment = m_savedAlignment = Align::Left;
        return true;
    case ElementKind::FormField:
        AddBox(std::make_unique<CControlBox>(
            m_context, static_cast<const CFormFieldElement&>(element), m_context.CurrentForm()));
        return true;
    case ElementKind::EndOfDocument:
        FinishLine(FinishMode::Break);
        Clear(ClearSide::Both);
        return true;
    case ElementKind::Table:
        return StartTable(static_cast<const CTableElement&>(element), after);
    case ElementKind::TableRow:
        if (m_table && !m_table->PassingOver())
            m_table->Row();
        return true;
    case ElementKind::TableCell:
        if (m_table && !m_table->PassingOver())
            m_table->Cell(static_cast<const CTableCellElement&>(element));
        return true;
    case ElementKind::TableEnd:
        EndTableRecord();
        return true;
    default:
        return true;
    }
}

bool CLayoutFlow::StartTable(const CTableElement& table, ElementPosition after) {
    if (m_table) {
        // A table opened where this one has no cell: its records are passed
        // over until its end.
        m_table->PassOver();
        return true;
    }
    const CTableMeasure* measure = m_context.TableMeasure(table, after);
    if (!measure)
        return false;
    m_table = std::make_unique<CTableLayout>(*this, m_context);
    m_table->Start(table, *measure);
    return true;
}

void CLayoutFlow::EndTableRecord() {
    if (!m_table || m_table->EndPassedOver())
        return;
    m_table->End();
    m_table.reset();
}
