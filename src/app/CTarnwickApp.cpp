#include "app/CTarnwickApp.h"

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
#include "platform/ui/CUiBackend.h"
#include "platform/ui/CommandIds.h"
#include "view/CTarnwickView.h"

#include <cctype>
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

// The main window as the top-level document sees it.
class CTarnwickApp::CFrameAdapter final : public CDocumentFrame {
public:
    explicit CFrameAdapter(CMainFrameWindow& frame) : m_frame(frame) {}
    // The window shows the document's title with the program's name, as
    // single-document windows do.
    void SetTitle(std::string_view title) override {
        m_frame.SetTitle(std::string(title) + " - " + std::string(LoadString(StringId::AppName)));
    }
    void SetLocation(std::string_view url) override { m_frame.SetLocation(url); }
    // The busy animation arrives with the full main window.
    void StartAnimation() override {}
    void StopAnimation() override {}

private:
    CMainFrameWindow& m_frame;
};

CTarnwickApp::CTarnwickApp(CUiBackend& ui, CRegistry& registry)
    : m_ui(ui), m_profile(registry, std::string(LoadString(StringId::AppName))) {
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
    m_profile.SetRegistryKey(CompanyKey);
    m_settings.SetDefaults(WorkingDirectory());
    LoadSettings();
    m_notifyEvent = std::make_unique<CNamedEvent>([this](uint32_t) { OnDynamicLoadNotify(); }, 0,
                                                  NotifyEventName);
    // The component layer needs no process-wide initialisation. The bookmark
    // file is loaded here once bookmarks exist.
    Scheduler().SetNotifyEvent(FindNamedEvent(NotifyEventName));
    CreateObjectTable();
    // The socket layer has nothing to start on Linux: sockets work from the
    // start, and no write can raise SIGPIPE (CNetSocket sends with
    // MSG_NOSIGNAL), so there is no failure here to stay silent about.

    if (commandLine.server != CCommandLine::Server::None)
        return true;

    m_mainFrame = m_ui.CreateMainFrame();
    m_mainFrame->SetTitle(LoadString(StringId::AppName));
    m_frameAdapter = std::make_unique<CFrameAdapter>(*m_mainFrame);
    m_document = std::make_unique<CTarnwickDoc>(m_frameAdapter.get(), &m_history);
    m_view = std::make_unique<CTarnwickView>(*m_document, m_mainFrame->ViewWindow());
    m_mainFrame->SetAddressHandler([this](const std::string& typed) { OpenTypedAddress(typed); });
    m_mainFrame->SetCommandHandler([this](unsigned id) { OnCommand(id); });
    m_document->UpdateTitle();
    UpdateCommands();
    m_mainFrame->Show();

    if (commandLine.OpensSomething()) {
        OpenUrl(CommandLineTarget(commandLine.target));
    } else if (!commandLine.SuppressesHomePage()) {
        if (m_settings.Snapshot().loadHomePage != 0)
            OpenHomePage();
    }
    return true;
}

void CTarnwickApp::OpenHomePage() {
    OpenUrl(m_settings.Snapshot().homePage);
}

std::span<const CTarnwickApp::Command> CTarnwickApp::Commands() {
    static constexpr Command commands[] = {
        {CommandId::Back, "back"},     {CommandId::Forward, "forward"}, {CommandId::Home, "home"},
        {CommandId::Reload, "reload"}, {CommandId::Stop, "stop"},
    };
    return commands;
}

bool CTarnwickApp::IsCommandEnabled(unsigned id) {
    switch (id) {
    case CommandId::Back:
        return m_history.CanGoBack();
    case CommandId::Forward:
        return m_history.CanGoForward();
    case CommandId::Home:
        return true;
    case CommandId::Reload:
        return m_document && m_document->CanReload();
    case CommandId::Stop:
        return Scheduler().AnyActive();
    default:
        return false;
    }
}

void CTarnwickApp::OnCommand(unsigned id) {
    if (!m_document || !IsCommandEnabled(id))
        return;
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
    default:
        break;
    }
    UpdateCommands();
}

void CTarnwickApp::UpdateCommands() {
    if (!m_mainFrame)
        return;
    for (const Command& command : Commands())
        m_mainFrame->EnableCommand(command.id, IsCommandEnabled(command.id));
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
        m_mainFrame->SetAddressHandler(nullptr);
        m_mainFrame->SetCommandHandler(nullptr);
    }
    m_view.reset();
    m_document.reset();
    m_frameAdapter.reset();
    m_mainFrame.reset();

    Scheduler().SetNotifyEvent(nullptr);
    m_notifyEvent.reset();
    m_history.Clear();
    DeleteTempFiles();
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

void CTarnwickApp::OpenTypedAddress(const std::string& typed) {
    std::string address = CompleteTypedAddress(typed);
    if (m_mainFrame)
        m_mainFrame->SetLocation(address);
    OpenUrl(address);
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

bool CTarnwickApp::OnIdle(long count) {
    UpdateCommands();
    if (m_idleObserver)
        m_idleObserver(PageSettled());
    else if (m_quitWhenIdle && PageSettled())
        PostQuitMessage(0);
    // One pass of idle work per quiet spell is enough: there is nothing yet
    // whose state must be brought up to date more than once.
    return count < 1;
}

void CTarnwickApp::OnDynamicLoadNotify() {
    std::string status = Scheduler().Pump();
    if (!status.empty() && m_mainFrame)
        m_mainFrame->SetStatusText(status);
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
