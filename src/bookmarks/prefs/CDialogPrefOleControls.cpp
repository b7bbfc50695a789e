#include "bookmarks/prefs/CDialogPrefOleControls.h"

#include "bookmarks/prefs/PrefControlIds.h"
#include "platform/CRegistry.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/com/ComHost.h"
#include "platform/ui/CUiBackend.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Id = PrefControlId;

namespace {

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Two spellings of one directory compare equal ("a//b/./" and "a/b/"). Case
// counts: on this system two names that differ only in case are two files.
std::string NormalDirectory(const std::string& directory) {
    return WithTrailingSlash(std::filesystem::path(directory).lexically_normal().string());
}

} // namespace

CDialogPrefOleControls::CDialogPrefOleControls(CRegistry& registry, CUiBackend& ui)
    : m_registry(registry), m_ui(ui) {
    ListRegisteredControls();
}

std::span<const SheetControl> CDialogPrefOleControls::Controls() const {
    static constexpr SheetControl controls[] = {
        {Id::ControlDirectory, SheetControlKind::ReadOnlyEdit, "OLE Control Storage Directory",
         "control-directory"},
        {Id::RegisteredControls, SheetControlKind::List, "Currently Registered Controls",
         "controls"},
        {Id::UnregisterControl, SheetControlKind::Button, "Unregister Control", "unregister"},
    };
    return controls;
}

void CDialogPrefOleControls::Fill(const CAppSettings::Values& values) {
    Put(Id::ControlDirectory, values.controlDirectory);
}

void CDialogPrefOleControls::CopyBack(CAppSettings::Values& values) const {
    values.controlDirectory = WithTrailingSlash(Text(Id::ControlDirectory));
}

std::vector<std::string> CDialogPrefOleControls::ListLines(unsigned id) const {
    std::vector<std::string> lines;
    if (id == Id::RegisteredControls)
        for (const CPrefControlRecord& record : m_records)
            lines.push_back(record.displayName);
    return lines;
}

void CDialogPrefOleControls::Press(unsigned id, const std::vector<size_t>& selected) {
    if (id == Id::UnregisterControl)
        UnregisterSelected(selected);
}

void CDialogPrefOleControls::ListRegisteredControls() {
    m_records.clear();
    for (const std::string& name : m_registry.SubKeys(RegRoot::ClassesRoot, "CLSID")) {
        const std::string key = "CLSID\\" + name;
        std::optional<std::string> displayName =
            m_registry.GetString(RegRoot::ClassesRoot, key, "");
        if (!displayName || !m_registry.KeyExists(RegRoot::ClassesRoot, key + "\\Control"))
            continue;
        std::optional<std::string> server =
            m_registry.GetString(RegRoot::ClassesRoot, key + "\\InprocServer32", "");
        if (!server)
            continue;
        CPrefControlRecord record;
        record.displayName = *displayName;
        record.registry.serverPath = *server;
        record.serverDirectory = DirectoryOf(*server);
        std::error_code error;
        if (!std::filesystem::exists(*server, error)) {
            record.filePresent = false;
            record.registry.classKey = name;
            auto read = [&](const char* sub) {
                return m_registry.GetString(RegRoot::ClassesRoot, key + sub, "").value_or("");
            };
            record.registry.progId = read("\\ProgID");
            record.registry.typeLibrary = read("\\TypeLib");
        }
        m_records.push_back(std::move(record));
    }
}

void CDialogPrefOleControls::UnregisterSelected(const std::vector<size_t>& selected) {
    std::vector<size_t> lines;
    for (size_t line : selected)
        if (line < m_records.size())
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());

    bool asking = true;
    // From the last line up, so that removing a line leaves the lines still
    // to come where they were.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (asking) {
            switch (m_ui.AskUnregisterControl(m_records[*line].displayName)) {
            case UnregisterAnswer::Yes:
                break;
            case UnregisterAnswer::YesToAll:
                asking = false;
                break;
            case UnregisterAnswer::No:
                continue;
            case UnregisterAnswer::Cancel:
                return;
            }
        }
        if (UnregisterOne(m_records[*line]))
            m_records.erase(m_records.begin() + static_cast<ptrdiff_t>(*line));
    }
}

bool CDialogPrefOleControls::InControlDirectory(const CPrefControlRecord& record) const {
    const std::string controlDirectory = Text(Id::ControlDirectory);
    if (controlDirectory.empty() || record.serverDirectory.empty())
        return false;
    return NormalDirectory(record.serverDirectory) == NormalDirectory(controlDirectory);
}

bool CDialogPrefOleControls::UnregisterOne(const CPrefControlRecord& record) {
    if (!record.filePresent) {
        ShowFailure();
        return false;
    }
    if (!InControlDirectory(record) &&
        m_ui.MessageBox(LoadString(StringId::ControlOutsideCache), MessageBoxButtons::YesNo,
                        MessageBoxIcon::Question) != MessageBoxResult::Yes)
        return false;
    if (FAILED(CoRegisterServer(record.registry.serverPath, true))) {
        ShowFailure();
        return false;
    }
    // A file that cannot be deleted stays: the control is unregistered all
    // the same.
    std::error_code ignored;
    std::filesystem::remove(record.registry.serverPath, ignored);
    return true;
}

void CDialogPrefOleControls::ShowFailure() {
    m_ui.MessageBox(LoadString(StringId::UnregisterFailed), MessageBoxButtons::Ok,
                    MessageBoxIcon::Error);
}
