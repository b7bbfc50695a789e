#include "platform/ui/MainMenu.h"

#include "platform/CStringTable.h"
#include "platform/ui/CommandIds.h"

namespace {

using namespace CommandId;

constexpr MenuItem kFile[] = {
    {"&Open File...\tCtrl+O", OpenFile},
    {"Open URL...", OpenUrl},
    {},
    {"&Print...\tCtrl+P", Print, true},
    {"Print Pre&view", PrintPreview, true},
    {"P&rint Setup...", PrintSetup, true},
    {},
    {"E&xit", Exit},
};

constexpr MenuItem kEdit[] = {
    {"Cu&t\tCtrl+X", Cut}, {"&Copy\tCtrl+C", Copy}, {"&Paste\tCtrl+V", Paste}, {},
    {"Find...", Find},
};

constexpr MenuItem kView[] = {
    {"&Button Bar", ToolBar}, {"&Status Bar", StatusBar}, {"&Location Bar", LocationBar}, {},
    {"&Reload", Reload},
};

constexpr MenuItem kGo[] = {
    {"&Back", Back}, {"&Forward", Forward}, {"&Home", Home}, {}, {"&Stop Loading", Stop},
};

// The placeholder gives way to the bookmarks once there are any.
constexpr MenuItem kHotlist[] = {
    {"&Add to Hotlist", AddToHotlist},
    {"&Edit Hotlist...", EditHotlist},
    {},
    {"Hotlist", HotlistFirst, true},
};

constexpr MenuItem kOptions[] = {{"&Preferences...", Preferences}};

constexpr MenuItem kHelp[] = {{"&About Vestrial...", About}};

constexpr Menu kMenus[] = {
    {"&File", kFile},       {"&Edit", kEdit},       {"&View", kView},       {"&Go", kGo},
    {"Hot&list", kHotlist}, {"&Options", kOptions}, {"&Help", kHelp, true},
};

constexpr ToolBarEntry kToolBar[] = {
    {Back, 0}, {Forward, 1},      {Home, 2},        {}, {Reload, 3}, {OpenUrl, 4},
    {},        {AddToHotlist, 5}, {EditHotlist, 6}, {}, {Stop, 7},
};

} // namespace

std::span<const Menu> MainMenu() {
    return kMenus;
}

std::span<const ToolBarEntry> ToolBarEntries() {
    return kToolBar;
}

std::string_view MenuLabel(std::string_view menuText) {
    return menuText.substr(0, menuText.find('\t'));
}

bool ParseAccelerator(std::string_view menuText, Accelerator& accelerator) {
    size_t tab = menuText.find('\t');
    if (tab == std::string_view::npos)
        return false;
    std::string_view keys = menuText.substr(tab + 1);
    constexpr std::string_view Control = "Ctrl+";
    bool control = keys.starts_with(Control);
    if (control)
        keys.remove_prefix(Control.size());
    if (keys.size() != 1)
        return false;
    char key = keys.front();
    if (key >= 'A' && key <= 'Z')
        key = static_cast<char>(key - 'A' + 'a');
    accelerator.key = key;
    accelerator.control = control;
    return true;
}

std::vector<Accelerator> Accelerators() {
    std::vector<Accelerator> found;
    for (const Menu& menu : MainMenu())
        for (const MenuItem& item : menu.items) {
            Accelerator accelerator{.id = item.id};
            if (ParseAccelerator(item.text, accelerator))
                found.push_back(accelerator);
        }
    return found;
}

std::string_view CommandPrompt(unsigned id) {
    std::string_view text = LoadString(id);
    return text.substr(0, text.find('\n'));
}

std::string_view CommandToolTip(unsigned id) {
    std::string_view text = LoadString(id);
    size_t newline = text.find('\n');
    return newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
}
