#include "view/CFormSubmission.h"

#include "platform/TextUtil.h"

#include <cstdio>

namespace {

bool StaysAsItIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

// The enctype comes from the page and is written into a header line: a CR
// or LF in it would let the page add header lines or start the body.
std::string WithoutLineBreaks(std::string_view text) {
    std::string kept;
    for (char c : text)
        if (c != '\r' && c != '\n')
            kept += c;
    return kept;
}

} // namespace

std::string EncodeFormText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (StaysAsItIs(c)) {
            encoded += ch;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string FormBody(std::string_view action, const std::vector<FormPair>& pairs) {
    std::string body;
    if (StartsWithNoCase(action, "mailto:")) {
        for (const auto& [name, value] : pairs)
            body += name + " " + value + "\r\n";
        return body;
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        const auto& [name, value] = pairs[i];
        if (i > 0)
            body += '&';
        if (!name.empty())
            body += EncodeFormText(name) + "=";
        body += EncodeFormText(value);
    }
    return body;
}

NavigateRequest FormRequest(const CFormTarget& form, const std::string& body) {
    if (form.method == 0) {
        // The "?" goes on even when the body is empty or the action already
        // holds a query: servers of such forms expect exactly this address.
        return {.url = form.action + "?" + body};
    }
    char length[32];
    std::snprintf(length, sizeof length, "%zu", body.size());
    std::string headers = "Content-type: " + WithoutLineBreaks(form.enctype) +
                          "\r\nContent-length: " + length + "\r\n";
    return {.url = form.action, .method = Method::Post, .headers = headers, .postData = body};
}
