#include "html/CElementDump.h"

#include "content/CMimeObject.h"
#include "content/CTextStore.h"
#include "html/CHtmlElement.h"
#include "html/CJsonLine.h"

#include <cinttypes>

namespace {

int64_t Num(Align align) {
    return static_cast<int64_t>(align);
}

void ImageFields(CJsonLine& line, const CImageElement& image) {
    line.Number("align", Num(image.align))
        .Number("horizontal_space", image.horizontalSpace)
        .Number("vertical_space", image.verticalSpace)
        .Number("border", image.border)
        .Number("height", image.height)
        .Number("width", image.width)
        .String("source", image.source)
        .Number("ismap", image.ismap)
        .Number("inline", image.inlineFlag);
}

void TableFields(CJsonLine& line, const CTableElement& table) {
    line.Number("reserved", table.reserved)
        .Numbers("column_alignments", table.columnAlignments)
        .Numbers("column_widths", table.columnWidths)
        .Numbers("row_span_carry", table.rowSpanCarry)
        .String("decimal_character", std::string_view(&table.decimalCharacter, 1))
        .Number("units", table.units)
        .Number("width", table.width)
        .Number("cell_padding", table.cellPadding)
        .Number("border", table.border)
        .Number("no_wrap_default", table.noWrapDefault)
        .Number("columns", table.columns)
        .Number("columns_in_row", table.columnsInRow)
        .Number("row_number", table.rowNumber)
        .Number("complete", table.complete);
}

std::string_view CharField(const char& c) {
    return c ? std::string_view(&c, 1) : "";
}

void FormFieldFields(CJsonLine& line, const CFormFieldElement& field) {
    line.Number("field_type", static_cast<int64_t>(field.fieldType))
        .String("name", field.name)
        .Number("maxlength", field.maxlength)
        .Number("size", field.size)
        .String("value", field.value)
        .Number("checked", field.checked)
        .Number("multiple", field.multiple)
        .Options(field.options)
        .Number("columns", field.columns)
        .Number("rows", field.rows);
}

void TableRowFields(CJsonLine& line, const CHtmlElement& element) {
    if (element.kind == ElementKind::TableRow) {
        const auto& row = static_cast<const CTableRowElement&>(element);
        line.Number("alignment", Num(row.alignment))
            .String("decimal_character", CharField(row.decimalCharacter))
            .Number("vertical_alignment", Num(row.verticalAlignment))
            .Number("no_wrap", row.noWrap);
        return;
    }
    const auto& cell = static_cast<const CTableCellElement&>(element);
    line.Number("column_span", cell.columnSpan)
        .Number("row_span", cell.rowSpan)
        .Number("alignment", Num(cell.alignment))
        .String("decimal_character", CharField(cell.decimalCharacter))
        .Number("vertical_alignment", Num(cell.verticalAlignment))
        .Number("no_wrap", cell.noWrap)
        .Number("width", cell.width);
}

void FrameFields(CJsonLine& line, const CHtmlElement& element) {
    if (element.kind == ElementKind::FrameSet) {
        const auto& frameSet = static_cast<const CFrameSetElement&>(element);
        line.Number("orientation", frameSet.orientation).Numbers("sizes", frameSet.sizes);
        return;
    }
    const auto& frame = static_cast<const CFrameElement&>(element);
    line.String("source", frame.source)
        .String("name", frame.name)
        .Number("margin_width", frame.marginWidth)
        .Number("margin_height", frame.marginHeight)
        .Number("scrolling", frame.scrolling)
        .Number("reserved", frame.reserved);
}

void TextFields(CJsonLine& line, const CTextElement& text, const CTextStore& store) {
    line.Number("start_offset", text.startOffset)
        .Number("character_count", text.characterCount)
        .Number("text_style", text.textStyle)
        .String("text", store.Copy(text.startOffset, text.characterCount));
}

void BlockFields(CJsonLine& line, const CBlockStartElement& block) {
    line.Number("blank_lines_after", block.blankLinesAfter)
        .Number("blank_lines_before", block.blankLinesBefore)
        .Number("align", Num(block.align))
        .Number("indent_level", block.indentLevel)
        .Number("first_line_offset", block.firstLineOffset);
}

} // namespace

std::string CElementDump::Line(const CHtmlElement& element, const CTextStore& text) {
    CJsonLine line("kind", static_cast<int64_t>(element.kind));
    switch (element.kind) {
    case ElementKind::Text:
        TextFields(line, static_cast<const CTextElement&>(element), text);
        break;
    case ElementKind::NameAnchor:
        line.String("name", static_cast<const CNameAnchorElement&>(element).name);
        break;
    case ElementKind::Link: {
        const auto& link = static_cast<const CLinkElement&>(element);
        line.String("href", LinkAddress(link, text)).String("target", link.target);
        break;
    }
    case ElementKind::BlockStart:
        BlockFields(line, static_cast<const CBlockStartElement&>(element));
        break;
    case ElementKind::HeadingStart:
    case ElementKind::HeadingEnd:
        line.Number("level", static_cast<const CParamElement&>(element).value);
        break;
    case ElementKind::Rule:
        line.Number("width", static_cast<const CParamElement&>(element).value);
        break;
    case ElementKind::ClearBreak:
        line.Number("clear_side", static_cast<const CParamElement&>(element).value);
        break;
    case ElementKind::Image:
        ImageFields(line, static_cast<const CImageElement&>(element));
        break;
    case ElementKind::EmbeddedObject:
        ImageFields(line, static_cast<const CImageElement&>(element));
        line.Number("placement",
                    static_cast<int64_t>(static_cast<const CEmbedElement&>(element).placement));
        break;
    case ElementKind::Table:
        TableFields(line, static_cast<const CTableElement&>(element));
        break;
    case ElementKind::TableRow:
    case ElementKind::TableCell:
        TableRowFields(line, element);
        break;
    case ElementKind::ListItem: {
        const auto& item = static_cast<const CListItemElement&>(element);
        line.Number("marker_style", item.markerStyle).Number("number", item.number);
        break;
    }
    case ElementKind::FormStart: {
        const auto& form = static_cast<const CFormStartElement&>(element);
        line.String("action", form.action)
            .String("enctype", form.enctype)
            .Number("method", form.method);
        break;
    }
    case ElementKind::FormField:
        FormFieldFields(line, static_cast<const CFormFieldElement&>(element));
        break;
    case ElementKind::FrameSet:
    case ElementKind::Frame:
        FrameFields(line, element);
        break;
    default:
        break;
    }
    return line.Finish();
}

std::string CElementDump::ToString() {
    // Each reader call takes the object's lock itself; none is held here.
    CTextStore text = m_object.GetTextStore();
    std::string out;
    ElementPosition position = m_object.GetFirstElementPosition();
    while (position) {
        const CHtmlElement* element = m_object.GetNextElement(position);
        if (!element)
            break;
        out += Line(*element, text);
        out += '\n';
    }
    return out;
}

void CElementDump::Write(std::FILE* out) {
    std::string text = ToString();
    std::fwrite(text.data(), 1, text.size(), out);
}
