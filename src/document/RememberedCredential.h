#pragma once

#include <optional>
#include <string>
#include <string_view>

// The one credential of the process: given for a page's scheme, host and
// port, sent with every later request to exactly those. A new login replaces
// it; it is never written to disk. UI thread only.
struct RememberedCredential {
    std::string authorization; // "Basic " and the base64 text
    std::string host;
    long port = -1; // -1 when the URL names none
    std::string scheme;
};

// Remembers user and password for the scheme, host and port of url.
void RememberCredential(std::string_view url, std::string_view user, std::string_view password);
void ForgetCredential();
[[nodiscard]] const std::optional<RememberedCredential>& CurrentCredential();

// "Authorization: " and the credential with CR LF when url's scheme, host and
// port all equal the remembered ones (exactly, letter case included); else
// nothing.
[[nodiscard]] std::string AuthorizationHeaderFor(std::string_view url);

// headers with line (an "Authorization: " line) at the end, in place of any
// "Authorization: " line they held: a server reads only the first, so an old
// credential left in front would hide the new one for ever.
[[nodiscard]] std::string WithAuthorizationLine(std::string_view headers, std::string_view line);

// True when the challenge names the Basic scheme: its first five characters
// are "basic" in any letter case.
[[nodiscard]] bool IsBasicChallenge(std::string_view challenge);
