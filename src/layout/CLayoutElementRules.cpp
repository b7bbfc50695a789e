// The element rules: what each record of the element list does to the flow
// it lands in, and to the engine's links, forms and frame sets.
#include "layout/CLayoutEngine.h"
#include "layout/CLayoutFlow.h"
#include "layout/CTableLayout.h"

#include <algorithm>

namespace {

bool IsOwnTableRecord(ElementKind kind) {
    return kind == ElementKind::TableRow || kind == ElementKind::TableCell ||
           kind == ElementKind::TableEnd;
}

} // namespace

bool CLayoutEngine::LayoutElement(const CHtmlElement& element, ElementPosition after) {
    switch (element.kind) {
    case ElementKind::Link:
        StartLink(element);
        return true;
    case ElementKind::LinkEnd:
        m_inLink = false;
        m_currentLink = nullptr;
        return true;
    case ElementKind::FormStart: {
        const auto& form = static_cast<const CFormStartElement&>(element);
        auto record = std::make_unique<CFormRecord>();
        record->action = form.action;
        record->enctype = form.enctype;
        record->method = form.method;
        m_currentForm = record.get();
        CSemLockGuard guard(m_lock);
        m_forms.push_back(std::move(record));
        return true;
    }
    case ElementKind::FormEnd:
        m_currentForm = nullptr;
        return true;
    case ElementKind::FrameSet:
        StartFrameSet(element);
        return true;
    case ElementKind::Frame:
        AddFrame(element);
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
    if (IsOwnTableRecord(element.kind) && !m_openFlows[at]->table && at > 0)
        --at;
    CLayoutFlow* flow = m_openFlows[at];
    if (element.kind == ElementKind::NameAnchor) {
        AddNamedAnchor(flow->originY + flow->y,
                       static_cast<const CNameAnchorElement&>(element).name);
        return true;
    }
    if (!flow->LayoutElement(element, after))
        return false;
    if (IsOwnTableRecord(element.kind) || element.kind == ElementKind::Table) {
        m_openFlows.resize(at + 1);
        while (m_openFlows.back()->table && m_openFlows.back()->table->OpenCellFlow())
            m_openFlows.push_back(m_openFlows.back()->table->OpenCellFlow());
    }
    return true;
}

void CLayoutEngine::StartLink(const CHtmlElement& element) {
    const auto& link = static_cast<const CLinkElement&>(element);
    auto record = std::make_unique<CLinkRecord>();
    record->href = link.href;
    record->target = link.target;
    m_inLink = true;
    m_currentLink = record.get();
    CSemLockGuard guard(m_lock);
    m_links.push_back(std::move(record));
}

void CLayoutEngine::AddNamedAnchor(int32_t top, const std::string& name) {
    CSemLockGuard guard(m_lock);
    m_anchors.push_back({top, name});
}

void CLayoutEngine::AddChildFrame(std::unique_ptr<CFrameRecord> child) {
    CFrameRecord& parent = *m_currentFrameSet;
    // A frame set lists a size per child; a child beyond them gets 0.
    if (parent.sizes.size() <= parent.children.size())
        parent.sizes.push_back(0);
    child->parent = &parent;
    parent.children.push_back(std::move(child));
}

void CLayoutEngine::StartFrameSet(const CHtmlElement& element) {
    const auto& frameSet = static_cast<const CFrameSetElement&>(element);
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

void CLayoutEngine::AddFrame(const CHtmlElement& element) {
    if (!m_currentFrameSet)
        return;
    const auto& frame = static_cast<const CFrameElement&>(element);
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
    {
        CSemLockGuard guard(m_lock);
        if (!m_rootFrameSet) {
            m_rootFrameSet = std::move(m_openFrameTree);
            m_frameSetReady = true;
        }
    }
    m_openFrameTree.reset();
    SignalProgress();
}

bool CLayoutFlow::LayoutElement(const CHtmlElement& element, ElementPosition after) {
    switch (element.kind) {
    case ElementKind::Text: {
        const auto& text = static_cast<const CTextElement&>(element);
        engine.m_currentStyle = text.textStyle;
        AddBox(std::make_unique<CTextBox>(
            engine, text.startOffset, engine.m_text.Copy(text.startOffset, text.characterCount),
            text.textStyle, engine.m_inLink ? engine.m_currentLink : nullptr));
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
        if (static_cast<const CEmbedElement&>(element).placement != 0)
            return true; // docked and floating objects take no place in the text
        return Image(static_cast<const CImageElement&>(element), true);
    case ElementKind::LineEnd:
        FinishLine(FinishMode::Break);
        return true;
    case ElementKind::ClearBreak:
        FinishLine(FinishMode::Break);
        Clear(static_cast<const CParamElement&>(element).value);
        return true;
    case ElementKind::LineBreak:
        LineBreak();
        return true;
    case ElementKind::ListItem: {
        const auto& item = static_cast<const CListItemElement&>(element);
        AddBox(std::make_unique<CMarkerBox>(engine, item.markerStyle, item.number));
        return true;
    }
    case ElementKind::CentreStart:
        if (++centreCount > 0)
            alignment = savedAlignment = Align::Center;
        return true;
    case ElementKind::CentreEnd:
        if (centreCount-- == 1)
            alignment = savedAlignment = Align::Left;
        return true;
    case ElementKind::FormField:
        AddBox(std::make_unique<CControlBox>(engine, static_cast<const CFormFieldElement&>(element),
                                             engine.m_currentForm));
        return true;
    case ElementKind::EndOfDocument:
        FinishLine(FinishMode::Break);
        Clear(3);
        return true;
    case ElementKind::Table: {
        if (table) {
            // A table opened where this one has no cell: its records are
            // passed over until its end.
            ++table->skippedTables;
            return true;
        }
        const auto& record = static_cast<const CTableElement&>(element);
        const CTableMeasure* measure =
            engine.TableReady(record, after) ? engine.MeasureTable(record, after) : nullptr;
        if (!measure)
            return false;
        table = std::make_unique<CTableLayout>(*this);
        table->Start(record, *measure);
        return true;
    }
    case ElementKind::TableRow:
        if (table && table->skippedTables == 0)
            table->Row();
        return true;
    case ElementKind::TableCell:
        if (table && table->skippedTables == 0)
            table->Cell(static_cast<const CTableCellElement&>(element));
        return true;
    case ElementKind::TableEnd:
        if (table && table->skippedTables > 0) {
            --table->skippedTables;
        } else if (table) {
            table->End();
            table.reset();
        }
        return true;
    default:
        return true;
    }
}
