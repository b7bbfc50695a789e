#pragma once

#include <functional>
#include <string>
#include <string_view>

// Where the program keeps its files when the settings name no other place:
// per-user folders, so that bookmarks and controls stay put wherever the
// program is started from. Each ends in "/".
struct UserDirectories {
    std::string bookmarks; // $XDG_DATA_HOME/vestrial/
    std::string controls;  // $XDG_DATA_HOME/vestrial/controls/
    std::string temporary; // $XDG_CACHE_HOME/vestrial/
};

// A variable of the environment, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The folders by the XDG base directory rules: a variable that is unset,
// empty or not an absolute path is ignored for ~/.local/share and ~/.cache;
// without a usable home, the working directory stands for all three.
[[nodiscard]] UserDirectories DefaultUserDirectories(const EnvironmentLookup& environment,
                                                     std::string_view workingDirectory);

// Creates the directory and its parents when they are missing (the user's
// own, mode 0700 as the base directory rules ask); false when it is not
// there afterwards.
bool EnsureDirectory(const std::string& directory);
