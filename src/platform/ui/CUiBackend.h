#pragma once

#include "platform/CInputSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Answers of a message box, numbered as the original platform numbered them
// because callers compare against these values.
enum class MessageBoxResult : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };

enum class MessageBoxIcon { None, Information, Warning, Error, Question };

class CViewWindow;

// What the user typed into the "Authorization Required" dialog.
struct LoginAnswer {
    std::string user;
    std::string password;
};

// What the "Send Mail" dialog holds: the To, cc and Subject lines and the
// body, whose lines end in LF.
struct MailFields {
    std::string to;
    std::string cc;
    std::string subject;
    std::string body;
};

// The application's main window as the engine sees it. The full frame with its
// bars arrives later; this is what start-up, the loop and the page need.
class CMainFrameWindow {
public:
    using AddressHandler = std::function<void(const std::string& typed)>;
    // Called with a command's id (CommandIds.h) when the user chooses it.
    using CommandHandler = std::function<void(unsigned id)>;

    virtual ~CMainFrameWindow() = default;
    virtual void SetTitle(std::string_view title) = 0;
    virtual void SetStatusText(std::string_view text) = 0;
    // The address of the page shown, in the location field.
    virtual void SetLocation(std::string_view url) = 0;
    virtual void Show() = 0;
    // The window the top-level page is shown in; lives as long as the frame.
    virtual CViewWindow& ViewWindow() = 0;
    // Called with the location field's text when the user opens it (Enter).
    virtual void SetAddressHandler(AddressHandler handler) = 0;
    virtual void SetCommandHandler(CommandHandler handler) = 0;
    // Greys (false) or ungreys the controls that send command id.
    virtual void EnableCommand(unsigned id, bool enabled) = 0;
};

// Everything toolkit-specific the engine asks for. One backend per shell: FLTK
// on a display, headless for tests and snapshots.
class CUiBackend {
public:
    virtual ~CUiBackend() = default;

    virtual CInputSource& Input() = 0;
    virtual std::unique_ptr<CMainFrameWindow> CreateMainFrame() = 0;
    virtual MessageBoxResult MessageBox(std::string_view text, MessageBoxButtons buttons,
                                        MessageBoxIcon icon) = 0;

    // Data without a viewer: true to save it to a file, false to discard it.
    virtual bool AskSaveOrDiscard(std::string_view url, std::string_view contentType) = 0;
    // The save dialog: the chosen path (the user has agreed to replace an
    // existing file), or nothing when cancelled.
    virtual std::optional<std::string> AskSaveFileName(std::string_view proposedName) = 0;
    // The "Authorization Required" dialog, both fields empty at first: what
    // was typed, or nothing when it was cancelled.
    virtual std::optional<LoginAnswer> AskLogin() = 0;
    // The "Send Mail" dialog, opened with fields: what it held when the user
    // pressed Send, or nothing when it was cancelled.
    virtual std::optional<MailFields> AskSendMail(const MailFields& fields) = 0;
};

// The backend of the running program, for code far from the application
// object (content objects run Execute on the UI thread); null in tests that
// have none.
CUiBackend* CurrentUi();
void SetCurrentUi(CUiBackend* ui);
