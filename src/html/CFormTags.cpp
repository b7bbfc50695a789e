#include "html/CFormTags.h"

#include "content/Url.h"
#include "html/CHtmlObject.h"
#include "html/CTextSink.h"
#include "platform/TextUtil.h"

#include <array>

namespace {

constexpr std::string_view UrlEncoded = "application/x-www-form-urlencoded";
constexpr std::string_view IndexPrompt = "This is a searchable index. Enter search keywords: ";
// A select with more options than this is a hostile page, not a form.
constexpr size_t MaxOptions = 65536;

FieldType InputType(std::string_view text) {
    static constexpr std::array<std::string_view, 8> Names{
        "text", "password", "checkbox", "radio", "image", "hidden", "submit", "reset"};
    for (size_t i = 0; i < Names.size(); ++i)
        if (EqualsNoCase(text, Names[i]))
            return static_cast<FieldType>(i);
    return FieldType::Text;
}

} // namespace

CFormTags::CFormTags(CHtmlObject& document, CHtmlParseState& state, CTextSink& sink,
                     CBlockWriter& blocks)
    : m_document(document), m_state(state), m_sink(sink), m_blocks(blocks) {}

bool CFormTags::Start(TagId id, const AttributeList& attributes) {
    switch (id) {
    case TagId::Form:
        Form(attributes);
        return true;
    case TagId::Input:
        Input(attributes);
        return true;
    case TagId::IsIndex:
        IsIndex();
        return true;
    case TagId::Option:
        Option(attributes);
        return true;
    case TagId::Select:
        Select(attributes);
        return true;
    case TagId::TextArea:
        TextArea(attributes);
        return true;
    default:
        return false;
    }
}

bool CFormTags::End(TagId id) {
    switch (id) {
    case TagId::Form:
        if (m_state.formOpen) {
            m_state.formOpen = false;
            m_document.Append<CBareElement>(ElementKind::FormEnd);
        }
        return true;
    case TagId::Select:
        EndSelect();
        return true;
    case TagId::TextArea:
        EndTextArea();
        return true;
    default:
        return false;
    }
}

void CFormTags::Form(const AttributeList& attributes) {
    if (m_state.formOpen)
        return;
    m_state.formOpen = true;
    std::string base = m_document.BaseUrl();
    std::string action = base;
    std::string enctype(UrlEncoded);
    uint32_t method = 0;
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "action")
            action = attribute.value;
        else if (attribute.name == "enctype")
            enctype = attribute.value;
        else if (attribute.name == "method" && EqualsNoCase(attribute.value, "get"))
            method = 0;
        else if (attribute.name == "method" && EqualsNoCase(attribute.value, "post"))
            method = 2;
    }
    m_document.Append<CFormStartElement>(ResolveUrl(base, action), std::move(enctype), method);
}

void CFormTags::Input(const AttributeList& attributes) {
    if (!m_state.formOpen)
        return;
    FieldType type = FieldType::Text;
    std::string name = "unnamed";
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "type")
            type = InputType(attribute.value);
        else if (attribute.name == "name")
            name = attribute.value;
    }
    m_document.AppendFilled<CFormFieldElement>([&](CFormFieldElement& field) {
        field.fieldType = type;
        field.name = std::move(name);
        for (const CHtmlAttribute& attribute : attributes) {
            if (attribute.name == "maxlength")
                field.maxlength = ParseHtmlNumber(attribute.value);
            else if (attribute.name == "size")
                field.size = ParseHtmlNumber(attribute.value);
            else if (attribute.name == "value")
                field.value = attribute.value;
            else if (attribute.name == "checked")
                field.checked = 1;
        }
    });
    m_state.lastWasSpace = false;
}

void CFormTags::AppendIndexRule() {
    m_document.Append<CParamElement>(ElementKind::Rule, 100);
    m_blocks.Close();
}

void CFormTags::IsIndex() {
    if (m_state.isIndexSeen)
        return;
    bool inHead = m_state.inHead;
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    m_document.Append<CFormStartElement>(m_document.BaseUrl(), std::string(UrlEncoded), 0u);
    m_blocks.Open({});
    AppendIndexRule();
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    m_state.inHead = false;
    m_sink.Sink(IndexPrompt.data(), IndexPrompt.size());
    m_document.Append<CFormFieldElement>(FieldType::Text, std::string());
    m_state.lastWasSpace = false;
    m_sink.Sink(" ", 1);
    m_document.AppendFilled<CFormFieldElement>([](CFormFieldElement& field) {
        field.fieldType = FieldType::Submit;
        field.value = "Search";
    });
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    AppendIndexRule();
    m_document.Append<CBareElement>(ElementKind::FormEnd);
    m_state.inHead = inHead;
    m_state.isIndexSeen = true;
}

void CFormTags::Option(const AttributeList& attributes) {
    if (!m_state.inSelect || m_state.optionList.size() >= MaxOptions)
        return;
    auto option = std::make_unique<COptionRecord>();
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "selected")
            option->selected = 1;
        else if (attribute.name == "value")
            option->value = attribute.value;
    }
    m_state.currentOption = option.get();
    m_state.optionLineEnded = false;
    m_state.optionList.push_back(std::move(option));
}

void CFormTags::Select(const AttributeList& attributes) {
    if (m_state.inSelect)
        return;
    m_state.inSelect = true;
    m_state.currentOption = nullptr;
    m_state.fieldName = "Unnamed";
    m_state.multiple = false;
    m_state.rowsOrSize = 1;
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "size")
            m_state.rowsOrSize = ParseHtmlNumber(attribute.value);
        else if (attribute.name == "name")
            m_state.fieldName = attribute.value;
        else if (attribute.name == "multiple")
            m_state.multiple = true;
    }
}

void CFormTags::TextArea(const AttributeList& attributes) {
    if (m_state.inTextArea)
        return;
    m_state.inTextArea = true;
    m_state.textAreaText.clear();
    m_state.fieldName = "Unnamed";
    m_state.columns = -1;
    m_state.rowsOrSize = 1;
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "cols")
            m_state.columns = ParseHtmlNumber(attribute.value);
        else if (attribute.name == "rows")
            m_state.rowsOrSize = ParseHtmlNumber(attribute.value);
        else if (attribute.name == "name")
            m_state.fieldName = attribute.value;
    }
}

void CFormTags::EndSelect() {
    if (!m_state.inSelect)
        return;
    m_state.inSelect = false;
    m_state.currentOption = nullptr;
    m_document.AppendFilled<CFormFieldElement>([&](CFormFieldElement& field) {
        field.fieldType = FieldType::Select;
        field.name = m_state.fieldName;
        field.multiple = m_state.multiple ? 1 : 0;
        field.rows = m_state.rowsOrSize;
        field.options.reserve(m_state.optionList.size());
        for (auto& option : m_state.optionList) {
            if (option->value.empty())
                option->value = option->text;
            field.options.push_back(std::move(*option));
        }
    });
    m_state.optionList.clear();
    m_state.lastWasSpace = false;
}

void CFormTags::EndTextArea() {
    if (!m_state.inTextArea)
        return;
    m_state.inTextArea = false;
    m_document.AppendFilled<CFormFieldElement>([&](CFormFieldElement& field) {
        field.fieldType = FieldType::TextArea;
        field.name = m_state.fieldName;
        field.value = std::move(m_state.textAreaText);
        field.columns = m_state.columns;
        field.rows = m_state.rowsOrSize;
    });
    m_state.textAreaText.clear();
    m_state.lastWasSpace = false;
}
