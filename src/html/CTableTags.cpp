#include "html/CTableTags.h"

#include "html/CHtmlObject.h"

#include <algorithm>
#include <cctype>

namespace {

// Bounds on what a page may ask for: more would only make layout allocate
// without end.
constexpr size_t MaxOpenTables = 4096;
constexpr int32_t MaxColumnSpan = 1000;
constexpr int32_t MaxRowSpan = 1000;
constexpr size_t MaxColumns = 4096;

Align ColumnAlign(char c) {
    switch (c) {
    case 'C':
        return Align::Center;
    case 'R':
        return Align::Right;
    default:
        return Align::Left;
    }
}

// "L20C30R10": an alignment letter, then a width; a width of 0 ends it. The
// number parse turns hexadecimal when a letter follows, as it always has.
void ReadColumnLayout(std::string_view text, CTableElement& table) {
    size_t at = 0;
    while (at < text.size() && table.columnWidths.size() < MaxColumns) {
        char c = text[at];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            ++at;
        size_t used = 0;
        int32_t width = ParseHtmlNumber(text.substr(at), false, &used);
        if (width == 0)
            break;
        table.columnAlignments.push_back(static_cast<uint32_t>(ColumnAlign(c)));
        table.columnWidths.push_back(width);
        at += used;
    }
}

void ReadTableAttribute(const CHtmlAttribute& attribute, CTableElement& table) {
    const std::string& name = attribute.name;
    const std::string& value = attribute.value;
    if (name == "colspec") {
        ReadColumnLayout(value, table);
    } else if (name == "units") {
        if (value == "pixel" || value == "en" || value == "relative")
            table.units = value == "pixel" ? 2 : value == "en" ? 0 : 1;
    } else if (name == "width") {
        int32_t width = ParseHtmlNumber(value);
        table.width = value.find('%') != std::string::npos ? -std::max(width, -INT32_MAX) : width;
    } else if (name == "cellpadding") {
        table.cellPadding = ParseHtmlNumber(value);
    } else if (name == "border") {
        table.border = value.empty() ? 2 : ParseHtmlNumber(value);
    } else if (name == "dp" && !value.empty()) {
        table.decimalCharacter = value[0];
    }
}

} // namespace

bool CTableTags::Start(TagId id, const AttributeList& attributes) {
    switch (id) {
    case TagId::Table:
        Table(attributes);
        return true;
    case TagId::Tr:
        if (CTableElement* table = m_state.CurrentTable())
            Row(*table, attributes);
        return true;
    case TagId::Td:
    case TagId::Th:
        Cell(id == TagId::Th, attributes);
        return true;
    case TagId::Caption:
        return true;
    default:
        return false;
    }
}

bool CTableTags::End(TagId id) {
    switch (id) {
    case TagId::Table:
        EndTable();
        return true;
    case TagId::Td:
    case TagId::Th:
    case TagId::Tr:
        m_state.lastWasSpace = true;
        return true;
    case TagId::Caption:
        return true;
    default:
        return false;
    }
}

void CTableTags::Table(const AttributeList& attributes) {
    if (m_state.tableStack.size() >= MaxOpenTables)
        return;
    m_state.ResetStyle();
    CTableElement* table = m_document.AppendFilled<CTableElement>([&](CTableElement& record) {
        for (const CHtmlAttribute& attribute : attributes)
            ReadTableAttribute(attribute, record);
    });
    m_state.tableStack.push_back(table);
}

void CTableTags::Row(CTableElement& table, const AttributeList& attributes) {
    CloseCell(table);
    CSemLock& lock = m_document.Lock();
    {
        CSemLockGuard guard(lock);
        ++table.rowNumber;
        table.columnsInRow =
            table.rowNumber < table.rowSpanCarry.size() ? table.rowSpanCarry[table.rowNumber] : 0;
    }
    table.currentRow = m_document.AppendFilled<CTableRowElement>([&](CTableRowElement& row) {
        row.decimalCharacter = table.decimalCharacter;
        row.noWrap = table.noWrapDefault;
        for (const CHtmlAttribute& attribute : attributes) {
            if (attribute.name == "align")
                row.alignment = ParseAlignKeyword(attribute.value);
            else if (attribute.name == "dp" && !attribute.value.empty())
                row.decimalCharacter = attribute.value[0];
            else if (attribute.name == "valign")
                row.verticalAlignment = ParseAlignKeyword(attribute.value);
            else if (attribute.name == "nowrap")
                row.noWrap = 1;
        }
    });
}

void CTableTags::Cell(bool header, const AttributeList& attributes) {
    CTableElement* table = m_state.CurrentTable();
    if (!table)
        return;
    CloseCell(*table);
    if (!table->currentRow)
        Row(*table, {});
    auto saved = std::make_unique<CSavedCellStyle>(
        CSavedCellStyle{m_state.style, m_state.italicCount, m_state.underlineCount,
                        m_state.boldCount, m_state.sizeStack});
    const CTableRowElement& row = *table->currentRow;
    CTableCellElement* cell = m_document.AppendFilled<CTableCellElement>([&](CTableCellElement& c) {
        c.alignment = header ? Align::Center : row.alignment;
        c.verticalAlignment = row.verticalAlignment;
        c.noWrap = row.noWrap;
        for (const CHtmlAttribute& attribute : attributes) {
            const std::string& name = attribute.name;
            const std::string& value = attribute.value;
            if (name == "colspan")
                c.columnSpan =
                    static_cast<uint32_t>(std::clamp(ParseHtmlNumber(value), 1, MaxColumnSpan));
            else if (name == "rowspan")
                c.rowSpan =
                    static_cast<uint32_t>(std::clamp(ParseHtmlNumber(value), 1, MaxRowSpan));
            else if (name == "align")
                c.alignment = ParseAlignKeyword(value);
            else if (name == "valign")
                c.verticalAlignment = ParseAlignKeyword(value);
            else if (name == "dp" && !value.empty())
                c.decimalCharacter = value[0];
            else if (name == "nowrap")
                c.noWrap = 1;
            else if (name == "width" && value.find('%') == std::string::npos)
                c.width = ParseHtmlNumber(value);
        }
    });
    if (header)
        m_state.AddStyle(m_state.boldCount, TextStyle::Bold);
    CountCell(*table, *cell);
    table->openCell = std::move(saved);
}

void CTableTags::CountCell(CTableElement& table, const CTableCellElement& cell) {
    CSemLockGuard guard(m_document.Lock());
    table.columnsInRow = std::min<uint32_t>(table.columnsInRow + cell.columnSpan, UINT32_MAX / 2);
    table.columns = std::max(table.columns, table.columnsInRow);
    if (cell.rowSpan <= 1)
        return;
    size_t last = static_cast<size_t>(table.rowNumber) + cell.rowSpan - 1;
    if (table.rowSpanCarry.size() <= last)
        table.rowSpanCarry.resize(last + 1, 0);
    for (size_t row = table.rowNumber + 1; row <= last; ++row)
        table.rowSpanCarry[row] =
            std::min<uint32_t>(table.rowSpanCarry[row] + cell.columnSpan, UINT32_MAX / 2);
}

void CTableTags::CloseCell(CTableElement& table) {
    if (!table.openCell)
        return;
    std::unique_ptr<CSavedCellStyle> saved = std::move(table.openCell);
    m_state.style = saved->style;
    m_state.italicCount = saved->italic;
    m_state.underlineCount = saved->underline;
    m_state.boldCount = saved->bold;
    m_state.sizeStack = std::move(saved->sizes);
}

void CTableTags::EndTable() {
    CTableElement* table = m_state.CurrentTable();
    if (!table)
        return;
    CloseCell(*table);
    {
        CSemLockGuard guard(m_document.Lock());
        table->complete = 1;
    }
    m_state.tableStack.pop_back();
    m_document.Append<CBareElement>(ElementKind::TableEnd);
}

void CTableTags::CloseAll() {
    while (!m_state.tableStack.empty())
        EndTable();
}
