#include "view/CFormControls.h"

#include "layout/CDisplayItem.h"
#include "layout/CLayoutEngine.h"
#include "platform/ui/CViewWindow.h"

namespace {

bool IsOneLineText(FieldType type) {
    return type == FieldType::Text || type == FieldType::Password;
}

bool IsDropDown(const CFormField& field) {
    return field.rows < 2 && !field.multiple;
}

// Multi-line text as it is submitted: every line ends with CR LF, whatever
// the page or the toolkit used.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

void CFormControls::Update(CLayoutEngine& layout) {
    std::vector<CFormRecord*> forms = layout.FormRecords();
    // Form records never change once made, and a relayout makes the same
    // ones in the same order.
    for (size_t i = m_forms.size(); i < forms.size(); ++i)
        m_forms.push_back({forms[i]->action, forms[i]->enctype, forms[i]->method});
    for (const CLayoutEngine::FormControlPlace& place : layout.FormControlPlaces()) {
        CFormControlRecord* record = m_map.Find(place.item->elementSerial);
        if (!record) {
            auto made = std::make_unique<CFormControlRecord>();
            made->commandId = m_nextCommandId++;
            made->form = place.form;
            made->field = CFormField::From(*place.item);
            made->rect = place.rect;
            record = &m_map.Insert(place.item->elementSerial, std::move(made));
            m_inOrder.push_back(record);
            Create(*record);
            continue;
        }
        record->form = place.form;
        if (record->control && record->rect != place.rect) {
            record->control->Move(place.rect);
            record->rect = place.rect;
        }
    }
}

CFormControlSpec CFormControls::SpecFor(const CFormControlRecord& record) const {
    const CFormField& field = record.field;
    CFormControlSpec spec{.commandId = record.commandId, .name = field.name, .rect = record.rect};
    switch (field.type) {
    case FieldType::Text:
        spec.kind = FormControlKind::Edit;
        spec.text = field.value;
        break;
    case FieldType::Password:
        spec.kind = FormControlKind::PasswordEdit;
        spec.text = field.value;
        break;
    case FieldType::TextArea:
        spec.kind = FormControlKind::MultiLineEdit;
        spec.text = field.value;
        break;
    case FieldType::Checkbox:
        spec.kind = FormControlKind::CheckBox;
        break;
    case FieldType::Radio:
        spec.kind = FormControlKind::RadioButton;
        break;
    case FieldType::Submit:
        spec.kind = FormControlKind::DefaultPushButton;
        spec.text = field.value.empty() ? "Submit" : field.value;
        break;
    case FieldType::Reset:
        spec.kind = FormControlKind::PushButton;
        spec.text = field.value.empty() ? "Reset" : field.value;
        break;
    case FieldType::Select:
        spec.kind = IsDropDown(field) ? FormControlKind::DropDownList
                    : field.multiple  ? FormControlKind::MultiSelectList
                                      : FormControlKind::ListBox;
        for (const COptionRecord& option : field.options)
            spec.options.push_back(option.text);
        break;
    case FieldType::Image:
    case FieldType::Hidden:
        break;
    }
    return spec;
}

void CFormControls::Create(CFormControlRecord& record) {
    FieldType type = record.field.type;
    if (type == FieldType::Image || type == FieldType::Hidden)
        return;
    record.control = m_window.CreateFormControl(SpecFor(record));
    if (record.control)
        SetInitialState(record);
}

void CFormControls::SetInitialState(CFormControlRecord& record) {
    const CFormField& field = record.field;
    CFormControl& control = *record.control;
    switch (field.type) {
    case FieldType::Checkbox:
        control.SetCheck(field.checked);
        break;
    case FieldType::Radio:
        if (field.checked)
            SelectRadio(record);
        else
            m_radioGroups.try_emplace(field.name, &record);
        break;
    case FieldType::Select:
        if (field.options.empty())
            break;
        if (IsDropDown(field)) {
            int32_t current = 0;
            for (size_t i = 0; i < field.options.size(); ++i)
                if (field.options[i].selected)
                    current = static_cast<int32_t>(i);
            control.SetCurrentIndex(current);
            break;
        }
        {
            // A list of one selection ignores this marking, so it starts
            // with nothing selected.
            bool any = false;
            for (size_t i = 0; i < field.options.size(); ++i)
                if (field.options[i].selected) {
                    control.SetSelected(static_cast<int32_t>(i), true);
                    any = true;
                }
            if (!any)
                control.SetSelected(0, true);
        }
        break;
    default:
        break;
    }
}

void CFormControls::SelectRadio(CFormControlRecord& radio) {
    // Radio buttons of different forms with the same name are one group.
    m_radioGroups[radio.field.name] = nullptr;
    m_map.ForEach([&radio](CFormControlRecord& record) {
        if (record.field.type == FieldType::Radio && record.control &&
            record.field.name == radio.field.name)
            record.control->SetCheck(false);
    });
    if (radio.control)
        radio.control->SetCheck(true);
}

std::optional<NavigateRequest> CFormControls::OnEvent(uint32_t commandId, FormControlEvent event) {
    CFormControlRecord* record = m_map.FindByCommand(commandId);
    if (!record)
        return std::nullopt;
    if (event == FormControlEvent::EnterPressed) {
        if (IsOneLineText(record->field.type) && SubmitsOnEnter(record->form))
            return Submit(record->form);
        return std::nullopt;
    }
    switch (record->field.type) {
    case FieldType::Radio:
        SelectRadio(*record);
        break;
    case FieldType::Submit:
        return Submit(record->form);
    case FieldType::Reset:
        Reset(record->form);
        break;
    default: // check boxes toggle by themselves
        break;
    }
    return std::nullopt;
}

bool CFormControls::SubmitsOnEnter(size_t form) const {
    int oneLineFields = 0;
    for (const CFormControlRecord* record : m_inOrder) {
        if (record->form != form)
            continue;
        if (record->field.type == FieldType::Submit)
            return true;
        if (IsOneLineText(record->field.type))
            ++oneLineFields;
    }
    return oneLineFields == 1;
}

void CFormControls::Reset(size_t form) {
    m_map.ForEach([this, form](CFormControlRecord& record) {
        if (record.form != form || !record.control)
            return;
        const CFormField& field = record.field;
        switch (field.type) {
        case FieldType::Text:
        case FieldType::Password:
        case FieldType::TextArea:
            record.control->SetText(field.value);
            break;
        case FieldType::Checkbox:
            record.control->SetCheck(field.checked);
            break;
        case FieldType::Radio:
            if (field.checked)
                SelectRadio(record);
            break;
        default: // lists keep their current selection
            break;
        }
    });
}

void CFormControls::AddPairs(CFormControlRecord& record, std::vector<FormPair>& pairs) {
    const CFormField& field = record.field;
    CFormControl* control = record.control.get();
    auto optionValue = [&field](size_t i) { return FormPair{field.name, field.options[i].value}; };
    switch (field.type) {
    case FieldType::Hidden:
        pairs.emplace_back(field.name, field.value);
        return;
    case FieldType::Image:
    case FieldType::Submit:
    case FieldType::Reset:
        return;
    default:
        break;
    }
    if (!control)
        return;
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Password: {
        // The control takes text of any length; only what is sent is cut.
        std::string text = control->GetText();
        if (field.maxlength >= 0 && text.size() > static_cast<size_t>(field.maxlength))
            text.resize(static_cast<size_t>(field.maxlength));
        pairs.emplace_back(field.name, std::move(text));
        return;
    }
    case FieldType::TextArea:
        pairs.emplace_back(field.name, WithCrLf(control->GetText()));
        return;
    case FieldType::Checkbox:
        if (control->GetCheck())
            pairs.emplace_back(field.name, field.value);
        return;
    case FieldType::Radio: {
        if (control->GetCheck()) {
            pairs.emplace_back(field.name, field.value);
            return;
        }
        // Nothing of the group has been chosen since the page was built:
        // the group sends the first radio it meets, which stays chosen.
        auto group = m_radioGroups.find(field.name);
        if (group != m_radioGroups.end() && group->second) {
            SelectRadio(record);
            pairs.emplace_back(field.name, field.value);
        }
        return;
    }
    case FieldType::Select: {
        if (field.options.empty())
            return;
        if (!field.multiple) {
            int32_t current = control->GetCurrentIndex();
            size_t index = current >= 0 && static_cast<size_t>(current) < field.options.size()
                               ? static_cast<size_t>(current)
                               : 0;
            pairs.push_back(optionValue(index));
            return;
        }
        size_t before = pairs.size();
        for (size_t i = 0; i < field.options.size(); ++i)
            if (control->IsSelected(static_cast<int32_t>(i)))
                pairs.push_back(optionValue(i));
        if (pairs.size() == before)
            pairs.push_back(optionValue(0));
        return;
    }
    default:
        return;
    }
}

std::optional<NavigateRequest> CFormControls::Submit(size_t form) {
    if (form >= m_forms.size())
        return std::nullopt;
    std::vector<FormPair> pairs;
    // The map's order, not the document's: servers see the pairs this way.
    m_map.ForEach([&](CFormControlRecord& record) {
        if (record.form == form)
            AddPairs(record, pairs);
    });
    const CFormTarget& target = m_forms[form];
    return FormRequest(target, FormBody(target.action, pairs));
}

void CFormControls::Clear() {
    m_inOrder.clear();
    m_radioGroups.clear();
    m_map.Clear();
    m_forms.clear();
    m_nextCommandId = FirstCommandId;
}

void CFormControls::ForEachInDocumentOrder(
    const std::function<void(const CFormControlRecord&)>& visit) const {
    for (const CFormControlRecord* record : m_inOrder)
        visit(*record);
}

CFormControls::ChooseResult CFormControls::ChooseOption(std::string_view name,
                                                        std::string_view text) {
    bool listFound = false;
    for (CFormControlRecord* record : m_inOrder) {
        const CFormField& field = record->field;
        if (field.type != FieldType::Select || field.name != name || !record->control)
            continue;
        listFound = true;
        for (size_t i = 0; i < field.options.size(); ++i) {
            if (field.options[i].text != text)
                continue;
            auto index = static_cast<int32_t>(i);
            if (field.multiple)
                record->control->SetSelected(index, !record->control->IsSelected(index));
            else
                record->control->SetCurrentIndex(index);
            return ChooseResult::Done;
        }
    }
    return listFound ? ChooseResult::NoOption : ChooseResult::NoList;
}
