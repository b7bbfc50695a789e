#pragma once

#include "platform/ui/CUiBackend.h"
#include "ui/headless/CAnswerQueue.h"
#include "ui/headless/CHeadlessInput.h"
#include "ui/headless/CHeadlessViewWindow.h"

#include <set>
#include <string>
#include <vector>

// What takes typed text and keys in the window without a display: the page,
// unless something (a form control) has taken the focus.
class CHeadlessFocus {
public:
    virtual ~CHeadlessFocus() = default;
    virtual void TypeText(std::string_view text) = 0;
    // Keys by their X names: "Return", "Tab", "Page_Down", ...
    virtual void PressKey(std::string_view name) = 0;
};

// The backend without a display. Message boxes print to stderr and are
// recorded for tests. Every dialog takes its answer from the answer queue,
// where a script or a test put it beforehand; a dialog with none queued takes
// its default (Cancel, No, discard) and says so on stderr, so every question
// the engine asks can be tested.
class CHeadlessBackend final : public CUiBackend {
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
    // the "Send Mail" dialog: every answer of this kind queued when it comes
    // up is typed into it, in order: a field ("to", "cc", "subject" or
    // "body") and its new text; then it takes a question's answer: "ok" is
    // Send, anything else (or none) Cancel.
    static constexpr std::string_view MailFieldKind = "mail-field";

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
    // How often the "Authorization Required" dialog was shown.
    int LoginsAsked() const { return m_loginsAsked; }
    // Every "Send Mail" dialog shown, oldest first.
    const std::vector<ShownMail>& MailsShown() const { return m_mails; }
    const std::string& StatusText() const { return m_statusText; }
    const std::string& Title() const { return m_title; }
    const std::string& Location() const { return m_location; }

    // The client size of the page window of main frames made from now on.
    void SetViewSize(CPoint size) { m_viewSize = size; }
    // The page window of the main frame, while one exists.
    CHeadlessViewWindow* View() { return m_view; }
    // As if the user typed text into the location field and pressed Enter.
    void EnterAddress(const std::string& typed);
    // As if the user chose the command from the menu or the tool bar: only
    // an enabled command does anything.
    void ChooseCommand(unsigned id);
    // null gives the focus back to the page.
    void SetFocus(CHeadlessFocus* focus) { m_focus = focus; }
    CHeadlessFocus* Focus() const { return m_focus; }
    // Typing and keys go to whatever has the focus. The page scrolls by its
    // keys and takes no text.
    void TypeText(std::string_view text);
    void PressKey(std::string_view name);
    // Whether the frame shows the command enabled now.
    bool CommandEnabled(unsigned id) const { return m_enabledCommands.contains(id); }

    CInputSource& Input() override { return m_input; }
    std::unique_ptr<CMainFrameWindow> CreateMainFrame() override;
    MessageBoxResult MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) override;
    bool AskSaveOrDiscard(std::string_view url, std::string_view contentType) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposedName) override;
    std::optional<LoginAnswer> AskLogin() override;
    std::optional<MailFields> AskSendMail(const MailFields& fields) override;

private:
    friend class CHeadlessMainFrame;

    CHeadlessInput m_input;
    CAnswerQueue m_answers;
    std::vector<ShownMessage> m_shown;
    std::vector<std::string> m_proposed;
    int m_loginsAsked = 0;
    std::vector<ShownMail> m_mails;
    std::string m_statusText;
    std::string m_title;
    std::string m_location;
    CPoint m_viewSize{800, 600};
    CHeadlessViewWindow* m_view = nullptr; // owned by the main frame
    CHeadlessFocus* m_focus = nullptr;
    CMainFrameWindow::AddressHandler m_addressHandler;
    CMainFrameWindow::CommandHandler m_commandHandler;
    std::set<unsigned> m_enabledCommands;
};
