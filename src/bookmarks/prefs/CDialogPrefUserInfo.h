#pragma once

#include "bookmarks/prefs/CDialogPrefPage.h"

// The user's name and address, the home page and whether it opens at start.
class CDialogPrefUserInfo final : public CDialogPrefPage {
public:
    std::string_view Caption() const override { return "User Info"; }
    std::span<const SheetControl> Controls() const override;
    void Fill(const CAppSettings::Values& values) override;
    void CopyBack(CAppSettings::Values& values) const override;
};
