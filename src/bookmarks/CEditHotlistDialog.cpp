#include "bookmarks/CEditHotlistDialog.h"

#include <utility>

CEditHotlistDialog::CEditHotlistDialog(const CBookmarkList& list, HotlistItemFields currentPage)
    : m_currentPage(std::move(currentPage)) {
    m_list.CopyFrom(list);
}

void CEditHotlistDialog::OnOpen() {
    m_selection.reset();
    if (m_list.GetCount() > 0)
        m_selection = 0;
}

void CEditHotlistDialog::Select(std::optional<size_t> index) {
    if (index && *index >= m_list.GetCount())
        index.reset();
    m_selection = index;
}

HotlistButtons CEditHotlistDialog::Buttons() const {
    if (!m_selection)
        return {};
    const size_t s = *m_selection;
    return {.moveUp = s > 0,
            .moveDown = s + 1 < m_list.GetCount(),
            .editItem = true,
            .deleteItem = true,
            .openUrl = true,
            .url = m_list.GetUrl(s)};
}

void CEditHotlistDialog::DeleteItem() {
    if (!m_selection)
        return;
    m_list.RemoveAt(*m_selection);
    // A list box keeps no selection once its selected line is deleted.
    m_selection.reset();
}

void CEditHotlistDialog::MoveUp() {
    if (!Buttons().moveUp)
        return;
    m_list.MoveUp(*m_selection);
    --*m_selection;
}

void CEditHotlistDialog::MoveDown() {
    if (!Buttons().moveDown)
        return;
    m_list.MoveDown(*m_selection);
    ++*m_selection;
}

HotlistItemFields CEditHotlistDialog::EditItemFields() const {
    if (!m_selection)
        return {};
    return {.title = m_list.GetTitle(*m_selection), .url = m_list.GetUrl(*m_selection)};
}

void CEditHotlistDialog::ApplyEditItem(const HotlistItemFields& fields) {
    if (!m_selection)
        return;
    m_list.SetAt(*m_selection, fields.title, fields.url);
}

void CEditHotlistDialog::ApplyNewItem(const HotlistItemFields& fields) {
    m_list.Add(fields.title, fields.url);
}

bool CEditHotlistDialog::ChooseOpenUrl() {
    if (!m_selection)
        return false;
    m_chosenUrl = m_list.GetUrl(*m_selection);
    return true;
}
