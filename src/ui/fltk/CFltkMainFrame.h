#pragma once

#include "platform/ui/CUiBackend.h"

#include <memory>
#include <string>

class CFltkViewWindow;
class Fl_Box;
class Fl_Input;
class Fl_Double_Window;
class Fl_Widget;

// A plain frame: the location field, the page and a status bar. The tool bar
// and menus join it with the full main window.
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

private:
    static void OnLocationEnter(Fl_Widget* widget, void* self);

    std::unique_ptr<Fl_Double_Window> m_window;
    Fl_Input* m_location;    // owned by m_window
    CFltkViewWindow* m_view; // owned by m_window
    Fl_Box* m_status;        // owned by m_window
    std::string m_title;
    std::string m_statusText;
    AddressHandler m_addressHandler;
};
