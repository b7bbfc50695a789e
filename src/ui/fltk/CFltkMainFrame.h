#pragma once

#include "platform/ui/CUiBackend.h"

#include <map>
#include <memory>
#include <string>

class CFltkViewWindow;
class Fl_Box;
class Fl_Button;
class Fl_Input;
class Fl_Double_Window;
class Fl_Widget;

// A plain frame: the navigation buttons, the location field, the page and a
// status bar. The full tool bar and the menus join it with the full main
// window.
class CFltkMainFrame final : public CMainFrameWindow {
public:
    CFltkMainFrame();
    ~CFltkMainFrame() override;

    void SetTitle(std::string_view title) override;
    void SetStatusText(std::string_view text) override;
    void SetLocation(std::string_view url) override;
    void Show() override;
    CViewWindow& ViewWindow() override;
    void SetAddressHandler(AddressHandler handler) override {
        m_addressHandler = std::move(handler);
    }
    void SetCommandHandler(CommandHandler handler) override {
        m_commandHandler = std::move(handler);
    }
    void EnableCommand(unsigned id, bool enabled) override;

private:
    static void OnLocationEnter(Fl_Widget* widget, void* self);
    static void OnButton(Fl_Widget* button, void* self);
    // Returns where the row of buttons ends.
    int AddButtons();

    std::unique_ptr<Fl_Double_Window> m_window;
    Fl_Input* m_location;    // owned by m_window
    CFltkViewWindow* m_view; // owned by m_window
    Fl_Box* m_status;        // owned by m_window
    std::string m_title;
    std::string m_statusText;
    AddressHandler m_addressHandler;
    CommandHandler m_commandHandler;
    std::map<unsigned, Fl_Button*> m_buttons; // owned by m_window
};
