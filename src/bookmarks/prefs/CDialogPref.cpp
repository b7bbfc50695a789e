#include "bookmarks/prefs/CDialogPref.h"

#include "platform/ui/CUiBackend.h"

CDialogPref::CDialogPref(const CAppSettings::Values& values, CRegistry& registry, CUiBackend& ui)
    : m_ui(ui), m_controls(registry, ui) {
    for (CDialogPrefPage* page : m_pages)
        page->Fill(values);
}

std::string_view CDialogPref::PageCaption(size_t page) const {
    return page < m_pages.size() ? m_pages[page]->Caption() : std::string_view();
}

std::span<const SheetControl> CDialogPref::Controls(size_t page) const {
    return page < m_pages.size() ? m_pages[page]->Controls() : std::span<const SheetControl>();
}

size_t CDialogPref::PageOf(unsigned id) const {
    for (size_t page = 0; page < m_pages.size(); ++page)
        if (m_pages[page]->Has(id))
            return page;
    return m_pages.size();
}

bool CDialogPref::ValidatePage(size_t page) {
    std::optional<std::string> message = m_pages[page]->Validate();
    if (!message)
        return true;
    m_active = page;
    m_ui.MessageBox(*message, MessageBoxButtons::Ok, MessageBoxIcon::Warning);
    return false;
}

bool CDialogPref::SelectPage(size_t page) {
    if (page >= m_pages.size())
        return false;
    if (page == m_active)
        return true;
    if (!ValidatePage(m_active))
        return false;
    m_active = page;
    return true;
}

std::string CDialogPref::Text(unsigned id) const {
    size_t page = PageOf(id);
    return page < m_pages.size() ? m_pages[page]->Text(id) : std::string();
}

void CDialogPref::SetText(unsigned id, std::string_view text) {
    if (size_t page = PageOf(id); page < m_pages.size())
        m_pages[page]->SetText(id, text);
}

std::vector<std::string> CDialogPref::ListLines(unsigned id) const {
    size_t page = PageOf(id);
    return page < m_pages.size() ? m_pages[page]->ListLines(id) : std::vector<std::string>();
}

void CDialogPref::Press(unsigned id, const std::vector<size_t>& selected) {
    if (size_t page = PageOf(id); page < m_pages.size())
        m_pages[page]->Press(id, selected);
}

bool CDialogPref::Confirm() {
    // The page in front first, as the user sees it; a page behind it holds
    // what it was filled with, or what passed when it was left.
    if (!ValidatePage(m_active))
        return false;
    for (size_t page = 0; page < m_pages.size(); ++page)
        if (page != m_active && !ValidatePage(page))
            return false;
    return true;
}

void CDialogPref::CopyBack(CAppSettings::Values& values) const {
    for (const CDialogPrefPage* page : m_pages)
        page->CopyBack(values);
}
