#include "ui/fltk/CFltkFormControl.h"

#include "platform/Windows1252.h"
#include "ui/fltk/CFltkViewWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Multi_Browser.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Secret_Input.H>

#include <vector>

namespace {

// What every control widget knows: where to report and with which id.
struct CControlTag {
    CFltkViewWindow* window;
    uint32_t commandId;
};

void OnClicked(Fl_Widget*, void* data) {
    const auto* tag = static_cast<const CControlTag*>(data);
    tag->window->ReportFormControlEvent(tag->commandId, FormControlEvent::Clicked);
}

// A one-line input where Enter asks for the form to be submitted.
template <class Input> class CEnterInput final : public Input, public CControlTag {
public:
    CEnterInput(CFltkViewWindow& window, uint32_t id, int x, int y, int w, int h)
        : Input(x, y, w, h), CControlTag{&window, id} {}
    int handle(int event) override {
        if (event == FL_KEYBOARD &&
            (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
            // The submission may take this widget off the page: nothing of
            // it is touched afterwards.
            window->ReportFormControlEvent(commandId, FormControlEvent::EnterPressed);
            return 1;
        }
        return Input::handle(event);
    }
};

// A button that reports its clicks. Check and round buttons have no
// background of their own: the page shows round them, as it does round a
// check box on a page's colour.
template <class Button> class CReportingButton final : public Button, public CControlTag {
public:
    CReportingButton(CFltkViewWindow& window, uint32_t id, int x, int y, int w, int h,
                     bool transparent)
        : Button(x, y, w, h), CControlTag{&window, id}, m_transparent(transparent) {
        this->callback(OnClicked, static_cast<CControlTag*>(this));
        if (transparent)
            this->box(FL_NO_BOX);
    }
    void draw() override {
        if (m_transparent)
            window->PaintPageUnder(*this);
        Button::draw();
    }

private:
    bool m_transparent;
};

// FLTK reads "@" in labels as the start of a symbol and "&" in menus as a
// shortcut mark; doubled, each shows itself.
std::string Escaped(std::string_view text, bool menu) {
    std::string utf8 = Windows1252ToUtf8(text);
    std::string escaped;
    for (char c : utf8) {
        escaped += c;
        if (c == '@' || (menu && c == '&'))
            escaped += c;
    }
    return escaped;
}

// The toolkit breaks lines at LF alone.
std::string ToToolkitText(std::string_view text) {
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    return Windows1252ToUtf8(lines);
}

} // namespace

CFltkFormControl::CFltkFormControl(CFltkViewWindow& window, const CFormControlSpec& spec)
    : m_window(window), m_kind(spec.kind), m_rect(spec.rect) {
    // The page area adopts the widget itself: no group that happens to be
    // open may take it.
    Fl_Group* open = Fl_Group::current();
    Fl_Group::current(nullptr);
    MakeWidget(spec);
    Fl_Group::current(open);
    m_widget->labelsize(FL_NORMAL_SIZE);
    m_window.AddFormControl(*this);
}

CFltkFormControl::~CFltkFormControl() {
    m_window.RemoveFormControl(*this);
    // The menu's texts are this object's.
    if (m_choice)
        m_choice->clear();
    // Deleted by the toolkit once the event being handled is over: this may
    // run inside the widget's own callback.
    Fl::delete_widget(m_widget);
}

void CFltkFormControl::MakeWidget(const CFormControlSpec& spec) {
    const uint32_t id = spec.commandId;
    // Placed for real by the page area, which knows the scroll position.
    const int w = spec.rect.Width();
    const int h = spec.rect.Height();
    switch (spec.kind) {
    case FormControlKind::Edit:
        m_input = new CEnterInput<Fl_Input>(m_window, id, 0, 0, w, h); // owned by the page area
        break;
    case FormControlKind::PasswordEdit:
        m_input = new CEnterInput<Fl_Secret_Input>(m_window, id, 0, 0, w, h); // likewise
        break;
    case FormControlKind::MultiLineEdit:
        m_input = new Fl_Multiline_Input(0, 0, w, h); // likewise
        break;
    case FormControlKind::CheckBox:
        m_button = new CReportingButton<Fl_Check_Button>(m_window, id, 0, 0, w, h, true);
        break;
    case FormControlKind::RadioButton:
        m_button = new CReportingButton<Fl_Round_Button>(m_window, id, 0, 0, w, h, true);
        // Not a radio button of the toolkit's: the view decides what is
        // checked, across forms.
        m_button->type(FL_NORMAL_BUTTON);
        break;
    case FormControlKind::PushButton:
    case FormControlKind::DefaultPushButton:
        m_button = new CReportingButton<Fl_Button>(m_window, id, 0, 0, w, h, false);
        m_caption = Escaped(spec.text, false);
        m_button->label(m_caption.c_str());
        if (spec.kind == FormControlKind::DefaultPushButton)
            m_button->labelfont(FL_HELVETICA_BOLD);
        break;
    case FormControlKind::DropDownList: {
        m_choice = new Fl_Choice(0, 0, w, h); // likewise
        for (const std::string& option : spec.options)
            m_optionTexts.push_back(Escaped(option, true));
        std::vector<Fl_Menu_Item> items(m_optionTexts.size() + 1, Fl_Menu_Item{});
        for (size_t i = 0; i < m_optionTexts.size(); ++i)
            items[i].text = m_optionTexts[i].c_str();
        // copy() keeps its own array of items but points at these texts.
        m_choice->copy(items.data());
        m_choice->down_box(FL_BORDER_BOX);
        break;
    }
    case FormControlKind::ListBox:
    case FormControlKind::MultiSelectList:
        if (spec.kind == FormControlKind::ListBox)
            m_browser = new Fl_Hold_Browser(0, 0, w, h); // likewise
        else
            m_browser = new Fl_Multi_Browser(0, 0, w, h); // likewise
        // "@." shows the rest of the line as it is, without format codes.
        for (const std::string& option : spec.options)
            m_browser->add(("@." + Windows1252ToUtf8(option)).c_str());
        break;
    }
    m_widget = m_input    ? static_cast<Fl_Widget*>(m_input)
               : m_button ? static_cast<Fl_Widget*>(m_button)
               : m_choice ? static_cast<Fl_Widget*>(m_choice)
                          : static_cast<Fl_Widget*>(m_browser);
    if (m_input)
        SetText(spec.text);
}

void CFltkFormControl::Move(const CRect& rect) {
    m_rect = rect;
    m_window.PlaceFormControl(*this);
}

std::string CFltkFormControl::GetText() const {
    return m_input ? Utf8ToWindows1252(m_input->value()) : std::string();
}

void CFltkFormControl::SetText(std::string_view text) {
    if (!m_input)
        return;
    m_input->value(ToToolkitText(text).c_str());
    // Show the start of the text, as a new field does.
    m_input->position(0);
}

bool CFltkFormControl::GetCheck() const {
    return m_button && m_button->value() != 0;
}

void CFltkFormControl::SetCheck(bool checked) {
    if (m_kind == FormControlKind::CheckBox || m_kind == FormControlKind::RadioButton)
        m_button->value(checked ? 1 : 0);
}

int32_t CFltkFormControl::GetCurrentIndex() const {
    if (m_choice)
        return m_choice->value();
    if (m_browser && m_kind == FormControlKind::ListBox)
        return m_browser->value() - 1;
    return -1;
}

void CFltkFormControl::SetCurrentIndex(int32_t index) {
    if (m_choice && index >= -1 && index < m_choice->size() - 1) {
        m_choice->value(index);
    } else if (m_browser && m_kind == FormControlKind::ListBox && index >= -1 &&
               index < m_browser->size()) {
        m_browser->deselect();
        if (index >= 0)
            m_browser->select(index + 1);
    }
}

bool CFltkFormControl::IsSelected(int32_t index) const {
    if (!m_browser || index < 0 || index >= m_browser->size())
        return false;
    return m_browser->selected(index + 1) != 0;
}

void CFltkFormControl::SetSelected(int32_t index, bool selected) {
    if (m_kind != FormControlKind::MultiSelectList || index < 0 || index >= m_browser->size())
        return;
    m_browser->select(index + 1, selected ? 1 : 0);
}
