#pragma once

#include "bookmarks/prefs/CDialogPrefPage.h"
#include "controls/ControlClassLookup.h"

#include <string>
#include <vector>

class CRegistry;
class CUiBackend;

// A control the page lists: what the registry says of it.
struct CPrefControlRecord {
    std::string displayName;
    // The server path always; the class key, program id and type library only
    // when the server file is missing.
    CRegistryRecord registry;
    // The server path up to and including its last "/".
    std::string serverDirectory;
    bool filePresent = true;
};

// The control directory (shown, not editable) and the controls registered
// under the classes root, which the user may unregister; a control's file
// goes with it.
class CDialogPrefOleControls final : public CDialogPrefPage {
public:
    CDialogPrefOleControls(CRegistry& registry, CUiBackend& ui);

    std::string_view Caption() const override { return "OLE Controls"; }
    std::span<const SheetControl> Controls() const override;
    void Fill(const CAppSettings::Values& values) override;
    void CopyBack(CAppSettings::Values& values) const override;
    std::vector<std::string> ListLines(unsigned id) const override;
    void Press(unsigned id, const std::vector<size_t>& selected) override;

    // Every class key with a "Control" key and a server, in the registry's
    // order.
    void ListRegisteredControls();
    [[nodiscard]] const std::vector<CPrefControlRecord>& Records() const { return m_records; }
    // Asks for each selected line, the last first, and unregisters those the
    // user agrees to.
    void UnregisterSelected(const std::vector<size_t>& selected);

private:
    [[nodiscard]] bool UnregisterOne(const CPrefControlRecord& record);
    [[nodiscard]] bool InControlDirectory(const CPrefControlRecord& record) const;
    void ShowFailure();

    CRegistry& m_registry;
    CUiBackend& m_ui;
    std::vector<CPrefControlRecord> m_records;
};
