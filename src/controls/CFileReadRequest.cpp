#include "controls/CFileReadRequest.h"

#include "content/CFileDownloadLoad.h"
#include "content/CScheduler.h"
#include "content/FileNames.h"
#include "content/Url.h"
#include "controls/CControlItem.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

// Files fetched for controls in this process: local path -> the address it
// came from. A path fetched again from another address is overwritten and
// recorded anew. UI thread only.
std::map<std::string, std::string>& FetchedFiles() {
    static std::map<std::string, std::string> files;
    return files;
}

} // namespace

CFileReadRequest::CFileReadRequest(CControlItem& item, std::string resolved, std::string given)
    : m_item(item), m_resolved(std::move(resolved)), m_given(std::move(given)) {}

CFileReadRequest::~CFileReadRequest() {
    if (m_state != State::Running)
        return;
    // Left before its end: the load is stopped first, so nothing writes the
    // unfinished file after it is gone.
    DeleteAllLoads();
    std::error_code ignored;
    std::filesystem::remove(m_partPath, ignored);
}

void CFileReadRequest::Start(const std::string& path) {
    m_path = path;
    m_partPath = UnfinishedPathFor(path);
    auto* load = NewLoad<CFileDownloadLoad>(m_resolved, m_partPath, "", Method::Get, "", "");
    m_state = State::Running;
    Scheduler().Start(load);
}

void CFileReadRequest::OnLoadNotify(uint32_t flags, CDynamicLoad* load) {
    if (!(flags & Notify::Finished) || m_state != State::Running)
        return;
    m_state = State::Done;
    bool success = load->Result() == Status::Complete;
    std::error_code error;
    if (success) {
        std::filesystem::rename(m_partPath, m_path, error);
        success = !error;
    }
    if (success)
        FetchedFiles()[m_path] = m_resolved;
    else
        std::filesystem::remove(m_partPath, error);
    // The item may delete this request while it answers: nothing of it is
    // used afterwards.
    m_item.NotifyReadFile(std::string(m_given), success);
}

std::string ResolveReadAddress(const std::string& base, const std::string& address) {
    std::string resolved = ResolveUrl(base, address);
    for (const char* scheme : {"http:", "https:", "file:"})
        if (StartsWithNoCase(resolved, scheme))
            return resolved;
    return {};
}

std::optional<std::string> LocalPathFor(const std::string& directory, const std::string& address) {
    std::string name =
        PercentDecoded(FileNameFromUrl(address.substr(0, address.find_first_of("?#"))));
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
        return std::nullopt;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    return directory + name;
}

std::string UnfinishedPathFor(const std::string& path) {
    static unsigned serial = 0; // UI thread only
    return path + ".~" + std::to_string(++serial) + ".part";
}

bool AlreadyFetched(const std::string& path, const std::string& resolved) {
    auto& files = FetchedFiles();
    auto found = files.find(path);
    if (found == files.end() || found->second != resolved)
        return false;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
        return true;
    // Deleted since: fetched again.
    files.erase(found);
    return false;
}

bool IsOwnTarget(const std::string& resolved, const std::string& path) {
    if (!StartsWithNoCase(resolved, "file:///"))
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path source = fs::weakly_canonical(PathFromFileUrl(resolved), error);
    if (error)
        return false;
    fs::path target = fs::weakly_canonical(path, error);
    if (error)
        return false;
    // Links and a second name of the same file count too.
    return source == target || fs::equivalent(source, target, error);
}
