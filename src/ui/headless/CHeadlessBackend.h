#pragma once

#include "platform/ui/CUiBackend.h"
#include "ui/headless/CHeadlessInput.h"
#include "ui/headless/CHeadlessViewWindow.h"

#include <deque>
#include <string>
#include <vector>

// The backend without a display. Message boxes print to stderr, are recorded
// for tests, and take their answers from a script (the first button when the
// script is empty), so every question the engine asks can be tested.
class CHeadlessBackend final : public CUiBackend {
public:
    struct ShownMessage {
        std::string text;
        MessageBoxButtons buttons;
    };

    CHeadlessInput& Script() { return m_input; }
    void QueueAnswer(MessageBoxResult answer) { m_answers.push_back(answer); }
    // Answers for the save-or-discard question (discard when none is queued:
    // nothing is written unless a script asks for it) and the save dialog
    // (cancelled when none is queued).
    void QueueSaveOrDiscard(bool save) { m_saveAnswers.push_back(save); }
    void QueueSaveFileName(std::optional<std::string> path) { m_fileNames.push_back(path); }
    // The proposed names the save dialog was shown with.
    const std::vector<std::string>& ProposedFileNames() const { return m_proposed; }
    const std::vector<ShownMessage>& Shown() const { return m_shown; }
    // The status-bar notices, in order.
    const std::vector<std::string>& Notices() const { return m_notices; }
    const std::string& StatusText() const { return m_statusText; }
    const std::string& Title() const { return m_title; }
    const std::string& Location() const { return m_location; }

    // The client size of the page window of main frames made from now on.
    void SetViewSize(CPoint size) { m_viewSize = size; }
    // The page window of the main frame, while one exists.
    CHeadlessViewWindow* View() { return m_view; }
    // As if the user typed text into the location field and pressed Enter.
    void EnterAddress(const std::string& typed);

    CInputSource& Input() override { return m_input; }
    std::unique_ptr<CMainFrameWindow> CreateMainFrame() override;
    MessageBoxResult MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) override;
    bool AskSaveOrDiscard(std::string_view url, std::string_view contentType) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposedName) override;
    void Notice(std::string_view text) override;

private:
    friend class CHeadlessMainFrame;

    CHeadlessInput m_input;
    std::deque<MessageBoxResult> m_answers;
    std::vector<ShownMessage> m_shown;
    std::vector<std::string> m_notices;
    std::deque<bool> m_saveAnswers;
    std::deque<std::optional<std::string>> m_fileNames;
    std::vector<std::string> m_proposed;
    std::string m_statusText;
    std::string m_title;
    std::string m_location;
    CPoint m_viewSize{800, 600};
    CHeadlessViewWindow* m_view = nullptr; // owned by the main frame
    CMainFrameWindow::AddressHandler m_addressHandler;
};
