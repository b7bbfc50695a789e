#include "bookmarks/prefs/CDialogPrefUserInfo.h"

#include "bookmarks/prefs/PrefControlIds.h"

namespace Id = PrefControlId;

std::span<const SheetControl> CDialogPrefUserInfo::Controls() const {
    static constexpr SheetControl controls[] = {
        {Id::UserName, SheetControlKind::Edit, "User Name", "user-name"},
        {Id::UserEmail, SheetControlKind::Edit, "Email Address", "user-email"},
        {Id::HomePage, SheetControlKind::Edit, "Home Page", "home-page"},
        {Id::LoadHomePage, SheetControlKind::Check, "Load home page on startup", "load-home-page"},
    };
    return controls;
}

void CDialogPrefUserInfo::Fill(const CAppSettings::Values& values) {
    Put(Id::UserName, values.userName);
    Put(Id::UserEmail, values.userEmail);
    Put(Id::HomePage, values.homePage);
    Put(Id::LoadHomePage, values.loadHomePage != 0 ? "1" : "0");
}

void CDialogPrefUserInfo::CopyBack(CAppSettings::Values& values) const {
    values.userName = Text(Id::UserName);
    values.userEmail = Text(Id::UserEmail);
    values.homePage = Text(Id::HomePage);
    values.loadHomePage = Text(Id::LoadHomePage) == "1" ? 1 : 0;
}
