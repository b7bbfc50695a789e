#pragma once

#include "app/CAppSettings.h"
#include "app/CCommandLine.h"
#include "app/CProfile.h"
#include "document/CHistory.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CComInitialization;
class CMainFrameWindow;
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

    // The headless shell ends the loop once nothing is loading any more.
    void QuitWhenIdle() { m_quitWhenIdle = true; }
    // Called whenever the loop idles, with whether the page has settled
    // (PageSettled, and no notification waiting): the script shell's pace.
    void SetIdleObserver(std::function<void(bool settled)> observer) {
        m_idleObserver = std::move(observer);
    }

    // The main window's commands, in the order the tool bar shows them.
    static std::span<const Command> Commands();
    [[nodiscard]] bool IsCommandEnabled(unsigned id);
    // Runs the command as the window does when it is chosen; a command that
    // is not enabled does nothing.
    void OnCommand(unsigned id);

    CUiBackend& Ui() { return m_ui; }
    CTarnwickDoc* TopDocument() { return m_document.get(); }
    CHistory& History() { return m_history; }
    CTarnwickView* TopView() { return m_view.get(); }
    // Nothing of the top page is still loading, waiting to be shown or laid
    // out.
    bool PageSettled();
    // The location field's Enter: completes the typed address and opens it.
    void OpenTypedAddress(const std::string& typed);
    CMainFrameWindow* MainFrame() { return m_mainFrame.get(); }
    CNamedEvent* NotifyEvent() { return m_notifyEvent.get(); }

    // File name (in the temporary directory) -> strings kept with it; every
    // file named here is deleted at exit.
    std::map<std::string, std::vector<std::string>>& TempFiles() { return m_tempFiles; }

private:
    class CFrameAdapter;

    void OnDynamicLoadNotify();
    // Greys and ungreys the window's controls by the rules, as idle time
    // allows.
    void UpdateCommands();
    void OpenHomePage();
    void DeleteTempFiles();

    CUiBackend& m_ui;
    CRegistry& m_registry;
    CProfile m_profile;
    CAppSettings m_settings;
    std::unique_ptr<CComInitialization> m_com; // outlives every document and its controls
    std::unique_ptr<CNamedEvent> m_notifyEvent;
    CHistory m_history;
    std::unique_ptr<CMainFrameWindow> m_mainFrame;
    std::unique_ptr<CFrameAdapter> m_frameAdapter;
    std::unique_ptr<CTarnwickDoc> m_document;
    std::unique_ptr<CTarnwickView> m_view; // goes before the document and the frame
    std::map<std::string, std::vector<std::string>> m_tempFiles;
    bool m_exited = false;
    bool m_quitWhenIdle = false;
    std::function<void(bool settled)> m_idleObserver;
};

// A command-line argument as the URL to open: URLs stand as given, anything
// else is a path, made absolute against the working directory, as a file URL.
std::string CommandLineTarget(const std::string& argument);

// What the location field opens for a typed address: "http://" in front of
// an address without a scheme ("http:" before one that starts with "//"), and
// "/" after an http address that names only a host.
std::string CompleteTypedAddress(const std::string& typed);
