#pragma once

#include <string>
#include <string_view>

// URL operations shared by the document, the HTTP client, the parser and the
// control installer. URLs are plain byte strings; these rules are deliberately
// simple and are relied on exactly as they stand (they are not RFC 3986).

// The text before the first ":"; empty when there is none.
std::string UrlScheme(std::string_view url);
// The text after "scheme://" up to the first "/" or ":"; empty without "//".
std::string UrlHost(std::string_view url);
// What UrlPort answers for a port that is not a decimal number from 0 to
// 65535 ("http://h:99999/", "http://h:8o/", "http://h:/").
inline constexpr long UrlPortMalformed = -2;
// The decimal number after the host's ":", -1 when the URL names no port, or
// UrlPortMalformed.
long UrlPort(std::string_view url);
// Whether two URLs name the same site: scheme, host and port alike, letter
// case aside; a port left out is the scheme's own (80 for http, 443 for
// https).
bool SameSite(std::string_view a, std::string_view b);
// From the first "/" after "//"; "/" when there is none (or no ":"); empty
// when the ":" is not followed by "//".
std::string UrlPath(std::string_view url);
// The absolute URL of reference relative to base.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// The last segment of a URL: after the last "/", else the last "\", else the
// last ":"; the whole URL when it has none of them.
std::string FileNameFromUrl(std::string_view url);
