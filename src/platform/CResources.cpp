#include "platform/CResources.h"

#include <algorithm>

// Defined by the source that cmake/Embed.cmake generates from the resources
// folder; constant-initialised there, so it is usable during static
// initialisation too.
extern const std::span<const CResource> g_embeddedResources;

namespace {

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace

std::optional<std::span<const unsigned char>> CResources::Find(std::string_view name) {
    for (const CResource& resource : g_embeddedResources) {
        if (EqualIgnoringAsciiCase(resource.name, name))
            return resource.bytes;
    }
    return std::nullopt;
}

std::span<const CResource> CResources::All() {
    return g_embeddedResources;
}
