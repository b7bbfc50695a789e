#include "bookmarks/prefs/CDialogPrefPage.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/Verify.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<int32_t> ParseDialogInteger(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Magnitudes beyond 32 bits are not numbers the field can hold.
    int64_t magnitude = 0;
    for (char c : text) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<std::string> CheckDialogInteger(std::string_view text, int32_t min, int32_t max) {
    std::optional<int32_t> value = ParseDialogInteger(text);
    if (!value)
        return std::string(LoadString(StringId::ParseInteger));
    if (*value < min || *value > max) {
        std::string message(LoadString(StringId::ParseIntegerRange));
        // The framework's messages number their inserts rather than
        // ordering them.
        for (auto [marker, bound] : {std::pair{"%1", min}, std::pair{"%2", max}})
            if (size_t at = message.find(marker); at != std::string::npos)
                message.replace(at, 2, std::to_string(bound));
        return message;
    }
    return std::nullopt;
}

std::optional<std::string> CDialogPrefPage::Validate() const {
    for (const IntegerField& field : Integers())
        if (auto message = CheckDialogInteger(Text(field.id), field.min, field.max))
            return message;
    return std::nullopt;
}

bool CDialogPrefPage::Has(unsigned id) const {
    const auto controls = Controls();
    return std::any_of(controls.begin(), controls.end(),
                       [id](const SheetControl& control) { return control.id == id; });
}

std::string CDialogPrefPage::Text(unsigned id) const {
    auto found = m_texts.find(id);
    return found == m_texts.end() ? std::string() : found->second;
}

void CDialogPrefPage::SetText(unsigned id, std::string_view text) {
    for (const SheetControl& control : Controls()) {
        if (control.id != id || !control.enabled)
            continue;
        if (control.kind == SheetControlKind::Edit)
            m_texts[id] = text;
        else if (control.kind == SheetControlKind::Check)
            m_texts[id] = text == "0" || text.empty() ? "0" : "1";
    }
}

int32_t CDialogPrefPage::IntegerOf(unsigned id) const {
    std::optional<int32_t> value = ParseDialogInteger(Text(id));
    VERIFY(value.has_value());
    return *value;
}
