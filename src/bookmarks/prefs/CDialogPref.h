#pragma once

#include "app/CAppSettings.h"
#include "bookmarks/prefs/CDialogPrefNetworkAndCache.h"
#include "bookmarks/prefs/CDialogPrefOleControls.h"
#include "bookmarks/prefs/CDialogPrefUserInfo.h"
#include "platform/ui/CPreferenceSheet.h"

#include <array>

class CRegistry;
class CUiBackend;

// The "Preferences" sheet: copies of the settings on three pages, checked
// when a page is left or the sheet confirmed. It changes no setting itself:
// whoever opened it takes the values with CopyBack after OK. Unregistering a
// control, though, happens at once.
class CDialogPref final : public CPreferenceSheet {
public:
    CDialogPref(const CAppSettings::Values& values, CRegistry& registry, CUiBackend& ui);

    std::string_view Title() const override { return "Preferences"; }
    size_t PageCount() const override { return m_pages.size(); }
    std::string_view PageCaption(size_t page) const override;
    std::span<const SheetControl> Controls(size_t page) const override;
    size_t ActivePage() const override { return m_active; }
    [[nodiscard]] bool SelectPage(size_t page) override;
    std::string Text(unsigned id) const override;
    void SetText(unsigned id, std::string_view text) override;
    std::vector<std::string> ListLines(unsigned id) const override;
    void Press(unsigned id, const std::vector<size_t>& selected) override;
    [[nodiscard]] bool Confirm() override;

    // Every value of the sheet into values, the directories ending in "/".
    // Only after Confirm said true.
    void CopyBack(CAppSettings::Values& values) const;

private:
    // The page that holds id, or PageCount().
    [[nodiscard]] size_t PageOf(unsigned id) const;
    [[nodiscard]] bool ValidatePage(size_t page);

    CUiBackend& m_ui;
    CDialogPrefNetworkAndCache m_network;
    CDialogPrefOleControls m_controls;
    CDialogPrefUserInfo m_userInfo;
    std::array<CDialogPrefPage*, 3> m_pages{&m_network, &m_controls, &m_userInfo};
    size_t m_active = 0;
};
