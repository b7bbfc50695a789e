#pragma once

#include <optional>
#include <span>
#include <string_view>

// One file of the resources folder, compiled into the program. The name is
// its path below that folder with "/" separators, in the letter case of the
// file on disk.
struct CResource {
    std::string_view name;
    std::span<const unsigned char> bytes;
};

// The files that ship inside the program (the built-in "about:" pages and
// pictures among them), so that the program needs nothing beside itself at
// run time. Names are matched without regard to ASCII letter case, as the
// original program's resource lookup did.
class CResources {
public:
    [[nodiscard]] static std::optional<std::span<const unsigned char>> Find(std::string_view name);
    [[nodiscard]] static std::span<const CResource> All();
};

[[nodiscard]] inline std::optional<std::span<const unsigned char>>
FindResource(std::string_view name) {
    return CResources::Find(name);
}

[[nodiscard]] inline std::span<const CResource> AllResources() {
    return CResources::All();
}
