#pragma once

#include "app/CLocationBar.h"
#include "document/CDocumentView.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMainFrameWindow;
class CProfile;
class CTarnwickApp;
struct BarPlacement;

// The main window's own logic, whatever toolkit shows it: the title, the
// bars and their layout (saved under "Vestrial-Toolbar" when the window
// closes, restored at start-up), the busy animation, the typed address, the
// address field's edit commands and find in page. The application object
// handles the other commands. UI thread only.
class CMainFrame final : public CDocumentFrame {
public:
    // The name the bar layout is saved under in the profile.
    static constexpr std::string_view BarStateName = "Vestrial-Toolbar";

    CMainFrame(CTarnwickApp& app, std::unique_ptr<CMainFrameWindow> window, CProfile& profile);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    CMainFrameWindow& Window() { return *m_window; }
    const CLocationBar& LocationBar() const { return m_locationBar; }

    // CDocumentFrame: the title is shown with the program's name, as
    // single-document windows show it.
    void SetTitle(std::string_view title) override;
    void SetLocation(std::string_view url) override;
    void StartAnimation() override;
    void StopAnimation() override;
    void ShowLoadFailure(std::string_view text) override;
    [[nodiscard]] bool AnimationRunning() const { return m_animationRunning; }

    // The commands the frame answers itself: the bars, the typed address,
    // the address field's edit commands and find.
    [[nodiscard]] static bool HandlesCommand(unsigned id);
    [[nodiscard]] bool IsCommandEnabled(unsigned id) const;
    // The View menu's bars are checked while they are shown.
    [[nodiscard]] bool IsCommandChecked(unsigned id) const;
    void OnCommand(unsigned id);

    // The find bar's search: the next match of text in the page shown
    // (letter case aside), highlighted and scrolled into view.
    bool FindNext(const std::string& text);

    void SaveBarState();
    void LoadBarState();

    // The user asks to close the window: the bar layout is saved, the
    // animation stops, the page goes, and then the window (which ends the
    // program).
    void OnClose();
    // Idle time: what follows the keyboard and the clipboard.
    void OnIdle();

private:
    void ToggleBar(unsigned barId);
    [[nodiscard]] bool BarVisible(unsigned barId) const;
    void OpenTypedAddress();
    // Puts url into the address field, whatever the user typed there.
    void FillAddress(std::string_view url);

    CTarnwickApp& m_app;
    std::unique_ptr<CMainFrameWindow> m_window;
    CProfile& m_profile;
    CLocationBar m_locationBar;
    // What the address field was last filled with, to tell a user's edit.
    std::string m_shownLocation;
    bool m_animationRunning = false;
};

// The bar layout read back from the profile under name: the default layout
// with what the profile says applied to it. Bars the profile does not name,
// or names wrongly, keep their default place.
[[nodiscard]] std::vector<BarPlacement> ReadBarLayout(const CProfile& profile,
                                                      std::string_view name,
                                                      const std::vector<BarPlacement>& defaults);
[[nodiscard]] bool WriteBarLayout(CProfile& profile, std::string_view name,
                                  const std::vector<BarPlacement>& layout);
