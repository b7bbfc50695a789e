#include "app/CTarnwickApp.h"

#include "app/CMainFrame.h"
#include "app/UserDirectories.h"
#include "bookmarks/prefs/CDialogPref.h"
#include "content/CMimeObject.h"
#include "content/CObjectTable.h"
#include "content/CScheduler.h"
#include "content/FileNames.h"
#include "document/CDocumentView.h"
#include "document/CTarnwickDoc.h"
#include "platform/CMessageQueue.h"
#include "platform/CNamedEvent.h"
#include "platform/CStringTable.h"
#include "platform/CUiLoop.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"
#include "platform/UiThread.h"
#include "platform/Verify.h"
#include "platform/com/ComHost.h"
#include "platform/gdi/CFontResolver.h"
#include "platform/ui/CUiBackend.h"
#include "platform/ui/CommandIds.h"
#include "view/CTarnwickView.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

CTarnwickApp* g_app = nullptr;

std::string WorkingDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string("/") : path.string();
}

// A scheme is a letter followed by letters, digits, "+", "-" or ".", then ":"
// (RFC 3986, section 3.1).
bool HasScheme(const std::string& text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (char c : text) {
        if (c == ':')
            return true;
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

} // namespace

CTarnwickApp::CTarnwickApp(CUiBackend& ui, CRegistry& registry)
    : m_ui(ui), m_registry(registry),
      m_profile(registry, std::string(LoadString(StringId::AppName))) {
    VERIFY(g_app == nullptr);
    g_app = this;
    SetCurrentSettings(&m_settings);
    SetCurrentUi(&m_ui);
    MarkUiThread();
}

CTarnwickApp::~CTarnwickApp() {
    if (!m_exited)
        ExitInstance();
    SetCurrentUi(nullptr);
    SetCurrentSettings(nullptr);
    g_app = nullptr;
}

CTarnwickApp* CTarnwickApp::Instance() {
    return g_app;
}

std::string CommandLineTarget(const std::string& argument) {
    if (HasScheme(argument))
        return argument;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(argument, error);
    return FileUrlFromPath(error ? argument : absolute.lexically_normal().string());
}

bool CTarnwickApp::InitInstance(const CCommandLine& commandLine) {
    // Reading the font configuration takes a few milliseconds that the first
    // page's layout would otherwise wait for after its first data: it is
    // read beside the start-up and the page's load.
    m_fontSetUp = CThread([] { (void)CFontResolver::Get(); });
    m_profile.SetRegistryKey(CompanyKey);
    m_settings.SetDefaults(DefaultUserDirectories(
        [](const char* name) { return std::getenv(name); }, WorkingDirectory()));
    LoadSettings();
    m_notifyEvent = std::make_unique<CNamedEvent>([this](uint32_t) { OnDynamicLoadNotify(); }, 0,
                                                  NotifyEventName);
    LoadBookmarks();
    // Controls are found in, and register themselves into, the registry.
    m_com = std::make_unique<CComInitialization>(m_registry);
    Scheduler().SetNotifyEvent(FindNamedEvent(NotifyEventName));
    CreateObjectTable();
    // The socket layer has nothing to start on Linux: sockets work from the
    // start, and no write can raise SIGPIPE (CNetSocket sends with
    // MSG_NOSIGNAL), so there is no failure here to stay silent about.

    if (commandLine.server != CCommandLine::Server::None)
        return true;

    // The bookmark file is kept in the one, and controls keep their files in
    // the other from their first page on; the control directory is made
    // when a control first stores a file there.
    const CAppSettings::Values values = m_settings.Snapshot();
    (void)EnsureDirectory(values.bookmarkDirectory);
    (void)EnsureDirectory(values.tempDirectory);

    m_mainFrame = std::make_unique<CMainFrame>(*this, m_ui.CreateMainFrame(), m_profile);
    CMainFrameWindow& window = m_mainFrame->Window();
    window.SetTitle(LoadString(StringId::AppName));
    m_document = std::make_unique<CTarnwickDoc>(m_mainFrame.get(), &m_history);
    m_view = std::make_unique<CTarnwickView>(*m_document, window.ViewWindow());
    window.SetCommandHandler([this](unsigned id) { OnCommand(id); });
    window.SetMenuOpenHandler([this] {
        m_hotlistMenu.Rebuild(m_mainFrame->Window(), m_bookmarks);
        UpdateCommands();
    });
    m_document->UpdateTitle();
    UpdateCommands();
    window.Show();

    if (commandLine.OpensSomething()) {
        OpenUrl(CommandLineTarget(commandLine.target));
    } else if (!commandLine.SuppressesHomePage()) {
        if (m_settings.Snapshot().loadHomePage != 0)
            OpenHomePage();
    }
    m_mainFrame->LoadBarState();
    return true;
}

void CTarnwickApp::OpenHomePage() {
    OpenUrl(m_settings.Snapshot().homePage);
}

std::span<const CTarnwickApp::Command> CTarnwickApp::Commands() {
    static constexpr Command commands[] = {
        {CommandId::Back, "back"},
        {CommandId::Forward, "forward"},
        {CommandId::Home, "home"},
        {CommandId::Reload, "reload"},
        {CommandId::OpenUrl, "open-url"},
        {CommandId::AddToHotlist, "add-to-hotlist"},
        {CommandId::EditHotlist, "edit-hotlist"},
        {CommandId::Stop, "stop"},
        {CommandId::OpenFile, "open-file"},
        {CommandId::Print, "print"},
        {CommandId::PrintPreview, "print-preview"},
        {CommandId::PrintSetup, "print-setup"},
        {CommandId::Exit, "exit"},
        {CommandId::Cut, "cut"},
        {CommandId::Copy, "copy"},
        {CommandId::Paste, "paste"},
        {CommandId::Find, "find"},
        {CommandId::ToolBar, "button-bar"},
        {CommandId::StatusBar, "status-bar"},
        {CommandId::LocationBar, "location-bar"},
        {CommandId::HotlistFirst, "hotlist-0"},
        {CommandId::HotlistFirst + 1, "hotlist-1"},
        {CommandId::HotlistFirst + 2, "hotlist-2"},
        {CommandId::HotlistFirst + 3, "hotlist-3"},
        {CommandId::HotlistFirst + 4, "hotlist-4"},
        {CommandId::HotlistFirst + 5, "hotlist-5"},
        {CommandId::HotlistFirst + 6, "hotlist-6"},
        {CommandId::HotlistFirst + 7, "hotlist-7"},
        {CommandId::HotlistFirst + 8, "hotlist-8"},
        {CommandId::HotlistFirst + 9, "hotlist-9"},
        {CommandId::HotlistFirst + 10, "hotlist-10"},
        {CommandId::HotlistFirst + 11, "hotlist-11"},
        {CommandId::HotlistFirst + 12, "hotlist-12"},
        {CommandId::HotlistFirst + 13, "hotlist-13"},
        {CommandId::HotlistFirst + 14, "hotlist-14"},
        {CommandId::HotlistFirst + 15, "hotlist-15"},
        {CommandId::HotlistFirst + 16, "hotlist-16"},
        {CommandId::HotlistFirst + 17, "hotlist-17"},
        {CommandId::HotlistFirst + 18, "hotlist-18"},
        {CommandId::HotlistLast, "hotlist-19"},
        {CommandId::Preferences, "preferences"},
        {CommandId::About, "about"},
        {CommandId::OpenLocation, "open-location"},
        {CommandId::Undo, "undo"},
    };
    return commands;
}

const CTarnwickApp::Command* CTarnwickApp::FindCommand(unsigned id) {
    for (const Command& command : Commands())
        if (command.id == id)
            return &command;
    return nullptr;
}

bool CTarnwickApp::IsCommandEnabled(unsigned id) {
    if (!m_mainFrame || !m_document)
        return false;
    if (CMainFrame::HandlesCommand(id))
        return m_mainFrame->IsCommandEnabled(id);
    switch (id) {
    case CommandId::Back:
        return m_history.CanGoBack();
    case CommandId::Forward:
        return m_history.CanGoForward();
    case CommandId::Reload:
        return m_document->CanReload();
    case CommandId::Stop:
        return Scheduler().AnyActive();
    case CommandId::AddToHotlist:
        return m_document->ContentObject() && !m_document->ContentObject()->Url().empty();
    case CommandId::Home:
    case CommandId::OpenUrl:
    case CommandId::OpenFile:
    case CommandId::Exit:
    case CommandId::EditHotlist:
    case CommandId::Preferences:
    case CommandId::About:
        return true;
    default:
        // The print commands are not offered; a bookmark entry can be
        // chosen while its bookmark exists.
        if (id >= CommandId::HotlistFirst && id <= CommandId::HotlistLast)
            return id - CommandId::HotlistFirst < m_bookmarks.GetCount();
        return false;
    }
}

void CTarnwickApp::OnCommand(unsigned id) {
    if (!IsCommandEnabled(id))
        return;
    if (CMainFrame::HandlesCommand(id)) {
        m_mainFrame->OnCommand(id);
        UpdateCommands();
        return;
    }
    switch (id) {
    case CommandId::Back:
        m_document->Navigate({.url = std::string(CTarnwickDoc::BackwardUrl)});
        break;
    case CommandId::Forward:
        m_document->Navigate({.url = std::string(CTarnwickDoc::ForwardUrl)});
        break;
    case CommandId::Home:
        OpenHomePage();
        break;
    case CommandId::Reload:
        m_document->Reload();
        break;
    case CommandId::Stop:
        m_document->StopAll();
        break;
    case CommandId::OpenFile:
        OpenFile();
        break;
    case CommandId::OpenUrl:
        AskAndOpenUrl();
        break;
    case CommandId::About:
        OnAbout();
        break;
    case CommandId::Exit:
        // As the close box does; the frame goes, and with it the program.
        m_mainFrame->OnClose();
        return;
    case CommandId::AddToHotlist:
        AddToHotlist();
        break;
    case CommandId::EditHotlist:
        EditHotlist();
        break;
    case CommandId::Preferences:
        OnPreferences();
        break;
    default:
        if (id >= CommandId::HotlistFirst && id <= CommandId::HotlistLast)
            OpenUrl(m_bookmarks.GetUrl(id - CommandId::HotlistFirst));
        break;
    }
    UpdateCommands();
}

void CTarnwickApp::OpenFile() {
    std::optional<std::string> path = m_ui.AskOpenFileName();
    // The whole path, however long: a cut one would name another file.
    if (path)
        OpenUrl(FileUrlFromPath(*path));
}

void CTarnwickApp::AskAndOpenUrl() {
    if (std::optional<std::string> address = m_ui.AskOpenUrl())
        OpenUrl(*address);
}

HotlistItemFields CTarnwickApp::CurrentPage() {
    CMimeObject* shown = m_document ? m_document->ContentObject() : nullptr;
    if (!shown)
        return {};
    HotlistItemFields page{.title = shown->GetTitle(), .url = shown->Url()};
    // A page without a title goes by its address, as the window's title does.
    if (page.title.empty())
        page.title = page.url;
    return page;
}

std::string CTarnwickApp::BookmarkPath() {
    return m_settings.Snapshot().bookmarkDirectory + std::string(CBookmarkList::FileName);
}

void CTarnwickApp::LoadBookmarks() {
    const std::string path = BookmarkPath();
    if (m_bookmarks.Load(path) == BookmarkLoadResult::Damaged)
        m_ui.MessageBox(FormatString(StringId::BookmarkLoadFailed, {path}), MessageBoxButtons::Ok,
                        MessageBoxIcon::Warning);
}

void CTarnwickApp::SaveBookmarks() {
    const std::string path = BookmarkPath();
    if (!m_bookmarks.Save(path, m_bookmarkWrite))
        m_ui.MessageBox(FormatString(StringId::BookmarkSaveFailed, {path}), MessageBoxButtons::Ok,
                        MessageBoxIcon::Warning);
}

void CTarnwickApp::AddToHotlist() {
    HotlistItemFields page = CurrentPage();
    m_bookmarks.Add(std::move(page.title), std::move(page.url));
    SaveBookmarks();
}

void CTarnwickApp::EditHotlist() {
    // One dialog at a time: the headless one stays open between commands.
    if (m_hotlistDialog)
        return;
    m_hotlistDialog = std::make_unique<CEditHotlistDialog>(m_bookmarks, CurrentPage());
    m_hotlistDialog->OnOpen();
    m_ui.EditHotlist(*m_hotlistDialog,
                     [this](HotlistDialogResult result) { OnHotlistClosed(result); });
}

void CTarnwickApp::OnHotlistClosed(HotlistDialogResult result) {
    std::unique_ptr<CEditHotlistDialog> dialog = std::move(m_hotlistDialog);
    if (!dialog || result == HotlistDialogResult::Cancel)
        return;
    if (result == HotlistDialogResult::OpenUrl)
        OpenUrl(dialog->ChosenUrl());
    m_bookmarks.CopyFrom(dialog->WorkingList());
    SaveBookmarks();
    UpdateCommands();
}

void CTarnwickApp::OnPreferences() {
    if (m_preferences)
        return;
    m_preferences = std::make_unique<CDialogPref>(m_settings.Snapshot(), m_registry, m_ui);
    m_ui.ShowPreferences(*m_preferences, [this](bool ok) { OnPreferencesClosed(ok); });
}

void CTarnwickApp::OnPreferencesClosed(bool ok) {
    if (ok && m_preferences) {
        m_settings.Update(
            [this](CAppSettings::Values& values) { m_preferences->CopyBack(values); });
        // A registry that cannot be written keeps the change in memory and
        // writes it with the next change; the settings apply from now on
        // either way.
        (void)SaveSettings();
    }
    m_preferences.reset();
}

void CTarnwickApp::UpdateCommands() {
    if (!m_mainFrame)
        return;
    CMainFrameWindow& window = m_mainFrame->Window();
    for (const Command& command : Commands()) {
        window.EnableCommand(command.id, IsCommandEnabled(command.id));
        window.CheckCommand(command.id, m_mainFrame->IsCommandChecked(command.id));
    }
}

int CTarnwickApp::Run() {
    CUiLoop loop(m_ui.Input(), [this](long count) { return OnIdle(count); });
    return loop.Run();
}

int CTarnwickApp::ExitInstance() {
    m_exited = true;
    // The window goes first, with its document and every load it owns; the
    // view before the document, so that its layout thread has ended before
    // the inline resources it asks for go.
    if (m_mainFrame) {
        m_mainFrame->StopAnimation();
        m_mainFrame->Window().SetCommandHandler(nullptr);
    }
    if (m_preferences) {
        m_ui.DismissPreferences();
        m_preferences.reset();
    }
    m_view.reset();
    m_document.reset();
    m_mainFrame.reset();

    Scheduler().SetNotifyEvent(nullptr);
    m_notifyEvent.reset();
    m_history.Clear();
    DeleteTempFiles();
    // Every control has gone with its document: their libraries may go.
    m_com.reset();
    DestroyObjectTable();
    return 0;
}

void CTarnwickApp::LoadSettings() {
    m_settings.Load(m_profile);
}

bool CTarnwickApp::SaveSettings() {
    return m_settings.Save(m_profile);
}

void CTarnwickApp::OpenUrl(const std::string& url) {
    if (m_document)
        m_document->Navigate({.url = url});
}

void CTarnwickApp::OnAbout() {
    OpenUrl("about:about.htm");
}

std::string CompleteTypedAddress(const std::string& typed) {
    std::string address = typed;
    if (address.find(':') == std::string::npos)
        address.insert(0, address.starts_with("//") ? "http:" : "http://");
    constexpr size_t SchemeLength = 7; // "http://"
    if (StartsWithNoCase(address, "http://") &&
        address.find('/', SchemeLength) == std::string::npos)
        address += '/';
    return address;
}

bool CTarnwickApp::PageSettled() {
    if (!m_document)
        return true;
    // A page about to be shown, or a request of the layout thread, is still
    // in the message queue; a notification not yet pumped may still start
    // or show something.
    return m_document->Idle() && UiMessageQueue().Empty() && (!m_view || m_view->LayoutSettled()) &&
           !(m_notifyEvent && m_notifyEvent->IsSignalled());
}

void CTarnwickApp::QuitWhenIdle(std::chrono::milliseconds limit) {
    m_quitWhenIdle = true;
    m_quitDeadline = std::chrono::steady_clock::now() + limit;
}

bool CTarnwickApp::OnIdle(long count) {
    UpdateCommands();
    if (m_mainFrame)
        m_mainFrame->OnIdle();
    if (m_idleObserver) {
        m_idleObserver(PageSettled());
    } else if (m_quitWhenIdle && !m_timedOut) {
        if (PageSettled()) {
            PostQuitMessage(0);
        } else if (std::chrono::steady_clock::now() >= m_quitDeadline) {
            m_timedOut = true;
            PostQuitMessage(1);
        }
    }
    // One pass of idle work per quiet spell is enough: there is nothing yet
    // whose state must be brought up to date more than once.
    return count < 1;
}

void CTarnwickApp::OnDynamicLoadNotify() {
    m_failureShownInPump = false;
    std::string status = Scheduler().Pump();
    // "Connection to ... closed." of the same pass would hide why.
    if (!status.empty() && m_mainFrame && !m_failureShownInPump)
        m_mainFrame->Window().SetStatusText(status);
}

void CTarnwickApp::OnPageFailed(std::string_view text) {
    m_pageFailure = text;
    m_failureShownInPump = true;
    // The status bar has one line; the message's lines follow one another.
    std::string line(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (m_mainFrame)
        m_mainFrame->Window().SetStatusText(line);
    if (m_pageFailureObserver)
        m_pageFailureObserver(m_pageFailure);
}

void CTarnwickApp::DeleteTempFiles() {
    const std::string directory = m_settings.Snapshot().tempDirectory;
    for (const auto& [name, strings] : m_tempFiles) {
        // Only plain names: nothing outside the temporary directory is deleted.
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
            continue;
        std::error_code ignored;
        std::filesystem::remove(directory + name, ignored);
    }
    m_tempFiles.clear();
}
