#pragma once

#include "platform/CInputSource.h"
#include "platform/ui/CHotlistDialogModel.h"
#include "platform/ui/CPreferenceSheet.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Answers of a message box, numbered as the original platform numbered them
// because callers compare against these values.
enum class MessageBoxResult : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };

enum class MessageBoxIcon { None, Information, Warning, Error, Question };

class CViewWindow;

// The answers of the confirmation before a control is unregistered, numbered
// as the original platform numbered them.
enum class UnregisterAnswer : int { Yes = 6, YesToAll = 8, No = 7, Cancel = 2 };

// What the question before a control's code is downloaded shows: the
// control's own description and the address its code comes from.
struct ControlDownloadQuestion {
    static constexpr std::string_view Warning =
        "Vestrial will download the application listed below if you click on the OK prompt. "
        "Please note that this will be a fully functional application used by pages on this "
        "website. Protect yourself from potentially malicious code and do not download "
        "anything from a site you do not trust.";
    static constexpr std::string_view Question = "Do you still want to download ?";
    std::string companyName;
    std::string fileDescription;
    std::string productVersion;
    std::string productName;
    std::string legalCopyright;
    std::string legalTrademarks;
    std::string httpSite;
    // The labelled values in the order the dialog shows them.
    [[nodiscard]] std::vector<std::pair<std::string_view, const std::string*>> Fields() const {
        return {{"Company Name :", &companyName},
                {"File Description :", &fileDescription},
                {"Product Version :", &productVersion},
                {"Product Name :", &productName},
                {"Legal Copyright :", &legalCopyright},
                {"Legal Trademarks :", &legalTrademarks},
                {"HTTP Site :", &httpSite}};
    }
};

// What the user typed into the "Authorization Required" dialog.
struct LoginAnswer {
    std::string user;
    std::string password;
};

// The address field's edit commands.
enum class EditAction { Cut, Copy, Paste, Undo };

// Where a bar stands: above the page or below it.
enum class DockSide { Top, Bottom };

// One bar of the main window (BarId) and where it stands.
struct BarPlacement {
    unsigned barId = 0;
    bool visible = true;
    DockSide side = DockSide::Top;
    bool operator==(const BarPlacement&) const = default;
};

// What the "Send Mail" dialog holds: the To, cc and Subject lines and the
// body, whose lines end in LF.
struct MailFields {
    std::string to;
    std::string cc;
    std::string subject;
    std::string body;
};

// An item that the program puts into a menu while it runs (the hotlist's
// bookmarks).
struct DynamicMenuItem {
    unsigned id = 0;
    std::string text; // shown as it is: no "&" or tab rules
    // Greyed whatever its command's state.
    bool greyed = false;
    bool operator==(const DynamicMenuItem&) const = default;
};

// The main window as the frame's logic (CMainFrame) sees it: the menu bar,
// the tool bar, the location bar with its address field and busy
// animation, the page, the find bar and the status bar. The window reports
// every command chosen on it by id (CommandIds.h), Enter in the address
// field included, and the user's request to close it; it decides nothing
// itself. UI thread only.
class CMainFrameWindow {
public:
    // Called with a command's id (CommandIds.h) when the user chooses it.
    using CommandHandler = std::function<void(unsigned id)>;
    using CloseHandler = std::function<void()>;
    // Looks for text in the page after the last match; false when it is
    // not there.
    using FindHandler = std::function<bool(const std::string& text)>;
    using TimerCallback = std::function<void()>;

    virtual ~CMainFrameWindow() = default;
    virtual void SetTitle(std::string_view title) = 0;
    // The status bar's message pane.
    virtual void SetStatusText(std::string_view text) = 0;
    // The address of the page shown, in the location field.
    virtual void SetLocation(std::string_view url) = 0;
    virtual void Show() = 0;
    // The window the top-level page is shown in; lives as long as the frame.
    virtual CViewWindow& ViewWindow() = 0;
    virtual void SetCommandHandler(CommandHandler handler) = 0;
    // The close box, or the key that closes the window. Without a handler
    // the window closes at once.
    virtual void SetCloseHandler(CloseHandler handler) = 0;
    // Takes the window away; the program ends with it.
    virtual void Close() = 0;

    // Greys (false) or ungreys the menu items and buttons of command id.
    virtual void EnableCommand(unsigned id, bool enabled) = 0;
    // Puts or takes the check mark beside a menu item.
    virtual void CheckCommand(unsigned id, bool checked) = 0;

    // The tool, location and status bars in the order they stand on their
    // side (top to bottom), with where and whether they are shown.
    [[nodiscard]] virtual std::vector<BarPlacement> BarLayout() const = 0;
    virtual void SetBarLayout(const std::vector<BarPlacement>& layout) = 0;

    // The address field.
    [[nodiscard]] virtual std::string AddressText() const = 0;
    [[nodiscard]] virtual bool AddressHasFocus() const = 0;
    [[nodiscard]] virtual bool ClipboardHasText() const = 0;
    virtual void EditAddress(EditAction action) = 0;

    // The location bar's busy animation: draws frame index now.
    virtual void ShowAnimationFrame(int index) = 0;
    // The location bar's timer: tick every interval milliseconds until
    // StopTimer. A second start replaces the first.
    virtual void StartTimer(unsigned interval, TimerCallback tick) = 0;
    virtual void StopTimer() = 0;

    // The find bar, with the focus in its text field.
    virtual void ShowFindBar() = 0;
    virtual void SetFindHandler(FindHandler handler) = 0;

    // Brings the CAP, NUM and SCRL indicators up to date with the keyboard.
    virtual void UpdateIndicators() = 0;

    // Called just before a drop-down menu of the menu bar opens, so that
    // items made from data can be brought up to date.
    using MenuOpenHandler = std::function<void()>;
    virtual void SetMenuOpenHandler(MenuOpenHandler handler) = 0;
    // Takes removeCount items, those with the ids first, first + 1, ..., out
    // of the menu that holds the item first and puts items where they stood.
    virtual void ReplaceMenuItems(unsigned first, size_t removeCount,
                                  const std::vector<DynamicMenuItem>& items) = 0;
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
    // A passing notice that the window shows in its status bar. Without a
    // display nobody reads the status bar, so there it is printed too.
    virtual void Notice(std::string_view text) { (void)text; }
    // The "Authorization Required" dialog, both fields empty at first: what
    // was typed, or nothing when it was cancelled.
    virtual std::optional<LoginAnswer> AskLogin() = 0;
    // The open-file dialog: the full path of a file that exists, or nothing
    // when cancelled.
    virtual std::optional<std::string> AskOpenFileName() = 0;
    // The "Open URL" dialog: the text as typed, or nothing when cancelled.
    virtual std::optional<std::string> AskOpenUrl() = 0;
    // The "Send Mail" dialog, opened with fields: what it held when the user
    // pressed Send, or nothing when it was cancelled.
    virtual std::optional<MailFields> AskSendMail(const MailFields& fields) = 0;

    // The "Edit Hotlist" dialog over model, with its item dialog. closed is
    // called once the dialog has gone, with how it was closed; a backend
    // may return before that (the headless one waits for script commands).
    virtual void EditHotlist(CHotlistDialogModel& model,
                             std::function<void(HotlistDialogResult)> closed) = 0;
    // The "Preferences" sheet, its first page active. closed runs once when
    // it goes: true for OK (the sheet has checked its values), false for
    // anything else; the sheet is still there while closed runs.
    virtual void ShowPreferences(CPreferenceSheet& sheet, std::function<void(bool ok)> closed) = 0;
    // Takes a sheet still shown away without running closed (the program is
    // ending).
    virtual void DismissPreferences() {}
    // Asks before the control named displayName is unregistered.
    virtual UnregisterAnswer AskUnregisterControl(std::string_view displayName) = 0;
    // Asks before a control's code is fetched from the network and run: true
    // for "Yes".
    virtual bool AskDownloadControl(const ControlDownloadQuestion& question) = 0;
};

// The backend of the running program, for code far from the application
// object (content objects run Execute on the UI thread); null in tests that
// have none.
CUiBackend* CurrentUi();
void SetCurrentUi(CUiBackend* ui);
