#include "controls/CFileReadRequest.h"

#include "content/CFileDownloadLoad.h"
#include "content/CScheduler.h"
#include "content/FileNames.h"
#include "content/Url.h"
#include "controls/CControlItem.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <filesystem>
#include <system_error>

CFileReadRequest::CFileReadRequest(CControlItem& item, std::string resolved, std::string given)
    : m_item(item), m_resolved(std::move(resolved)), m_given(std::move(given)) {}

CFileReadRequest::~CFileReadRequest() = default;

void CFileReadRequest::Start(const std::string& path) {
    auto* load = NewLoad<CFileDownloadLoad>(m_resolved, path, "", Method::Get, "", "");
    m_state = State::Running;
    Scheduler().Start(load);
}

void CFileReadRequest::OnLoadNotify(uint32_t flags, CDynamicLoad* load) {
    if (!(flags & Notify::Finished) || m_state != State::Running)
        return;
    m_state = State::Done;
    bool success = load->Result() == Status::Complete;
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
