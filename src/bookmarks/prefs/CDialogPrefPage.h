#pragma once

#include "app/CAppSettings.h"
#include "platform/ui/CPreferenceSheet.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A whole number as a dialog's integer field reads it: blanks around an
// optional sign and decimal digits, nothing else, within 32 bits.
[[nodiscard]] std::optional<int32_t> ParseDialogInteger(std::string_view text);

// The framework's check of an integer field: nothing when text is a number
// from min to max, else the message the user is shown ("Please enter an
// integer." or the range message with both bounds filled in).
[[nodiscard]] std::optional<std::string> CheckDialogInteger(std::string_view text, int32_t min,
                                                            int32_t max);

// A page of the preferences sheet: its controls, the texts its fields hold
// while it is open, and the exchange of those texts with the settings.
class CDialogPrefPage {
public:
    virtual ~CDialogPrefPage() = default;

    [[nodiscard]] virtual std::string_view Caption() const = 0;
    [[nodiscard]] virtual std::span<const SheetControl> Controls() const = 0;
    virtual void Fill(const CAppSettings::Values& values) = 0;
    // Only after Validate found nothing wrong.
    virtual void CopyBack(CAppSettings::Values& values) const = 0;

    // The page's integer fields checked in their order: the first message,
    // or nothing when all are good.
    [[nodiscard]] std::optional<std::string> Validate() const;

    [[nodiscard]] bool Has(unsigned id) const;
    [[nodiscard]] std::string Text(unsigned id) const;
    // Only editable fields and check boxes take text.
    void SetText(unsigned id, std::string_view text);
    [[nodiscard]] virtual std::vector<std::string> ListLines(unsigned id) const {
        (void)id;
        return {};
    }
    virtual void Press(unsigned id, const std::vector<size_t>& selected) {
        (void)id;
        (void)selected;
    }

protected:
    struct IntegerField {
        unsigned id;
        int32_t min;
        int32_t max;
    };
    [[nodiscard]] virtual std::span<const IntegerField> Integers() const { return {}; }

    void Put(unsigned id, std::string text) { m_texts[id] = std::move(text); }
    void PutInt(unsigned id, int32_t value) { m_texts[id] = std::to_string(value); }
    // A field Validate has passed.
    [[nodiscard]] int32_t IntegerOf(unsigned id) const;

private:
    std::map<unsigned, std::string> m_texts;
};
