#pragma once

#include "platform/ui/CUiBackend.h"

#include <memory>
#include <string>

class Fl_Box;
class Fl_Output;
class Fl_Double_Window;

// A plain frame: the address shown, the page area and a status bar. The tool bar, menus and
// location bar join it with the full main window.
class CFltkMainFrame final : public CMainFrameWindow {
public:
    CFltkMainFrame();
    ~CFltkMainFrame() override;

    void SetTitle(std::string_view title) override;
    void SetStatusText(std::string_view text) override;
    void SetLocation(std::string_view url) override;
    void Show() override;

private:
    std::unique_ptr<Fl_Double_Window> m_window;
    Fl_Output* m_location; // owned by m_window
    Fl_Box* m_status;      // owned by m_window
    std::string m_title;
    std::string m_statusText;
};
