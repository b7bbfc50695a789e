#include "platform/CRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// A simulated crash must leave the temporary file exactly as it was, so it is told apart from
// ordinary failures, whose temporary file is removed.
constexpr std::string_view kCrashed = "the save stopped part-way (simulated crash)";
constexpr int kMaxDamagedCopies = 9;

std::string SystemError(std::string_view what, int error) {
    return std::string(what) + ": " + std::generic_category().message(error);
}

std::filesystem::path HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir) {
        return found->pw_dir;
    }
    return ".";
}

// Reads the whole file. nullopt with `error` empty means there is no file yet.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string& error) {
    FilePtr in(std::fopen(file.c_str(), "rb"));
    if (!in) {
        if (errno != ENOENT) {
            error = SystemError("cannot open it", errno);
        }
        return std::nullopt;
    }
    std::string text;
    char buffer[64 * 1024];
    size_t got = 0;
    do {
        got = std::fread(buffer, 1, sizeof buffer, in.get());
        text.append(buffer, got);
        if (text.size() > CRegFile::kMaxFileBytes) {
            error = "the file is larger than 16 MiB";
            return std::nullopt;
        }
    } while (got == sizeof buffer);
    if (std::ferror(in.get())) {
        error = "a read failed";
        return std::nullopt;
    }
    return text;
}

bool WriteAll(FILE* out, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

// Makes the rename itself survive a power cut. By now the file on disk is complete whichever
// name it is reached by, so a failure here is not worth failing the write for.
void SyncDirectory(const std::filesystem::path& dir) {
    if (DirPtr handle{::opendir(dir.c_str())}) {
        ::fsync(::dirfd(handle.get()));
    }
}

} // namespace

CRegistry::CRegistry(std::filesystem::path file) : m_file(std::move(file)) {
    std::string reason;
    if (std::optional<std::string> text = ReadWholeFile(m_file, reason)) {
        RegParseResult parsed = CRegFile::Parse(*text);
        if (parsed.error.empty()) {
            m_tree = std::move(parsed.tree);
            m_entries = parsed.entries;
            return;
        }
        reason = std::move(parsed.error);
    }
    if (reason.empty()) {
        return;
    }
    m_damagedPending = true;
    m_loadError = "the registry file " + m_file.string() + " is damaged (" + reason +
                  "); starting with empty settings";
    std::fprintf(stderr, "vestrial: %s\n", m_loadError.c_str());
}

std::filesystem::path CRegistry::DefaultPath() {
    std::filesystem::path config;
    // Relative values are to be ignored, per the XDG base directory rules.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        config = HomeDirectory() / ".config";
    }
    return config / "vestrial" / "registry.reg";
}

std::optional<std::string> CRegistry::GetString(RegRoot root, std::string_view key,
                                                std::string_view name) const {
    CMutexGuard lock(m_mutex);
    const RegValue* value = FindValueLocked(root, key, name);
    const auto* text = value ? std::get_if<std::string>(&value->data) : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<uint32_t> CRegistry::GetDword(RegRoot root, std::string_view key,
                                            std::string_view name) const {
    CMutexGuard lock(m_mutex);
    const RegValue* value = FindValueLocked(root, key, name);
    const auto* dword = value ? std::get_if<uint32_t>(&value->data) : nullptr;
    return dword ? std::optional<uint32_t>(*dword) : std::nullopt;
}

bool CRegistry::SetString(RegRoot root, std::string_view key, std::string_view name,
                          std::string_view value) {
    return CRegFile::IsValidString(value) && SetValue(root, key, name, std::string(value));
}

bool CRegistry::SetDword(RegRoot root, std::string_view key, std::string_view name,
                         uint32_t value) {
    return SetValue(root, key, name, value);
}

bool CRegistry::SetValue(RegRoot root, std::string_view key, std::string_view name, RegData data) {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names) || !CRegFile::IsValidValueName(name)) {
        return false;
    }
    CMutexGuard lock(m_mutex);
    const auto [deepest, found] = DeepestLocked(root, names);
    const auto missing = std::span<const std::string_view>(names).subspan(found);
    const RegValue* old = missing.empty() ? deepest->FindValue(name) : nullptr;
    const size_t added = missing.size() + (old ? 0 : 1);
    if (m_entries + added > CRegFile::kMaxEntries) {
        return RefuseLocked("too many keys and values");
    }
    Change change;
    if (old && old->data == data) {
        return CommitLocked(change);
    }
    if (old) {
        change.previousValue = old->data;
    }
    change.valueKey = CreatePathLocked(deepest, missing, change);
    change.valueName = name;
    change.valueKey->SetValue(name, std::move(data));
    change.changed = true;
    change.addedEntries = added;
    m_entries += added;
    return CommitLocked(change);
}

bool CRegistry::CreateKey(RegRoot root, std::string_view key) {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names)) {
        return false;
    }
    CMutexGuard lock(m_mutex);
    const auto [deepest, found] = DeepestLocked(root, names);
    const auto missing = std::span<const std::string_view>(names).subspan(found);
    if (m_entries + missing.size() > CRegFile::kMaxEntries) {
        return RefuseLocked("too many keys and values");
    }
    Change change;
    CreatePathLocked(deepest, missing, change);
    change.addedEntries = missing.size();
    m_entries += missing.size();
    return CommitLocked(change);
}

bool CRegistry::DeleteValue(RegRoot root, std::string_view key, std::string_view name) {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names)) {
        return false;
    }
    CMutexGuard lock(m_mutex);
    const auto [deepest, found] = DeepestLocked(root, names);
    if (found != names.size() || !deepest->RemoveValue(name)) {
        return false;
    }
    --m_entries;
    Change change;
    change.changed = true;
    return CommitLocked(change);
}

bool CRegistry::DeleteKey(RegRoot root, std::string_view key) {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names) || names.empty()) {
        return false;
    }
    CMutexGuard lock(m_mutex);
    const auto parentPath = std::span<const std::string_view>(names).first(names.size() - 1);
    const auto [parent, found] = DeepestLocked(root, parentPath);
    const CRegKey* doomed = found == parentPath.size() ? parent->FindChild(names.back()) : nullptr;
    if (!doomed) {
        return false;
    }
    m_entries -= 1 + doomed->CountEntries();
    parent->RemoveChild(names.back());
    Change change;
    change.changed = true;
    return CommitLocked(change);
}

bool CRegistry::KeyExists(RegRoot root, std::string_view key) const {
    CMutexGuard lock(m_mutex);
    return FindKeyLocked(root, key) != nullptr;
}

std::vector<std::string> CRegistry::SubKeys(RegRoot root, std::string_view key) const {
    CMutexGuard lock(m_mutex);
    std::vector<std::string> names;
    if (const CRegKey* found = FindKeyLocked(root, key)) {
        for (const auto& child : found->Children()) {
            names.push_back(child->Name());
        }
    }
    return names;
}

std::vector<std::string> CRegistry::ValueNames(RegRoot root, std::string_view key) const {
    CMutexGuard lock(m_mutex);
    std::vector<std::string> names;
    if (const CRegKey* found = FindKeyLocked(root, key)) {
        for (const RegValue& value : found->Values()) {
            names.push_back(value.name);
        }
    }
    return names;
}

std::string CRegistry::LastWriteError() const {
    CMutexGuard lock(m_mutex);
    return m_lastWriteError;
}

void CRegistry::SetSaveFaultHookForTesting(std::function<SaveFault(SaveStage)> hook) {
    CMutexGuard lock(m_mutex);
    m_faultHook = std::move(hook);
}

const CRegKey* CRegistry::FindKeyLocked(RegRoot root, std::string_view key) const {
    std::vector<std::string_view> names;
    if (!CRegFile::SplitKeyPath(key, names)) {
        return nullptr;
    }
    const CRegKey* found = &m_tree.Root(root);
    for (const std::string_view name : names) {
        if (!(found = found->FindChild(name))) {
            return nullptr;
        }
    }
    return found;
}

const RegValue* CRegistry::FindValueLocked(RegRoot root, std::string_view key,
                                           std::string_view name) const {
    const CRegKey* found = FindKeyLocked(root, key);
    return found ? found->FindValue(name) : nullptr;
}

std::pair<CRegKey*, size_t> CRegistry::DeepestLocked(RegRoot root,
                                                     std::span<const std::string_view> names) {
    CRegKey* deepest = &m_tree.Root(root);
    size_t found = 0;
    for (; found < names.size(); ++found) {
        CRegKey* child = deepest->FindChild(names[found]);
        if (!child) {
            break;
        }
        deepest = child;
    }
    return {deepest, found};
}

CRegKey* CRegistry::CreatePathLocked(CRegKey* from, std::span<const std::string_view> names,
                                     Change& change) {
    if (!names.empty()) {
        change.changed = true;
        change.parentOfNewKey = from;
        change.newKeyName = names.front();
    }
    for (const std::string_view name : names) {
        from = &from->EnsureChild(name);
    }
    return from;
}

bool CRegistry::CommitLocked(const Change& change) {
    if (!change.changed && !m_unsaved) {
        return true;
    }
    const std::string text = CRegFile::Serialise(m_tree);
    if (text.size() > CRegFile::kMaxFileBytes) {
        UndoLocked(change);
        return RefuseLocked("the settings would be larger than 16 MiB");
    }
    std::string error = ReplaceFileLocked(text);
    if (!error.empty()) {
        // A read-only or full disk would otherwise repeat the same line on every write.
        if (error != m_lastWriteError) {
            std::fprintf(stderr, "vestrial: could not save the registry file %s (%s)\n",
                         m_file.c_str(), error.c_str());
        }
        m_unsaved = true;
        m_lastWriteError = std::move(error);
        return false;
    }
    m_unsaved = false;
    m_lastWriteError.clear();
    return true;
}

void CRegistry::UndoLocked(const Change& change) {
    if (change.valueKey) {
        if (change.previousValue) {
            change.valueKey->SetValue(change.valueName, *change.previousValue);
        } else {
            change.valueKey->RemoveValue(change.valueName);
        }
    }
    if (change.parentOfNewKey) {
        change.parentOfNewKey->RemoveChild(change.newKeyName);
    }
    m_entries -= change.addedEntries;
}

bool CRegistry::RefuseLocked(std::string reason) {
    m_lastWriteError = std::move(reason);
    return false;
}

std::string CRegistry::ReplaceFileLocked(std::string_view text) {
    const std::filesystem::path dir = m_file.has_parent_path() ? m_file.parent_path() : ".";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        return "cannot create " + dir.string() + ": " + ec.message();
    }
    if (m_damagedPending) {
        if (std::string error = MoveDamagedAsideLocked(); !error.empty()) {
            return error;
        }
    }
    std::string temp = m_file.string() + ".tmp-XXXXXX";
    std::string error = WriteTempLocked(temp, text);
    if (error.empty()) {
        error = InjectedFaultLocked(SaveStage::BeforeRename);
    }
    if (error.empty() && std::rename(temp.c_str(), m_file.c_str()) != 0) {
        error = SystemError("cannot replace the file", errno);
    }
    if (error.empty()) {
        SyncDirectory(dir);
    } else if (error != kCrashed && !temp.empty()) {
        ::unlink(temp.c_str());
    }
    return error;
}

// Clears `temp` when no temporary file was created, so that there is nothing to clean up.
std::string CRegistry::WriteTempLocked(std::string& temp, std::string_view text) {
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int error = errno;
        temp.clear();
        return SystemError("cannot create a temporary file", error);
    }
    FilePtr out(::fdopen(fd, "wb"));
    if (!out) {
        const int error = errno;
        ::close(fd);
        return SystemError("cannot open the temporary file", error);
    }
    const size_t half = text.size() / 2;
    if (!WriteAll(out.get(), text.substr(0, half))) {
        return SystemError("cannot write the temporary file", errno);
    }
    if (std::string fault = InjectedFaultLocked(SaveStage::MidWrite); !fault.empty()) {
        return fault;
    }
    if (!WriteAll(out.get(), text.substr(half))) {
        return SystemError("cannot write the temporary file", errno);
    }
    if (::fsync(::fileno(out.get())) != 0) {
        return SystemError("cannot flush the temporary file to disk", errno);
    }
    if (std::fclose(out.release()) != 0) {
        return SystemError("cannot close the temporary file", errno);
    }
    return {};
}

// Keeps what the user had: a damaged file is never overwritten, and neither is an older
// damaged copy while there is room for another.
std::string CRegistry::MoveDamagedAsideLocked() {
    const std::string base = m_file.string() + ".damaged";
    std::string target = base;
    for (int copy = 2; copy <= kMaxDamagedCopies; ++copy) {
        std::error_code ec;
        if (std::filesystem::symlink_status(target, ec).type() ==
            std::filesystem::file_type::not_found) {
            break;
        }
        target = base + "." + std::to_string(copy);
    }
    if (std::rename(m_file.c_str(), target.c_str()) != 0 && errno != ENOENT) {
        return SystemError("cannot move the damaged file aside", errno);
    }
    m_damagedPending = false;
    return {};
}

std::string CRegistry::InjectedFaultLocked(SaveStage stage) const {
    switch (m_faultHook ? m_faultHook(stage) : SaveFault::None) {
    case SaveFault::None:
        return {};
    case SaveFault::IoError:
        return "an injected I/O error";
    case SaveFault::Crash:
        return std::string(kCrashed);
    }
    return {};
}
