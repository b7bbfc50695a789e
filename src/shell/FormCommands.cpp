// Script commands for the forms of the page shown: choosing an option and
// printing every field's state.
#include "app/CTarnwickApp.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CScriptCommands.h"
#include "view/CTarnwickView.h"

#include <ostream>

namespace {

std::string_view TypeName(FieldType type) {
    switch (type) {
    case FieldType::Text:
        return "text";
    case FieldType::Password:
        return "password";
    case FieldType::Checkbox:
        return "checkbox";
    case FieldType::Radio:
        return "radio";
    case FieldType::Image:
        return "image";
    case FieldType::Hidden:
        return "hidden";
    case FieldType::Submit:
        return "submit";
    case FieldType::Reset:
        return "reset";
    case FieldType::Select:
        return "select";
    case FieldType::TextArea:
        return "textarea";
    }
    return "?";
}

// In double quotes as a script writes a word, with line breaks shown as \r
// and \n.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\r')
            quoted += "\\r";
        else if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + '"';
}

// What the field shows now: its text, whether it is checked, its chosen
// options or its caption.
std::string StateOf(const CFormControlRecord& record) {
    const CFormField& field = record.field;
    const CFormControl* control = record.control.get();
    switch (field.type) {
    case FieldType::Hidden:
        return Quoted(field.value);
    case FieldType::Image:
        return "-";
    default:
        break;
    }
    if (!control)
        return "-";
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Password:
    case FieldType::TextArea:
        return Quoted(control->GetText());
    case FieldType::Checkbox:
    case FieldType::Radio:
        return control->GetCheck() ? "checked" : "unchecked";
    case FieldType::Submit:
    case FieldType::Reset:
        return Quoted(field.value.empty() ? (field.type == FieldType::Submit ? "Submit" : "Reset")
                                          : field.value);
    case FieldType::Select: {
        std::string chosen;
        for (size_t i = 0; i < field.options.size(); ++i) {
            auto index = static_cast<int32_t>(i);
            bool on =
                field.multiple ? control->IsSelected(index) : control->GetCurrentIndex() == index;
            if (on)
                chosen += (chosen.empty() ? "" : " ") + Quoted(field.options[i].text);
        }
        return chosen.empty() ? "none" : chosen;
    }
    default:
        return "-";
    }
}

// "FORM TYPE NAME STATE" per field, forms counted from 1.
ScriptResult PrintForms(const ScriptCall& call) {
    CTarnwickView* view = ScriptApp().TopView();
    if (!view)
        return ScriptResult::Failed("there is no page window");
    view->FormControls().ForEachInDocumentOrder([&call](const CFormControlRecord& record) {
        call.out << record.form + 1 << ' ' << TypeName(record.field.type) << ' '
                 << Quoted(record.field.name) << ' ' << StateOf(record) << '\n';
    });
    return ScriptResult::Done();
}

ScriptResult Select(const ScriptCall& call) {
    CTarnwickView* view = ScriptApp().TopView();
    if (!view)
        return ScriptResult::Failed("there is no page window");
    switch (view->FormControls().ChooseOption(call.Arg(0), call.Arg(1))) {
    case CFormControls::ChooseResult::Done:
        return ScriptResult::Done();
    case CFormControls::ChooseResult::NoList:
        return ScriptResult::Failed("the page has no list called " + Quoted(call.Arg(0)));
    case CFormControls::ChooseResult::NoOption:
        return ScriptResult::Failed("the list " + Quoted(call.Arg(0)) + " has no option " +
                                    Quoted(call.Arg(1)));
    }
    return ScriptResult::Done();
}

const ScriptCommandRegistration kFormCommands(
    {{.name = "select", .usage = "select NAME TEXT", .minArgs = 2, .maxArgs = 2, .run = Select}},
    {{"form", PrintForms}});

} // namespace
