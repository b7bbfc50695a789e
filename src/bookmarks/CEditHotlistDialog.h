#pragma once

#include "bookmarks/CBookmarkList.h"
#include "platform/ui/CHotlistDialogModel.h"

#include <optional>
#include <string>

// The "Edit Hotlist" dialog's logic: a working copy of the hotlist, the
// selection of its list box, the current page (for new entries) and the URL
// chosen with "Open URL". The application copies the working list back when
// the dialog ends with OK or "Open URL".
class CEditHotlistDialog final : public CHotlistDialogModel {
public:
    CEditHotlistDialog(const CBookmarkList& list, HotlistItemFields currentPage);

    // The dialog opens: the first entry, if any, is selected.
    void OnOpen();
    [[nodiscard]] const CBookmarkList& WorkingList() const { return m_list; }
    [[nodiscard]] const std::string& ChosenUrl() const { return m_chosenUrl; }

    [[nodiscard]] size_t Count() const override { return m_list.GetCount(); }
    [[nodiscard]] std::string Title(size_t index) const override { return m_list.GetTitle(index); }
    [[nodiscard]] std::optional<size_t> Selection() const override { return m_selection; }
    void Select(std::optional<size_t> index) override;
    [[nodiscard]] HotlistButtons Buttons() const override;
    void DeleteItem() override;
    void MoveUp() override;
    void MoveDown() override;
    [[nodiscard]] HotlistItemFields EditItemFields() const override;
    void ApplyEditItem(const HotlistItemFields& fields) override;
    [[nodiscard]] HotlistItemFields NewItemFields() const override { return m_currentPage; }
    void ApplyNewItem(const HotlistItemFields& fields) override;
    [[nodiscard]] bool ChooseOpenUrl() override;

private:
    CBookmarkList m_list;
    HotlistItemFields m_currentPage;
    std::optional<size_t> m_selection;
    std::string m_chosenUrl;
};
