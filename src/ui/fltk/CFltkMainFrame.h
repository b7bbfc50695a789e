#pragma once

#include "platform/ui/CUiBackend.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CFltkFindBar;
class CFltkFrameWindow;
class CFltkLocationBar;
class CFltkStatusBar;
class CFltkToolBar;
class CFltkViewWindow;
class Fl_Menu_Bar;
class Fl_Widget;

// The main window on an X display: the menu bar (Help at its right end),
// the tool bar, the location bar, the page, the find bar and the status bar.
// The frame places the bars itself, in the layout the logic hands it, so
// that hiding one gives its room to the page. UI thread only.
class CFltkMainFrame final : public CMainFrameWindow {
public:
    CFltkMainFrame();
    ~CFltkMainFrame() override;

    void SetTitle(std::string_view title) override;
    void SetStatusText(std::string_view text) override;
    void SetLocation(std::string_view url) override;
    void Show() override;
    CViewWindow& ViewWindow() override;
    void SetCommandHandler(CommandHandler handler) override {
        m_commandHandler = std::move(handler);
    }
    void SetCloseHandler(CloseHandler handler) override { m_closeHandler = std::move(handler); }
    void Close() override;
    void EnableCommand(unsigned id, bool enabled) override;
    void CheckCommand(unsigned id, bool checked) override;
    [[nodiscard]] std::vector<BarPlacement> BarLayout() const override { return m_bars; }
    void SetBarLayout(const std::vector<BarPlacement>& layout) override;
    [[nodiscard]] std::string AddressText() const override;
    [[nodiscard]] bool AddressHasFocus() const override;
    [[nodiscard]] bool ClipboardHasText() const override;
    void EditAddress(EditAction action) override;
    void ShowAnimationFrame(int index) override;
    void StartTimer(unsigned interval, TimerCallback tick) override;
    void StopTimer() override;
    void ShowFindBar() override;
    void SetFindHandler(FindHandler handler) override { m_findHandler = std::move(handler); }
    void UpdateIndicators() override;
    void SetMenuOpenHandler(MenuOpenHandler handler) override {
        m_menuOpenHandler = std::move(handler);
    }
    void ReplaceMenuItems(unsigned first, size_t removeCount,
                          const std::vector<DynamicMenuItem>& items) override;

    // Places the bars and the page in the window's client area.
    void Arrange();

private:
    void BuildMenus(int width);
    // Fills the menu bars from the menus and the items put in while the
    // program runs, keeping each command's greyed and checked state.
    void FillMenus();
    void MenuOpening();
    void Command(unsigned id);
    void OnCloseBox();
    void HideFindBar();
    static void OnMenu(Fl_Widget* menu, void* id);
    static void OnTimer(void* self);

    std::unique_ptr<CFltkFrameWindow> m_window;
    Fl_Menu_Bar* m_menuBar;          // owned by m_window
    Fl_Menu_Bar* m_helpBar;          // owned by m_window; the menu at the right end
    CFltkToolBar* m_toolBar;         // owned by m_window
    CFltkLocationBar* m_locationBar; // owned by m_window
    CFltkViewWindow* m_view;         // owned by m_window
    CFltkFindBar* m_findBar;         // owned by m_window
    CFltkStatusBar* m_statusBar;     // owned by m_window
    // Command id -> the index of its item, in the menu bar that holds it.
    std::map<unsigned, std::pair<Fl_Menu_Bar*, int>> m_menuItems;
    // Items of the menus that stand where the item of the key stood.
    std::map<unsigned, std::vector<DynamicMenuItem>> m_replaced;
    // Shown greyed whatever their commands say.
    std::set<unsigned> m_alwaysGreyed;
    MenuOpenHandler m_menuOpenHandler;
    std::vector<BarPlacement> m_bars;
    std::string m_title;
    CommandHandler m_commandHandler;
    CloseHandler m_closeHandler;
    FindHandler m_findHandler;
    TimerCallback m_tick;
    double m_interval = 0.2;
};
