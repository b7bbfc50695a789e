#include "ui/fltk/CFltkBackend.h"

#include "platform/CWakeFd.h"
#include "platform/ui/CUiBackend.h"
#include "ui/fltk/CFltkDownloadDialog.h"
#include "ui/fltk/CFltkHotlistDialog.h"
#include "ui/fltk/CFltkInput.h"
#include "ui/fltk/CFltkLoginDialog.h"
#include "ui/fltk/CFltkMainFrame.h"
#include "ui/fltk/CFltkPreferencesDialog.h"
#include "ui/fltk/CFltkSendMailDialog.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <X11/Xlib.h>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

class CFltkBackend final : public CUiBackend {
public:
    CFltkBackend() : m_input(UiWake().Fd()) {}

    CInputSource& Input() override { return m_input; }

    std::unique_ptr<CMainFrameWindow> CreateMainFrame() override {
        return std::make_unique<CFltkMainFrame>();
    }

    MessageBoxResult MessageBox(std::string_view text, MessageBoxButtons buttons,
                                MessageBoxIcon) override;
    bool AskSaveOrDiscard(std::string_view url, std::string_view contentType) override;
    std::optional<std::string> AskSaveFileName(std::string_view proposedName) override;
    std::optional<LoginAnswer> AskLogin() override { return RunLoginDialog(); }
    std::optional<std::string> AskOpenFileName() override;
    std::optional<std::string> AskOpenUrl() override { return RunOpenUrlDialog(); }
    std::optional<MailFields> AskSendMail(const MailFields& fields) override {
        return RunSendMailDialog(fields);
    }
    void EditHotlist(CHotlistDialogModel& model,
                     std::function<void(HotlistDialogResult)> closed) override {
        HotlistDialogResult result = RunEditHotlistDialog(model);
        if (closed)
            closed(result);
    }

    void ShowPreferences(CPreferenceSheet& sheet, std::function<void(bool ok)> closed) override {
        bool ok = RunPreferencesDialog(sheet);
        closed(ok);
    }
    UnregisterAnswer AskUnregisterControl(std::string_view displayName) override {
        return RunUnregisterDialog(displayName);
    }
    bool AskDownloadControl(const ControlDownloadQuestion& question) override {
        return RunDownloadControlDialog(question);
    }

private:
    CFltkInput m_input;
};

MessageBoxResult CFltkBackend::MessageBox(std::string_view text, MessageBoxButtons buttons,
                                          MessageBoxIcon) {
    std::string message(text);
    // fl_choice numbers its buttons from the left: 0, 1, 2.
    switch (buttons) {
    case MessageBoxButtons::Ok:
        fl_message("%s", message.c_str());
        return MessageBoxResult::Ok;
    case MessageBoxButtons::OkCancel:
        return fl_choice("%s", "Cancel", "OK", nullptr, message.c_str()) == 1
                   ? MessageBoxResult::Ok
                   : MessageBoxResult::Cancel;
    case MessageBoxButtons::YesNo:
        return fl_choice("%s", "No", "Yes", nullptr, message.c_str()) == 1 ? MessageBoxResult::Yes
                                                                           : MessageBoxResult::No;
    case MessageBoxButtons::YesNoCancel:
        switch (fl_choice("%s", "Cancel", "Yes", "No", message.c_str())) {
        case 1:
            return MessageBoxResult::Yes;
        case 2:
            return MessageBoxResult::No;
        default:
            return MessageBoxResult::Cancel;
        }
    }
    return MessageBoxResult::Cancel;
}

bool CFltkBackend::AskSaveOrDiscard(std::string_view url, std::string_view contentType) {
    std::string text = "The URL you have opened does not have a viewer associated with it. Do you "
                       "wish to save the data to a file or discard it?\n\nURL: ";
    text += url;
    text += "\nMime Type: ";
    text += contentType;
    fl_message_title("Open URL");
    // Button 0 answers Escape and closing the dialog; button 1 answers Enter.
    return fl_choice("%s", "Discard", "Save as file", nullptr, text.c_str()) == 1;
}

std::optional<std::string> CFltkBackend::AskSaveFileName(std::string_view proposedName) {
    std::string proposed(proposedName);
    const char* chosen = fl_file_chooser("Save As", "*", proposed.c_str(), 0);
    if (!chosen)
        return std::nullopt;
    std::string path(chosen);
    if (access(path.c_str(), F_OK) == 0) {
        fl_message_title("Save As");
        if (fl_choice("%s already exists.\nDo you want to replace it?", "No", "Yes", nullptr,
                      path.c_str()) != 1)
            return std::nullopt;
    }
    return path;
}

std::optional<std::string> CFltkBackend::AskOpenFileName() {
    const char* chosen = fl_file_chooser("Open", "*", nullptr, 0);
    if (!chosen)
        return std::nullopt;
    std::error_code error;
    // Only a file that exists can be opened; the whole path, however long.
    std::filesystem::path path = std::filesystem::absolute(chosen, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        fl_message_title("Open");
        fl_alert("%s\nFile not found.\nPlease verify the correct file name was given.", chosen);
        return std::nullopt;
    }
    return path.string();
}

// Probe with Xlib first: FLTK's own failure to open a display ends the process
// with a terse message of its own.
bool CanOpenDisplay(std::string& error) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        error = "no X display is available (DISPLAY is not set)";
        return false;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        error = std::string("cannot open the X display \"") + name + "\"";
        return false;
    }
    XCloseDisplay(display);
    return true;
}

} // namespace

std::unique_ptr<CUiBackend> CreateFltkBackend(std::string& error) {
    if (!CanOpenDisplay(error))
        return nullptr;
    // Without this, Fl::awake from other threads silently does nothing.
    Fl::lock();
    fl_open_display();
    return std::make_unique<CFltkBackend>();
}
