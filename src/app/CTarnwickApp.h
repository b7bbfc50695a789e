#pragma once

#include "app/CAppSettings.h"
#include "app/CCommandLine.h"
#include "app/CProfile.h"
#include "bookmarks/CBookmarkList.h"
#include "bookmarks/CEditHotlistDialog.h"
#include "bookmarks/CHotlistMenu.h"
#include "document/CHistory.h"
#include "platform/CThread.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CComInitialization;
class CDialogPref;
class CMainFrame;
class CTarnwickDoc;
class CNamedEvent;
class CRegistry;
class CTarnwickView;
class CUiBackend;

// The application object: one per process. It owns the settings, the
// notification event the loop services, the temporary-file table and the main
// window, and runs start-up, the loop and the clean-up at exit.
class CTarnwickApp {
public:
    // A command of the main window with the name scripts know it by.
    struct Command {
        unsigned id;
        std::string_view name;
    };

    static constexpr const char* NotifyEventName = "DynamicLoadNotify";
    static constexpr const char* CompanyKey = "Vestrial";

    CTarnwickApp(CUiBackend& ui, CRegistry& registry);
    ~CTarnwickApp();
    CTarnwickApp(const CTarnwickApp&) = delete;
    CTarnwickApp& operator=(const CTarnwickApp&) = delete;

    static CTarnwickApp* Instance();

    [[nodiscard]] bool InitInstance(const CCommandLine& commandLine);
    int Run();
    int ExitInstance();

    void LoadSettings();
    [[nodiscard]] bool SaveSettings();
    CAppSettings& Settings() { return m_settings; }

    void OpenUrl(const std::string& url);
    void OnAbout();

    bool OnIdle(long count);

    // The headless shell ends the loop once nothing is loading any more, or
    // with status 1 when the page has not settled within limit from now.
    void QuitWhenIdle(std::chrono::milliseconds limit = std::chrono::hours(24));
    // The loop ended because the page did not settle in time.
    [[nodiscard]] bool TimedOut() const { return m_timedOut; }
    // Why the page shown failed after it appeared (empty when it did not):
    // the status bar shows it, and observer (if any) hears it as it happens.
    [[nodiscard]] const std::string& PageFailure() const { return m_pageFailure; }
    void SetPageFailureObserver(std::function<void(const std::string& text)> observer) {
        m_pageFailureObserver = std::move(observer);
    }
    // Called whenever the loop idles, with whether the page has settled
    // (PageSettled, and no notification waiting): the script shell's pace.
    void SetIdleObserver(std::function<void(bool settled)> observer) {
        m_idleObserver = std::move(observer);
    }

    // Every command of the main window: the tool bar's in its order, then
    // the menus' others in their order, then those of no menu (the address
    // field's Enter and undo).
    static std::span<const Command> Commands();
    // The command of the table with this id, or null.
    static const Command* FindCommand(unsigned id);
    [[nodiscard]] bool IsCommandEnabled(unsigned id);
    // Runs the command as the window does when it is chosen; a command that
    // is not enabled does nothing. The frame's own commands go to the frame.
    void OnCommand(unsigned id);

    CUiBackend& Ui() { return m_ui; }
    CTarnwickDoc* TopDocument() { return m_document.get(); }
    CHistory& History() { return m_history; }
    CTarnwickView* TopView() { return m_view.get(); }
    // Nothing of the top page is still loading, waiting to be shown or laid
    // out.
    bool PageSettled();
    CMainFrame* MainFrame() { return m_mainFrame.get(); }
    CNamedEvent* NotifyEvent() { return m_notifyEvent.get(); }

    // The hotlist, and the file it is kept in (bookmark directory +
    // "bookmark.dat").
    const CBookmarkList& Bookmarks() const { return m_bookmarks; }
    [[nodiscard]] std::string BookmarkPath();
    // The file is written through this instead of write(2) (tests stage a
    // full disk with it).
    void SetBookmarkWriter(BookmarkWriteFunction write) { m_bookmarkWrite = std::move(write); }

    // File name (in the temporary directory) -> strings kept with it; every
    // file named here is deleted at exit.
    std::map<std::string, std::vector<std::string>>& TempFiles() { return m_tempFiles; }

    // The shown page failed after it appeared: says why on the status bar
    // and to the observer.
    void OnPageFailed(std::string_view text);

private:
    void OnDynamicLoadNotify();
    // Greys and ungreys the window's controls by the rules, as idle time
    // allows.
    void UpdateCommands();
    void OpenHomePage();
    void OpenFile();
    void AskAndOpenUrl();
    // The top-level page's title and URL, empty when nothing is shown.
    HotlistItemFields CurrentPage();
    void LoadBookmarks();
    void SaveBookmarks();
    void AddToHotlist();
    void EditHotlist();
    void OnHotlistClosed(HotlistDialogResult result);
    // The "Preferences" sheet: opened over copies of the settings, which
    // change, and are saved, only when it is confirmed.
    void OnPreferences();
    void OnPreferencesClosed(bool ok);
    void DeleteTempFiles();

    CUiBackend& m_ui;
    CRegistry& m_registry;
    CProfile m_profile;
    CAppSettings m_settings;
    std::unique_ptr<CComInitialization> m_com; // outlives every document and its controls
    CThread m_fontSetUp;
    std::unique_ptr<CNamedEvent> m_notifyEvent;
    CHistory m_history;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<CTarnwickDoc> m_document;
    std::unique_ptr<CTarnwickView> m_view;      // goes before the document and the frame
    std::unique_ptr<CDialogPref> m_preferences; // while the sheet is shown
    std::map<std::string, std::vector<std::string>> m_tempFiles;
    CBookmarkList m_bookmarks;
    CHotlistMenu m_hotlistMenu;
    BookmarkWriteFunction m_bookmarkWrite;
    // The "Edit Hotlist" dialog while it is open.
    std::unique_ptr<CEditHotlistDialog> m_hotlistDialog;
    bool m_exited = false;
    bool m_quitWhenIdle = false;
    bool m_timedOut = false;
    std::chrono::steady_clock::time_point m_quitDeadline;
    std::function<void(bool settled)> m_idleObserver;
    std::string m_pageFailure;
    // A failure told during this pump outranks the pump's progress text.
    bool m_failureShownInPump = false;
    std::function<void(const std::string& text)> m_pageFailureObserver;
};

// A command-line argument as the URL to open: URLs stand as given, anything
// else is a path, made absolute against the working directory, as a file URL.
std::string CommandLineTarget(const std::string& argument);

// What the location field opens for a typed address: "http://" in front of
// an address without a scheme ("http:" before one that starts with "//"), and
// "/" after an http address that names only a host.
std::string CompleteTypedAddress(const std::string& typed);
