#pragma once

#include "platform/ui/CUiBackend.h"
#include "ui/headless/CAnswerQueue.h"
#include "ui/headless/CHeadlessFocus.h"
#include "ui/headless/CHeadlessInput.h"
#include "ui/headless/CHeadlessViewWindow.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

class CHeadlessBackend;

// The location bar's address field: its text, a selection, and what undo
// brings back. It takes typed text and keys while it has the focus; Enter
// chooses the Open command.
class CHeadlessLocationField final : public CHeadlessFocus {
public:
    explicit CHeadlessLocationField(CHeadlessBackend& backend) : m_backend(backend) {}

    [[nodiscard]] const std::string& Text() const { return m_text; }
    // Replaces the text (the page shown, or a test); nothing is selected.
    void SetText(std::string_view text);
    void SelectAll();
    [[nodiscard]] std::string_view Selection() const;
    void Edit(EditAction action);

    void TypeText(std::string_view text) override;
    void PressKey(std::string_view name) override;

private:
    // Replaces the selection by text, remembering the text before for undo.
    void ReplaceSelection(std::string_view text);

    CHeadlessBackend& m_backend;
    std::string m_text;
    std::string m_undoText;
    size_t m_selectionStart = 0; // the caret when nothing is selected
    size_t m_selectionEnd = 0;
};

// The backend without a display. Message boxes print to stderr and are
// recorded for tests. Every dialog takes its answer from the answer queue,
// where a script or a test put it beforehand; a dialog with none queued takes
// its default (Cancel, No, discard) and says so on stderr, so every question
// the engine asks can be tested.
class CHeadlessBackend final : public CUiBackend, public CHeadlessFocusOwner {
public:
    // The kinds of answer the dialogs here take, and their words:
    // a question (any message box with more than an OK button): "yes", "no",
    // "ok" or "cancel";
    static constexpr std::string_view QuestionKind = "question";
    // the "Authorization Required" dialog: "ok" USER PASSWORD, or "cancel";
    static constexpr std::string_view LoginKind = "login";
    // the save-or-discard question: "save" or "discard";
    static constexpr std::string_view SaveOrDiscardKind = "save-or-discard";
    // the save dialog: the path, or nothing for Cancel.
    static constexpr std::string_view SaveFileNameKind = "save-as";
    // the open-file dialog: the path, or nothing for Cancel;
    static constexpr std::string_view OpenFileKind = "open-file";
    // the "Open URL" dialog: the text, or nothing for Cancel.
    static constexpr std::string_view OpenUrlKind = "open-url";
    // the "Send Mail" dialog: every answer of this kind queued when it comes
    // up is typed into it, in order: a field ("to", "cc", "subject" or
    // "body") and its new text; then it takes a question's answer: "ok" is
    // Send, anything else (or none) Cancel.
    static constexpr std::string_view MailFieldKind = "mail-field";
    // The unregister confirmation takes a question's answer: "yes", "no",
    // "cancel" or "yes-to-all"; none (or another) is Cancel.
    static constexpr std::string_view YesToAllWord = "yes-to-all";

    struct ShownMessage {
        std::string text;
        MessageBoxButtons buttons;
        MessageBoxResult answer;
    };
    // The "Send Mail" dialog as it was closed.
    struct ShownMail {
        MailFields fields;
        bool sent = false;
    };

    CHeadlessInput& Script() { return m_input; }
    CAnswerQueue& Answers() { return m_answers; }
    void QueueAnswer(MessageBoxResult answer);
    // Nothing queues a Cancel.
    void QueueLogin(std::optional<LoginAnswer> login);
    void QueueSaveOrDiscard(bool save);
    void QueueSaveFileName(std::optional<std::string> path);
    // The proposed names the save dialog was shown with.
    const std::vector<std::string>& ProposedFileNames() const { return m_proposed; }
    const std::vector<ShownMessage>& Shown() const { return m_shown; }
    // The status-bar notices, in order.
    const std::vector<std::string>& Notices() const { return m_notices; }
    // How often the "Authorization Required" dialog was shown.
    int LoginsAsked() const { return m_loginsAsked; }
    // Every "Send Mail" dialog shown, oldest first.
    const std::vector<ShownMail>& MailsShown() const { return m_mails; }
    const std::string& StatusText() const { return m_statusText; }
    const std::string& Title() const { return m_title; }
    // The address field's text.
    const std::string& Location() const { return m_location.Text(); }

    // The client size of the page window of main frames made from now on.
    void SetViewSize(CPoint size) { m_viewSize = size; }
    // The page window of the main frame, while one exists.
    CHeadlessViewWindow* View() { return m_view; }
    // As if the user typed text into the location field and pressed Enter.
    void EnterAddress(const std::string& typed);
    // As if the user clicked into the address field: it takes the focus
    // with all of its text selected.
    void FocusLocation();
    [[nodiscard]] bool LocationHasFocus() const { return m_focus == &m_location; }
    // What cut and copy put on the clipboard; nothing until then.
    [[nodiscard]] const std::optional<std::string>& Clipboard() const { return m_clipboard; }
    // As if the user chose the command from the menu or the tool bar: only
    // an enabled command does anything.
    void ChooseCommand(unsigned id);
    // null gives the focus back to the page.
    void SetFocus(CHeadlessFocus* focus) override { m_focus = focus; }
    void ReleaseFocus(CHeadlessFocus* focus) override {
        if (m_focus == focus)
            m_focus = nullptr;
    }
    CHeadlessFocus* Focus() const { return m_focus; }
    // Typing and keys go to whatever has the focus. The page scrolls by its
    // keys and takes no text; page is the window that takes them (a frame's),
    // or the main frame's when null.
    void TypeText(std::string_view text);
    void PressKey(std::string_view name, CHeadlessViewWindow* page = nullptr);
    // Whether the frame shows the command enabled (checked) now.
    bool CommandEnabled(unsigned id) const { return m_enabledCommands.contains(id); }
    bool CommandChecked(unsigned id) const { return m_checkedCommands.contains(id); }
    // The bars and where they stand, as the frame shows them now.
    const std::vector<BarPlacement>& Bars() const { return m_bars; }
    // The location bar's animation: the frame drawn last, and its timer.
    int AnimationFrame() const { return m_animationFrame; }
    bool TimerRunning() const { return static_cast<bool>(m_timerTick); }
    // Fires the location bar's timer once, as the time it waits passing
    // would; false when it does not run.
    bool TickTimer();
    // The find bar: whether it was brought up, and a search typed into it
    // (false: not found, or no frame to search in).
    bool FindBarShown() const { return m_findBarShown; }
    bool Find(const std::string& text);
    // A drop-down menu of the menu bar, by its title without "&" in lower
    // case ("hotlist"), opened as a click on it does: its items as shown
    // then (separators have id 0), or nothing when there is no such menu.
    [[nodiscard]] std::optional<std::vector<DynamicMenuItem>> OpenMenu(std::string_view name);
    // The "Edit Hotlist" dialog while it is open (null otherwise), and its
    // closing, as its buttons close it.
    CHotlistDialogModel* HotlistDialog() { return m_hotlistDialog; }
    void CloseHotlistDialog(HotlistDialogResult result);
    // Whether the frame has been closed (Exit, or the close box).
    bool Closed() const { return m_closed; }
    // As if the user clicked the window's close box.
    void RequestClose();

    // The preferences sheet while it is shown, else null.
    CPreferenceSheet* Preferences() { return m_preferences; }
    // The lines of the sheet's list that are selected; set by the script.
    std::vector<size_t>& PreferenceSelection() { return m_preferenceSelection; }
    // OK or Cancel on the sheet: false when OK found a wrong number (the
    // sheet stays, with the message shown) or no sheet is shown.
    bool ClosePreferences(bool ok);
    // The control names the unregister confirmation was shown with, in order.
    const std::vector<std::string>& UnregisterQuestions() const { return m_unregisterQuestions; }
    // Every question before a control download, oldest first.
    const std::vector<ControlDownloadQuestion>& DownloadQuestions() const {
        return m_downloadQuestions;
    }

    CInputSource& Input() override { return m_input; }
    std::unique_ptr<CMainFrameWindow> CreateMainFrame() override;
    MessageBoxResult MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) override;
    bool AskSaveOrDiscard(std::string_view url, std::string_view contentType) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposedName) override;
    void Notice(std::string_view text) override;
    std::optional<LoginAnswer> AskLogin() override;
    std::optional<std::string> AskOpenFileName() override;
    std::optional<std::string> AskOpenUrl() override;
    std::optional<MailFields> AskSendMail(const MailFields& fields) override;
    // Opens the dialog and returns: script commands act on it and close it.
    void EditHotlist(CHotlistDialogModel& model,
                     std::function<void(HotlistDialogResult)> closed) override;
    void ShowPreferences(CPreferenceSheet& sheet, std::function<void(bool ok)> closed) override;
    void DismissPreferences() override;
    UnregisterAnswer AskUnregisterControl(std::string_view displayName) override;
    // Takes a question's answer: "yes" downloads, anything else (or none)
    // is No.
    bool AskDownloadControl(const ControlDownloadQuestion& question) override;

private:
    struct ShownMenu {
        std::string title;
        std::vector<DynamicMenuItem> items;
    };

    friend class CHeadlessMainFrame;
    friend class CHeadlessLocationField;

    CHeadlessInput m_input;
    CAnswerQueue m_answers;
    std::vector<ShownMessage> m_shown;
    std::vector<std::string> m_notices;
    std::vector<std::string> m_proposed;
    int m_loginsAsked = 0;
    std::vector<ShownMail> m_mails;
    std::string m_statusText;
    std::string m_title;
    CHeadlessLocationField m_location{*this};
    std::optional<std::string> m_clipboard;
    CPoint m_viewSize{800, 600};
    CHeadlessViewWindow* m_view = nullptr; // owned by the main frame
    CHeadlessFocus* m_focus = nullptr;
    CMainFrameWindow::CommandHandler m_commandHandler;
    CMainFrameWindow::CloseHandler m_closeHandler;
    CMainFrameWindow::FindHandler m_findHandler;
    CMainFrameWindow::TimerCallback m_timerTick;
    std::set<unsigned> m_enabledCommands;
    std::set<unsigned> m_checkedCommands;
    std::vector<BarPlacement> m_bars;
    CMainFrameWindow::MenuOpenHandler m_menuOpenHandler;
    std::vector<ShownMenu> m_menus;
    CHotlistDialogModel* m_hotlistDialog = nullptr;
    std::function<void(HotlistDialogResult)> m_hotlistClosed;
    int m_animationFrame = 0;
    bool m_findBarShown = false;
    bool m_closed = false;
    CPreferenceSheet* m_preferences = nullptr; // owned by whoever showed it
    std::function<void(bool ok)> m_preferencesClosed;
    std::vector<size_t> m_preferenceSelection;
    std::vector<std::string> m_unregisterQuestions;
    std::vector<ControlDownloadQuestion> m_downloadQuestions;
};
