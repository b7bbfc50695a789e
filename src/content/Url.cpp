#include "content/Url.h"

#include "platform/TextUtil.h"

#include <initializer_list>

namespace {

// Position just past "scheme://", or npos when the first ":" is not followed
// by "//" (or there is no ":").
size_t AfterSlashes(std::string_view url) {
    size_t colon = url.find(':');
    if (colon == std::string_view::npos || url.substr(colon + 1, 2) != "//")
        return std::string_view::npos;
    return colon + 3;
}

// The parts end to end in one allocation: a page resolves an address for
// every link it has.
std::string Joined(std::initializer_list<std::string_view> parts) {
    size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string joined;
    joined.reserve(size);
    for (std::string_view part : parts)
        joined.append(part);
    return joined;
}

} // namespace

std::string UrlScheme(std::string_view url) {
    size_t colon = url.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(url.substr(0, colon));
}

std::string UrlHost(std::string_view url) {
    size_t start = AfterSlashes(url);
    if (start == std::string_view::npos)
        return {};
    size_t end = url.find_first_of("/:", start);
    return std::string(url.substr(start, end == std::string_view::npos ? end : end - start));
}

long UrlPort(std::string_view url) {
    size_t start = AfterSlashes(url);
    if (start == std::string_view::npos)
        return -1;
    // Only a ":" inside the authority names a port: one further on belongs to
    // the path ("http://host/a:b" has no port).
    size_t end = url.find_first_of("/:", start);
    if (end == std::string_view::npos || url[end] != ':')
        return -1;
    // Taken as a default or cut to 16 bits, a port the URL got wrong would
    // send the request to a port nobody named.
    constexpr long MaxPort = 0xFFFF;
    size_t i = end + 1;
    long port = 0;
    for (; i < url.size() && url[i] >= '0' && url[i] <= '9'; ++i) {
        port = port * 10 + (url[i] - '0');
        if (port > MaxPort)
            return UrlPortMalformed;
    }
    const bool ended = i == url.size() || url[i] == '/' || url[i] == '?' || url[i] == '#';
    return i > end + 1 && ended ? port : UrlPortMalformed;
}

bool SameSite(std::string_view a, std::string_view b) {
    auto port = [](std::string_view url, const std::string& scheme) {
        const long named = UrlPort(url);
        if (named != -1)
            return named;
        return EqualsNoCase(scheme, "https") ? 443L : EqualsNoCase(scheme, "http") ? 80L : -1L;
    };
    const std::string schemeA = UrlScheme(a);
    const std::string schemeB = UrlScheme(b);
    return EqualsNoCase(schemeA, schemeB) && EqualsNoCase(UrlHost(a), UrlHost(b)) &&
           port(a, schemeA) == port(b, schemeB);
}

std::string UrlPath(std::string_view url) {
    if (url.find(':') == std::string_view::npos)
        return "/";
    size_t start = AfterSlashes(url);
    if (start == std::string_view::npos)
        return {};
    size_t slash = url.find('/', start);
    return slash == std::string_view::npos ? std::string("/") : std::string(url.substr(slash));
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    if (reference.starts_with('#'))
        return Joined({base.substr(0, base.find('#')), reference});
    size_t slashes = base.find("//");
    if (slashes == std::string_view::npos)
        return std::string(reference);

    size_t pathStart = base.find('/', slashes + 2);
    std::string_view root = base.substr(0, pathStart);
    std::string_view path = pathStart == std::string_view::npos ? "/" : base.substr(pathStart);

    if (reference.starts_with('/') && !reference.starts_with("//"))
        return Joined({root, reference});
    if (reference.find("//") != std::string_view::npos ||
        reference.find(':') != std::string_view::npos)
        return std::string(reference);

    // A relative path: climb one directory of the base per leading "../".
    std::string_view rest = reference;
    size_t last = path.rfind('/');
    while (rest.starts_with("../")) {
        if (last == 0)
            return std::string(reference);
        last = path.rfind('/', last - 1);
        rest.remove_prefix(3);
    }
    return Joined({root, path.substr(0, last + 1), rest});
}

std::string FileNameFromUrl(std::string_view url) {
    for (char separator : {'/', '\\', ':'}) {
        size_t at = url.rfind(separator);
        if (at != std::string_view::npos)
            return std::string(url.substr(at + 1));
    }
    return std::string(url);
}
