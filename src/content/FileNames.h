#pragma once

#include <string>
#include <string_view>

// The content type of a file from its extension ("unknown" when the table has
// none). Shared by the file and about: schemes.
std::string ContentTypeForName(std::string_view name);

// The "file:///" URL of a local path (made absolute first).
std::string FileUrlFromPath(std::string_view path);

// The local path a "file:///" URL names: the inverse of FileUrlFromPath. The
// URL must already be known to start with "file:///". An escaped NUL stays in
// the path as a NUL byte; no file has such a name.
std::string PathFromFileUrl(std::string_view url);
