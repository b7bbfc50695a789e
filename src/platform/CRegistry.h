#pragma once

#include "platform/CMutex.h"
#include "platform/CRegFile.h"
#include "platform/CRegKey.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Stands in for the Windows registry the program was written against: HKEY_CURRENT_USER and
// HKEY_CLASSES_ROOT, kept in one REGEDIT4 file. Every write rewrites the whole file through a
// temporary file and a rename, so a crash leaves either the old file or the new one.
//
// Key paths use "\\" between names ("Software\\Vestrial\\Vestrial\\Network"); "" is the root.
// Key and value names match ASCII-case-insensitively and keep the spelling they were created
// with. The value name "" is the key's default value. Safe to use from any thread.
class CRegistry {
public:
    // Where a save can be stopped by a test, as a crash or a failing disk would stop it.
    enum class SaveStage { MidWrite, BeforeRename };
    enum class SaveFault { None, IoError, Crash };

    // Loads the file now. A missing file is an empty registry; a damaged one is reported on
    // stderr, treated as empty, and moved aside to "<file>.damaged" before the first save.
    explicit CRegistry(std::filesystem::path file);
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // $XDG_CONFIG_HOME/vestrial/registry.reg, else ~/.config/vestrial/registry.reg.
    static std::filesystem::path DefaultPath();

    std::optional<std::string> GetString(RegRoot root, std::string_view key,
                                         std::string_view name) const;
    std::optional<uint32_t> GetDword(RegRoot root, std::string_view key,
                                     std::string_view name) const;

    // The writes below create missing keys along the path. They return false, changing nothing,
    // for a malformed path or name, a missing target (Delete*), or a change that would push the
    // file past CRegFile's limits. They also return false when saving fails; the change then
    // stays in memory, LastWriteError() says why, and the next write saves it again.
    [[nodiscard]] bool SetString(RegRoot root, std::string_view key, std::string_view name,
                                 std::string_view value);
    [[nodiscard]] bool SetDword(RegRoot root, std::string_view key, std::string_view name,
                                uint32_t value);
    [[nodiscard]] bool CreateKey(RegRoot root, std::string_view key);
    [[nodiscard]] bool DeleteValue(RegRoot root, std::string_view key, std::string_view name);
    // Removes the key with all its subkeys. The root itself cannot be deleted.
    [[nodiscard]] bool DeleteKey(RegRoot root, std::string_view key);

    bool KeyExists(RegRoot root, std::string_view key) const;
    // In the order they were created.
    std::vector<std::string> SubKeys(RegRoot root, std::string_view key) const;
    std::vector<std::string> ValueNames(RegRoot root, std::string_view key) const;

    // Empty when the file loaded cleanly (or did not exist).
    const std::string& LoadError() const { return m_loadError; }
    // Why the latest write that could not be saved failed; empty once a save succeeds.
    std::string LastWriteError() const;
    const std::filesystem::path& File() const { return m_file; }

    void SetSaveFaultHookForTesting(std::function<SaveFault(SaveStage)> hook);

private:
    // What one write added, so that a write which would leave an unsaveable file can be undone.
    struct Change {
        bool changed = false;
        CRegKey* parentOfNewKey = nullptr;
        std::string newKeyName;
        CRegKey* valueKey = nullptr;
        std::string valueName;
        std::optional<RegData> previousValue;
        size_t addedEntries = 0;
    };

    const CRegKey* FindKeyLocked(RegRoot root, std::string_view key) const REQUIRES(m_mutex);
    const RegValue* FindValueLocked(RegRoot root, std::string_view key, std::string_view name) const
        REQUIRES(m_mutex);
    std::pair<CRegKey*, size_t> DeepestLocked(RegRoot root, std::span<const std::string_view> names)
        REQUIRES(m_mutex);
    CRegKey* CreatePathLocked(CRegKey* from, std::span<const std::string_view> names,
                              Change& change) REQUIRES(m_mutex);
    [[nodiscard]] bool SetValue(RegRoot root, std::string_view key, std::string_view name,
                                RegData data);
    [[nodiscard]] bool CommitLocked(const Change& change) REQUIRES(m_mutex);
    void UndoLocked(const Change& change) REQUIRES(m_mutex);
    [[nodiscard]] bool RefuseLocked(std::string reason) REQUIRES(m_mutex);
    std::string ReplaceFileLocked(std::string_view text) REQUIRES(m_mutex);
    std::string WriteTempLocked(std::string& temp, std::string_view text) REQUIRES(m_mutex);
    std::string MoveDamagedAsideLocked() REQUIRES(m_mutex);
    std::string InjectedFaultLocked(SaveStage stage) const REQUIRES(m_mutex);

    const std::filesystem::path m_file;
    std::string m_loadError;

    mutable CMutex m_mutex;
    RegTree m_tree GUARDED_BY(m_mutex);
    size_t m_entries GUARDED_BY(m_mutex) = 0;
    bool m_damagedPending GUARDED_BY(m_mutex) = false;
    bool m_unsaved GUARDED_BY(m_mutex) = false;
    std::string m_lastWriteError GUARDED_BY(m_mutex);
    std::function<SaveFault(SaveStage)> m_faultHook GUARDED_BY(m_mutex);
};
