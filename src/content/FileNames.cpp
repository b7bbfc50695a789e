#include "content/FileNames.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

struct Extension {
    const char* extension;
    const char* type;
};

constexpr Extension Extensions[] = {
    {".gif", "image/gif"},  {".htm", "text/html"},
    {".html", "text/html"}, {".txt", "text/plain"},
    {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"},
    {".png", "image/png"},  {".opf", "application/x-object-property-file"},
};

constexpr char Hex[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Characters that would change the URL's meaning, and bytes that are not
// printable ASCII, travel as "%XX".
bool NeedsEscape(unsigned char c) {
    switch (c) {
    case ' ':
    case '#':
    case '%':
    case ';':
    case '=':
    case '?':
    case '\\':
    // "|" stands for ":" in these URLs, so a real one must not look like it.
    case '|':
        return true;
    default:
        return c < 0x20 || c >= 0x7F;
    }
}

} // namespace

std::string ContentTypeForName(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return "unknown";
    std::string_view extension = name.substr(dot);
    for (const Extension& row : Extensions)
        if (EqualsNoCase(extension, row.extension))
            return row.type;
    return "unknown";
}

std::string FileUrlFromPath(std::string_view path) {
    std::string full;
    if (!path.empty()) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(std::string(path), error);
        full = error ? std::string(path) : absolute.string();
    }
    // The absolute path's own leading "/" is the third one of "file:///".
    std::string url = "file://";
    if (full.empty() || full.front() != '/')
        url += '/';
    for (char c : full) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == ':') {
            url += '|';
        } else if (NeedsEscape(byte)) {
            url += '%';
            url += Hex[byte >> 4];
            url += Hex[byte & 0xF];
        } else {
            url += c;
        }
    }
    return url;
}

std::string PathFromFileUrl(std::string_view url) {
    std::string_view rest = url.substr(std::min<size_t>(url.size(), 8));
    // Every local path is absolute: a drive-style "C|/dir" URL names "/C:/dir".
    std::string path = "/";
    for (size_t i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
            HexValue(rest[i + 2]) >= 0) {
            char byte = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            // A NUL would cut the path short when it reaches the system.
            if (byte != '\0')
                path += byte;
            i += 2;
        } else if (c == '|') {
            path += ':';
        } else {
            path += c;
        }
    }
    return path;
}
