#include "ui/headless/CHeadlessBackend.h"

#include "platform/ui/CommandIds.h"
#include "platform/ui/MainMenu.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

// The main window without a display: what it shows is kept in the backend,
// where tests and scripts read it, also after the window has gone.
class CHeadlessMainFrame final : public CMainFrameWindow {
public:
    explicit CHeadlessMainFrame(CHeadlessBackend& backend)
        : m_backend(backend), m_view(backend.m_viewSize) {
        m_backend.m_view = &m_view;
        m_backend.m_bars = {{.barId = BarId::ToolBar},
                            {.barId = BarId::LocationBar},
                            {.barId = BarId::StatusBar, .side = DockSide::Bottom}};
        m_backend.m_closed = false;
        m_backend.m_menus.clear();
        for (const Menu& menu : MainMenu()) {
            CHeadlessBackend::ShownMenu& shown = m_backend.m_menus.emplace_back();
            shown.title = std::string(menu.title);
            for (const MenuItem& item : menu.items)
                shown.items.push_back({.id = item.id,
                                       .text = std::string(MenuLabel(item.text)),
                                       .greyed = item.alwaysGreyed});
        }
        m_view.SetStatusSink([this](std::string_view text) { SetStatusText(text); });
        m_view.SetFocusOwner(&m_backend);
    }
    ~CHeadlessMainFrame() override {
        m_view.SetFocusOwner(nullptr);
        m_backend.m_view = nullptr;
        m_backend.m_focus = nullptr;
        m_backend.m_commandHandler = nullptr;
        m_backend.m_closeHandler = nullptr;
        m_backend.m_findHandler = nullptr;
        m_backend.m_timerTick = nullptr;
        m_backend.m_menuOpenHandler = nullptr;
        // The dialog's logic goes with the application that owns the window.
        m_backend.m_hotlistDialog = nullptr;
        m_backend.m_hotlistClosed = nullptr;
        m_backend.m_enabledCommands.clear();
        m_backend.m_checkedCommands.clear();
    }

    void SetTitle(std::string_view title) override { m_backend.m_title = title; }
    void SetStatusText(std::string_view text) override { m_backend.m_statusText = text; }
    void SetLocation(std::string_view url) override { m_backend.m_location.SetText(url); }
    void Show() override {}
    CViewWindow& ViewWindow() override { return m_view; }
    void SetCommandHandler(CommandHandler handler) override {
        m_backend.m_commandHandler = std::move(handler);
    }
    void SetCloseHandler(CloseHandler handler) override {
        m_backend.m_closeHandler = std::move(handler);
    }
    void Close() override {
        m_backend.m_closed = true;
        m_backend.m_input.QueueQuit();
    }
    void EnableCommand(unsigned id, bool enabled) override {
        if (enabled)
            m_backend.m_enabledCommands.insert(id);
        else
            m_backend.m_enabledCommands.erase(id);
    }
    void CheckCommand(unsigned id, bool checked) override {
        if (checked)
            m_backend.m_checkedCommands.insert(id);
        else
            m_backend.m_checkedCommands.erase(id);
    }
    std::vector<BarPlacement> BarLayout() const override { return m_backend.m_bars; }
    void SetBarLayout(const std::vector<BarPlacement>& layout) override {
        m_backend.m_bars = layout;
        // A hidden location bar takes its field, and the focus, with it.
        auto location = std::find_if(layout.begin(), layout.end(), [](const BarPlacement& bar) {
            return bar.barId == BarId::LocationBar;
        });
        if (location != layout.end() && !location->visible && m_backend.LocationHasFocus())
            m_backend.m_focus = nullptr;
    }
    std::string AddressText() const override { return m_backend.m_location.Text(); }
    bool AddressHasFocus() const override { return m_backend.LocationHasFocus(); }
    bool ClipboardHasText() const override {
        return m_backend.m_clipboard && !m_backend.m_clipboard->empty();
    }
    void EditAddress(EditAction action) override { m_backend.m_location.Edit(action); }
    void ShowAnimationFrame(int index) override { m_backend.m_animationFrame = index; }
    void StartTimer(unsigned, TimerCallback tick) override {
        m_backend.m_timerTick = std::move(tick);
    }
    void StopTimer() override { m_backend.m_timerTick = nullptr; }
    void ShowFindBar() override { m_backend.m_findBarShown = true; }
    void SetFindHandler(FindHandler handler) override {
        m_backend.m_findHandler = std::move(handler);
    }
    // No keyboard: nothing is locked.
    void UpdateIndicators() override {}
    void SetMenuOpenHandler(MenuOpenHandler handler) override {
        m_backend.m_menuOpenHandler = std::move(handler);
    }
    void ReplaceMenuItems(unsigned first, size_t removeCount,
                          const std::vector<DynamicMenuItem>& items) override {
        for (CHeadlessBackend::ShownMenu& menu : m_backend.m_menus) {
            auto at =
                std::find_if(menu.items.begin(), menu.items.end(),
                             [first](const DynamicMenuItem& item) { return item.id == first; });
            if (at == menu.items.end())
                continue;
            const size_t position = static_cast<size_t>(at - menu.items.begin());
            for (unsigned id = first; id < first + removeCount; ++id)
                std::erase_if(menu.items,
                              [id](const DynamicMenuItem& item) { return item.id == id; });
            menu.items.insert(menu.items.begin() + static_cast<std::ptrdiff_t>(position),
                              items.begin(), items.end());
            return;
        }
    }

private:
    CHeadlessBackend& m_backend;
    CHeadlessViewWindow m_view;
};

std::unique_ptr<CMainFrameWindow> CHeadlessBackend::CreateMainFrame() {
    return std::make_unique<CHeadlessMainFrame>(*this);
}

void CHeadlessLocationField::SetText(std::string_view text) {
    m_text = text;
    m_selectionStart = m_selectionEnd = m_text.size();
}

void CHeadlessLocationField::SelectAll() {
    m_selectionStart = 0;
    m_selectionEnd = m_text.size();
}

std::string_view CHeadlessLocationField::Selection() const {
    return std::string_view(m_text).substr(m_selectionStart, m_selectionEnd - m_selectionStart);
}

void CHeadlessLocationField::ReplaceSelection(std::string_view text) {
    m_undoText = m_text;
    m_text.replace(m_selectionStart, m_selectionEnd - m_selectionStart, text);
    m_selectionStart = m_selectionEnd = m_selectionStart + text.size();
}

void CHeadlessLocationField::Edit(EditAction action) {
    switch (action) {
    case EditAction::Cut:
        if (m_selectionStart == m_selectionEnd)
            return;
        m_backend.m_clipboard = std::string(Selection());
        ReplaceSelection({});
        break;
    case EditAction::Copy:
        if (m_selectionStart != m_selectionEnd)
            m_backend.m_clipboard = std::string(Selection());
        break;
    case EditAction::Paste:
        if (m_backend.m_clipboard)
            ReplaceSelection(*m_backend.m_clipboard);
        break;
    case EditAction::Undo: {
        std::string before = m_text;
        SetText(m_undoText);
        m_undoText = std::move(before);
        break;
    }
    }
}

void CHeadlessLocationField::TypeText(std::string_view text) {
    ReplaceSelection(text);
}

void CHeadlessLocationField::PressKey(std::string_view name) {
    if (name == "Return") {
        m_backend.ChooseCommand(CommandId::OpenLocation);
    } else if (name == "BackSpace" || name == "Delete") {
        if (m_selectionStart == m_selectionEnd) {
            if (name == "BackSpace" && m_selectionStart > 0)
                --m_selectionStart;
            else if (name == "Delete" && m_selectionEnd < m_text.size())
                ++m_selectionEnd;
        }
        ReplaceSelection({});
    } else if (name == "Home" || name == "End") {
        m_selectionStart = m_selectionEnd = name == "Home" ? 0 : m_text.size();
    }
}

void CHeadlessBackend::FocusLocation() {
    bool shown = std::any_of(m_bars.begin(), m_bars.end(), [](const BarPlacement& bar) {
        return bar.barId == BarId::LocationBar && bar.visible;
    });
    if (!m_view || !shown)
        return;
    m_location.SelectAll();
    m_focus = &m_location;
}

bool CHeadlessBackend::TickTimer() {
    if (!m_timerTick)
        return false;
    // The tick may stop the timer, which must not destroy it mid-call.
    CMainFrameWindow::TimerCallback tick = m_timerTick;
    tick();
    return true;
}

bool CHeadlessBackend::Find(const std::string& text) {
    return m_findHandler && m_findHandler(text);
}

void CHeadlessBackend::RequestClose() {
    if (m_closeHandler)
        m_closeHandler();
}

void CHeadlessBackend::ChooseCommand(unsigned id) {
    if (m_commandHandler && m_enabledCommands.contains(id))
        m_commandHandler(id);
}

void CHeadlessBackend::TypeText(std::string_view text) {
    if (m_focus)
        m_focus->TypeText(text);
}

void CHeadlessBackend::PressKey(std::string_view name, CHeadlessViewWindow* page) {
    if (m_focus)
        return m_focus->PressKey(name);
    // From the page, Tab goes to the first control that takes the focus.
    if (name == "Tab" && m_view) {
        m_view->FocusNextControl(nullptr);
        return;
    }
    struct PageKey {
        std::string_view name;
        ViewKey key;
    };
    static constexpr PageKey keys[] = {
        {"Page_Up", ViewKey::PageUp}, {"Page_Down", ViewKey::PageDown},
        {"Home", ViewKey::Home},      {"End", ViewKey::End},
        {"Up", ViewKey::Up},          {"Down", ViewKey::Down},
        {"Left", ViewKey::Left},      {"Right", ViewKey::Right},
    };
    if (!page)
        page = m_view;
    for (const PageKey& key : keys)
        if (key.name == name && page)
            page->Key(key.key);
}

void CHeadlessBackend::EnterAddress(const std::string& typed) {
    m_location.SetText(typed);
    ChooseCommand(CommandId::OpenLocation);
}

namespace {

struct ButtonWord {
    MessageBoxResult result;
    std::string_view word;
    std::string_view label;
};
constexpr ButtonWord kButtonWords[] = {
    {MessageBoxResult::Ok, "ok", "OK"},
    {MessageBoxResult::Cancel, "cancel", "Cancel"},
    {MessageBoxResult::Yes, "yes", "Yes"},
    {MessageBoxResult::No, "no", "No"},
};

std::string_view LabelOf(MessageBoxResult result) {
    for (const ButtonWord& button : kButtonWords)
        if (button.result == result)
            return button.label;
    return "?";
}

bool HasButton(MessageBoxButtons buttons, MessageBoxResult result) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return result == MessageBoxResult::Ok;
    case MessageBoxButtons::OkCancel:
        return result == MessageBoxResult::Ok || result == MessageBoxResult::Cancel;
    case MessageBoxButtons::YesNo:
        return result == MessageBoxResult::Yes || result == MessageBoxResult::No;
    case MessageBoxButtons::YesNoCancel:
        return result != MessageBoxResult::Ok;
    }
    return false;
}

// What a question left alone answers: the choice that changes nothing.
MessageBoxResult DefaultButton(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return MessageBoxResult::Ok;
    case MessageBoxButtons::YesNo:
        return MessageBoxResult::No;
    case MessageBoxButtons::OkCancel:
    case MessageBoxButtons::YesNoCancel:
        break;
    }
    return MessageBoxResult::Cancel;
}

std::string_view WordOf(MessageBoxResult result) {
    for (const ButtonWord& button : kButtonWords)
        if (button.result == result)
            return button.word;
    return "?";
}

void Report(std::string_view text) {
    std::fprintf(stderr, "vestrial: %.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace

void CHeadlessBackend::QueueAnswer(MessageBoxResult answer) {
    m_answers.Push(QuestionKind, {std::string(WordOf(answer))});
}

void CHeadlessBackend::QueueLogin(std::optional<LoginAnswer> login) {
    if (login)
        m_answers.Push(LoginKind, {"ok", login->user, login->password});
    else
        m_answers.Push(LoginKind, {"cancel"});
}

void CHeadlessBackend::QueueSaveOrDiscard(bool save) {
    m_answers.Push(SaveOrDiscardKind, {save ? "save" : "discard"});
}

void CHeadlessBackend::QueueSaveFileName(std::optional<std::string> path) {
    m_answers.Push(SaveFileNameKind, path ? CAnswerQueue::Answer{*path} : CAnswerQueue::Answer{});
}

MessageBoxResult CHeadlessBackend::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                              MessageBoxIcon) {
    Report(text);
    MessageBoxResult answer = DefaultButton(buttons);
    // A notice with only an OK button asks nothing: it takes no answer.
    if (buttons != MessageBoxButtons::Ok) {
        std::optional<CAnswerQueue::Answer> queued = m_answers.Take(QuestionKind);
        const ButtonWord* chosen = nullptr;
        if (queued && queued->size() == 1)
            for (const ButtonWord& button : kButtonWords)
                if (button.word == queued->front() && HasButton(buttons, button.result))
                    chosen = &button;
        if (chosen) {
            answer = chosen->result;
            Report("answered " + std::string(chosen->label));
        } else {
            std::string why =
                queued ? "the answer queued fits none of its buttons" : "no answer queued";
            Report(why + ": " + std::string(LabelOf(answer)));
        }
    }
    m_shown.push_back({std::string(text), buttons, answer});
    return answer;
}

bool CHeadlessBackend::AskSaveOrDiscard(std::string_view url, std::string_view contentType) {
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(SaveOrDiscardKind);
    // Nothing is written unless a script asks for it.
    bool save = queued && queued->size() == 1 && queued->front() == "save";
    std::fprintf(stderr, "vestrial: no viewer for %.*s (%.*s): %s\n", static_cast<int>(url.size()),
                 url.data(), static_cast<int>(contentType.size()), contentType.data(),
                 save ? "saving" : "discarded");
    return save;
}

std::optional<std::string> CHeadlessBackend::AskSaveFileName(std::string_view proposedName) {
    m_proposed.emplace_back(proposedName);
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(SaveFileNameKind);
    if (!queued || queued->size() != 1)
        return std::nullopt;
    return queued->front();
}

std::optional<std::string> CHeadlessBackend::AskOpenFileName() {
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(OpenFileKind);
    if (!queued || queued->size() != 1) {
        Report("Open: no file chosen");
        return std::nullopt;
    }
    return queued->front();
}

std::optional<std::string> CHeadlessBackend::AskOpenUrl() {
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(OpenUrlKind);
    if (!queued || queued->size() != 1) {
        Report("Open URL: Cancel");
        return std::nullopt;
    }
    return queued->front();
}

std::optional<LoginAnswer> CHeadlessBackend::AskLogin() {
    ++m_loginsAsked;
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(LoginKind);
    if (!queued) {
        Report("Authorization Required: no answer queued: Cancel");
        return std::nullopt;
    }
    if (queued->size() != 3 || queued->front() != "ok") {
        Report("Authorization Required: Cancel");
        return std::nullopt;
    }
    Report("Authorization Required: OK as \"" + (*queued)[1] + "\"");
    return LoginAnswer{(*queued)[1], (*queued)[2]};
}

void CHeadlessBackend::Notice(std::string_view text) {
    std::fprintf(stderr, "vestrial: %.*s\n", static_cast<int>(text.size()), text.data());
    m_notices.emplace_back(text);
}

namespace {

std::string* FieldNamed(MailFields& fields, std::string_view name) {
    if (name == "to")
        return &fields.to;
    if (name == "cc")
        return &fields.cc;
    if (name == "subject")
        return &fields.subject;
    if (name == "body")
        return &fields.body;
    return nullptr;
}

} // namespace

std::optional<MailFields> CHeadlessBackend::AskSendMail(const MailFields& fields) {
    ShownMail shown{fields};
    while (std::optional<CAnswerQueue::Answer> typed = m_answers.Take(MailFieldKind))
        if (std::string* field =
                typed->size() == 2 ? FieldNamed(shown.fields, typed->front()) : nullptr)
            *field = (*typed)[1];
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(QuestionKind);
    shown.sent = queued && queued->size() == 1 && queued->front() == "ok";
    if (!queued)
        Report("Send Mail: no answer queued: Cancel");
    else if (shown.sent)
        Report("Send Mail: Send to \"" + shown.fields.to + "\"");
    else
        Report("Send Mail: Cancel");
    m_mails.push_back(shown);
    if (!shown.sent)
        return std::nullopt;
    return shown.fields;
}

std::optional<std::vector<DynamicMenuItem>> CHeadlessBackend::OpenMenu(std::string_view name) {
    auto matches = [name](const ShownMenu& menu) {
        std::string title;
        for (char c : menu.title)
            if (c != '&')
                title += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return title == name;
    };
    auto menu = std::find_if(m_menus.begin(), m_menus.end(), matches);
    if (menu == m_menus.end())
        return std::nullopt;
    if (m_menuOpenHandler)
        m_menuOpenHandler();
    std::vector<DynamicMenuItem> shown = menu->items;
    for (DynamicMenuItem& item : shown)
        item.greyed = item.id != 0 && (item.greyed || !m_enabledCommands.contains(item.id));
    return shown;
}

void CHeadlessBackend::EditHotlist(CHotlistDialogModel& model,
                                   std::function<void(HotlistDialogResult)> closed) {
    m_hotlistDialog = &model;
    m_hotlistClosed = std::move(closed);
}

void CHeadlessBackend::CloseHotlistDialog(HotlistDialogResult result) {
    if (!m_hotlistDialog)
        return;
    // The model belongs to whoever hears that the dialog has gone.
    m_hotlistDialog = nullptr;
    auto closed = std::move(m_hotlistClosed);
    m_hotlistClosed = nullptr;
    if (closed)
        closed(result);
}

void CHeadlessBackend::ShowPreferences(CPreferenceSheet& sheet,
                                       std::function<void(bool ok)> closed) {
    Report(std::string(sheet.Title()) + ": shown");
    m_preferences = &sheet;
    m_preferencesClosed = std::move(closed);
    m_preferenceSelection.clear();
}

void CHeadlessBackend::DismissPreferences() {
    m_preferences = nullptr;
    m_preferencesClosed = nullptr;
    m_preferenceSelection.clear();
}

bool CHeadlessBackend::ClosePreferences(bool ok) {
    if (!m_preferences || (ok && !m_preferences->Confirm()))
        return false;
    Report(std::string(m_preferences->Title()) + (ok ? ": OK" : ": Cancel"));
    std::function<void(bool)> closed = std::move(m_preferencesClosed);
    DismissPreferences();
    if (closed)
        closed(ok);
    return true;
}

UnregisterAnswer CHeadlessBackend::AskUnregisterControl(std::string_view displayName) {
    m_unregisterQuestions.emplace_back(displayName);
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(QuestionKind);
    struct Word {
        std::string_view word;
        UnregisterAnswer answer;
    };
    static constexpr Word words[] = {{"yes", UnregisterAnswer::Yes},
                                     {YesToAllWord, UnregisterAnswer::YesToAll},
                                     {"no", UnregisterAnswer::No},
                                     {"cancel", UnregisterAnswer::Cancel}};
    std::string asked = "You have requested to unregister : " + std::string(displayName);
    if (queued && queued->size() == 1)
        for (const Word& word : words)
            if (word.word == queued->front()) {
                Report(asked + ": " + std::string(word.word));
                return word.answer;
            }
    Report(asked +
           (queued ? ": the answer queued fits none of its buttons" : ": no answer queued") +
           ": cancel");
    return UnregisterAnswer::Cancel;
}

bool CHeadlessBackend::AskDownloadControl(const ControlDownloadQuestion& question) {
    m_downloadQuestions.push_back(question);
    std::optional<CAnswerQueue::Answer> queued = m_answers.Take(QuestionKind);
    bool yes = queued && queued->size() == 1 && queued->front() == "yes";
    std::string asked(ControlDownloadQuestion::Question);
    asked.append(" ").append(question.httpSite);
    if (!queued)
        asked.append(": no answer queued");
    asked.append(yes ? ": yes" : ": no");
    Report(asked);
    return yes;
}
