#include "app/UserDirectories.h"

#include "app/CAppSettings.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

std::optional<std::string> AbsoluteVariable(const EnvironmentLookup& environment,
                                            const char* name) {
    const char* value = environment(name);
    if (!value || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

} // namespace

UserDirectories DefaultUserDirectories(const EnvironmentLookup& environment,
                                       std::string_view workingDirectory) {
    std::optional<std::string> home = AbsoluteVariable(environment, "HOME");
    std::optional<std::string> data = AbsoluteVariable(environment, "XDG_DATA_HOME");
    std::optional<std::string> cache = AbsoluteVariable(environment, "XDG_CACHE_HOME");
    if (!data && home)
        data = WithTrailingSlash(*home) + ".local/share";
    if (!cache && home)
        cache = WithTrailingSlash(*home) + ".cache";
    const std::string fallback = WithTrailingSlash(workingDirectory);
    UserDirectories directories;
    directories.bookmarks = data ? WithTrailingSlash(*data) + "vestrial/" : fallback;
    directories.controls = data ? directories.bookmarks + "controls/" : fallback;
    directories.temporary = cache ? WithTrailingSlash(*cache) + "vestrial/" : fallback;
    return directories;
}

bool EnsureDirectory(const std::string& directory) {
    if (directory.empty())
        return false;
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(directory, error))
        return true;
    const fs::path path = fs::path(directory).lexically_normal();
    // Each missing level is made for the user alone.
    fs::path made;
    for (const fs::path& part : path) {
        made /= part;
        if (made.empty() || fs::is_directory(made, error))
            continue;
        if (!fs::create_directory(made, error))
            return fs::is_directory(made, error);
        fs::permissions(made, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    return fs::is_directory(directory, error);
}
