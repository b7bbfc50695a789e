#include "app/CMainFrame.h"

#include "app/CProfile.h"
#include "app/CTarnwickApp.h"
#include "document/CTarnwickDoc.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/ui/CUiBackend.h"
#include "platform/ui/CommandIds.h"
#include "view/CTarnwickView.h"

#include <algorithm>

namespace {

// A profile names at most this many bars; anything past it is not ours.
constexpr int32_t MaxSavedBars = 16;

std::string SummarySection(std::string_view name) {
    return std::string(name) + "-Summary";
}

std::string BarSection(std::string_view name, int32_t index) {
    return std::string(name) + "-Bar" + std::to_string(index);
}

constexpr std::string_view SideName(DockSide side) {
    return side == DockSide::Bottom ? "Bottom" : "Top";
}

// The View menu command that shows and hides a bar, and back.
unsigned BarOfCommand(unsigned id) {
    return id == CommandId::LocationBar ? BarId::LocationBar : id;
}

} // namespace

std::vector<BarPlacement> ReadBarLayout(const CProfile& profile, std::string_view name,
                                        const std::vector<BarPlacement>& defaults) {
    int32_t count = profile.GetInt(SummarySection(name), "Bars", -1);
    if (count < 0)
        return defaults;
    std::vector<BarPlacement> layout;
    for (int32_t i = 0; i < std::min(count, MaxSavedBars); ++i) {
        std::string section = BarSection(name, i);
        auto id = static_cast<unsigned>(profile.GetInt(section, "BarID", 0));
        auto known = std::find_if(defaults.begin(), defaults.end(),
                                  [id](const BarPlacement& bar) { return bar.barId == id; });
        bool seen = std::any_of(layout.begin(), layout.end(),
                                [id](const BarPlacement& bar) { return bar.barId == id; });
        if (known == defaults.end() || seen)
            continue;
        BarPlacement bar = *known;
        bar.visible = profile.GetInt(section, "Visible", bar.visible ? 1 : 0) != 0;
        std::string side(SideName(bar.side));
        side = profile.GetString(section, "Docking", side);
        // The status bar belongs at the bottom whatever the profile says.
        if (id != BarId::StatusBar)
            bar.side = side == SideName(DockSide::Bottom) ? DockSide::Bottom : DockSide::Top;
        layout.push_back(bar);
    }
    for (const BarPlacement& bar : defaults)
        if (std::none_of(layout.begin(), layout.end(),
                         [&bar](const BarPlacement& placed) { return placed.barId == bar.barId; }))
            layout.push_back(bar);
    return layout;
}

bool WriteBarLayout(CProfile& profile, std::string_view name,
                    const std::vector<BarPlacement>& layout) {
    bool written =
        profile.WriteInt(SummarySection(name), "Bars", static_cast<int32_t>(layout.size()));
    for (size_t i = 0; i < layout.size(); ++i) {
        std::string section = BarSection(name, static_cast<int32_t>(i));
        const BarPlacement& bar = layout[i];
        written = profile.WriteInt(section, "BarID", static_cast<int32_t>(bar.barId)) && written;
        written = profile.WriteInt(section, "Visible", bar.visible ? 1 : 0) && written;
        written = profile.WriteString(section, "Docking", SideName(bar.side)) && written;
    }
    return written;
}

CMainFrame::CMainFrame(CTarnwickApp& app, std::unique_ptr<CMainFrameWindow> window,
                       CProfile& profile)
    : m_app(app), m_window(std::move(window)), m_profile(profile), m_locationBar(*m_window) {
    m_window->SetFindHandler([this](const std::string& text) { return FindNext(text); });
    m_window->SetCloseHandler([this] { OnClose(); });
    m_window->SetStatusText(LoadString(StringId::IdleMessage));
    m_locationBar.ShowFirstFrame();
}

CMainFrame::~CMainFrame() {
    m_window->StopTimer();
    m_window->SetFindHandler(nullptr);
    m_window->SetCloseHandler(nullptr);
    m_window->SetCommandHandler(nullptr);
}

void CMainFrame::SetTitle(std::string_view title) {
    m_window->SetTitle(std::string(title) + " - " + std::string(LoadString(StringId::AppName)));
}

void CMainFrame::SetLocation(std::string_view url) {
    // The page going on loading (its title, its end) says its address again,
    // and a reload blanks it for a moment; neither may replace one the user
    // is typing. Another page's address does, as does any while the field is
    // as we last filled it or unfocused.
    const bool userEditing =
        m_window->AddressHasFocus() && m_window->AddressText() != m_shownLocation;
    if (userEditing && (url.empty() || url == m_shownLocation))
        return;
    FillAddress(url);
}

void CMainFrame::FillAddress(std::string_view url) {
    m_shownLocation = url;
    m_window->SetLocation(url);
}

void CMainFrame::StartAnimation() {
    if (m_animationRunning)
        return;
    m_window->StartTimer(CLocationBar::TimerInterval, [this] { m_locationBar.OnTimer(); });
    m_animationRunning = true;
}

void CMainFrame::StopAnimation() {
    if (!m_animationRunning)
        return;
    m_window->StopTimer();
    m_animationRunning = false;
    m_locationBar.ShowFirstFrame();
}

void CMainFrame::ShowLoadFailure(std::string_view text) {
    m_app.OnPageFailed(text);
}

bool CMainFrame::HandlesCommand(unsigned id) {
    switch (id) {
    case CommandId::ToolBar:
    case CommandId::StatusBar:
    case CommandId::LocationBar:
    case CommandId::OpenLocation:
    case CommandId::Cut:
    case CommandId::Copy:
    case CommandId::Paste:
    case CommandId::Undo:
    case CommandId::Find:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::IsCommandEnabled(unsigned id) const {
    switch (id) {
    case CommandId::ToolBar:
    case CommandId::StatusBar:
    case CommandId::LocationBar:
    case CommandId::OpenLocation:
        return true;
    case CommandId::Cut:
    case CommandId::Copy:
    case CommandId::Undo:
        return m_window->AddressHasFocus();
    case CommandId::Paste:
        return m_window->AddressHasFocus() && m_window->ClipboardHasText();
    case CommandId::Find: {
        // There is something to look in once a page is laid out.
        CTarnwickView* view = m_app.TopView();
        return view && view->HasLayout();
    }
    default:
        return false;
    }
}

bool CMainFrame::IsCommandChecked(unsigned id) const {
    switch (id) {
    case CommandId::ToolBar:
    case CommandId::StatusBar:
    case CommandId::LocationBar:
        return BarVisible(BarOfCommand(id));
    default:
        return false;
    }
}

void CMainFrame::OnCommand(unsigned id) {
    switch (id) {
    case CommandId::ToolBar:
    case CommandId::StatusBar:
    case CommandId::LocationBar:
        ToggleBar(BarOfCommand(id));
        break;
    case CommandId::OpenLocation:
        OpenTypedAddress();
        break;
    case CommandId::Cut:
        m_window->EditAddress(EditAction::Cut);
        break;
    case CommandId::Copy:
        m_window->EditAddress(EditAction::Copy);
        break;
    case CommandId::Paste:
        m_window->EditAddress(EditAction::Paste);
        break;
    case CommandId::Undo:
        m_window->EditAddress(EditAction::Undo);
        break;
    case CommandId::Find:
        m_window->ShowFindBar();
        break;
    default:
        break;
    }
}

bool CMainFrame::BarVisible(unsigned barId) const {
    for (const BarPlacement& bar : m_window->BarLayout())
        if (bar.barId == barId)
            return bar.visible;
    return false;
}

void CMainFrame::ToggleBar(unsigned barId) {
    std::vector<BarPlacement> layout = m_window->BarLayout();
    for (BarPlacement& bar : layout)
        if (bar.barId == barId)
            bar.visible = !bar.visible;
    m_window->SetBarLayout(layout);
}

void CMainFrame::OpenTypedAddress() {
    // The whole text, however long: a cut address would open another page.
    std::string address = CompleteTypedAddress(m_window->AddressText());
    FillAddress(address);
    m_app.OpenUrl(address);
}

bool CMainFrame::FindNext(const std::string& text) {
    CTarnwickView* view = m_app.TopView();
    return view && view->FindNext(text);
}

void CMainFrame::SaveBarState() {
    // A profile that cannot be written loses only the layout; closing goes on.
    (void)WriteBarLayout(m_profile, BarStateName, m_window->BarLayout());
}

void CMainFrame::LoadBarState() {
    m_window->SetBarLayout(ReadBarLayout(m_profile, BarStateName, m_window->BarLayout()));
}

void CMainFrame::OnClose() {
    SaveBarState();
    StopAnimation();
    if (CTarnwickDoc* document = m_app.TopDocument())
        document->DeleteContents();
    m_window->Close();
}

void CMainFrame::OnIdle() {
    m_window->UpdateIndicators();
}
