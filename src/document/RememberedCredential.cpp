#include "document/RememberedCredential.h"

#include "content/Url.h"
#include "document/Base64.h"
#include "platform/TextUtil.h"

namespace {

std::optional<RememberedCredential> g_credential;

constexpr std::string_view AuthorizationName = "Authorization:";

} // namespace

void RememberCredential(std::string_view url, std::string_view user, std::string_view password) {
    std::string pair(user);
    pair += ':';
    pair += password;
    g_credential = RememberedCredential{.authorization = "Basic " + Base64Encode(pair),
                                        .host = UrlHost(url),
                                        .port = UrlPort(url),
                                        .scheme = UrlScheme(url)};
}

void ForgetCredential() {
    g_credential.reset();
}

const std::optional<RememberedCredential>& CurrentCredential() {
    return g_credential;
}

std::string AuthorizationHeaderFor(std::string_view url) {
    if (!g_credential)
        return {};
    const RememberedCredential& credential = *g_credential;
    if (UrlScheme(url) != credential.scheme || UrlHost(url) != credential.host ||
        UrlPort(url) != credential.port)
        return {};
    return "Authorization: " + credential.authorization + "\r\n";
}

std::string WithAuthorizationLine(std::string_view headers, std::string_view line) {
    std::string kept;
    while (!headers.empty()) {
        size_t end = headers.find('\n');
        end = end == std::string_view::npos ? headers.size() : end + 1;
        std::string_view current = headers.substr(0, end);
        // Header names are case-insensitive (RFC 1945, section 4.2).
        if (!StartsWithNoCase(current, AuthorizationName))
            kept += current;
        headers.remove_prefix(end);
    }
    kept += line;
    return kept;
}

bool IsBasicChallenge(std::string_view challenge) {
    return StartsWithNoCase(challenge, "basic");
}
