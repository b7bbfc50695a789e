#pragma once

#include "document/CTarnwickDoc.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where a form goes and how: from its form-start element.
struct CFormTarget {
    std::string action;
    std::string enctype;
    uint32_t method = 0; // 0 GET, 2 POST
};

// A name and a value a form sends.
using FormPair = std::pair<std::string, std::string>;

// Letters, digits, "_", "." and "-" stay, a space becomes "+", every other
// byte "%" and two upper-case hexadecimal digits.
[[nodiscard]] std::string EncodeFormText(std::string_view text);

// The body the pairs make for a form with this action: "name value" lines
// ended by CR LF for a mail action, else name=value pairs joined by "&"
// (a pair without a name is its value alone).
[[nodiscard]] std::string FormBody(std::string_view action, const std::vector<FormPair>& pairs);

// The request that submits body to the form's target: GET appends "?" and
// the body to the action; POST sends the body with its type and length.
[[nodiscard]] NavigateRequest FormRequest(const CFormTarget& form, const std::string& body);
