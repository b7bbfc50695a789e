#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What an object property file holds. Texts are written followed by a zero
// byte, as the browser reads them; a field left empty (nullopt) gets no
// stream at all.
struct COpfContents {
    // The control's class, in its registry text form ("{XXXXXXXX-...}").
    std::string classId;
    std::optional<std::string> browserVersion;
    std::optional<std::string> companyName;
    std::optional<std::string> fileDescription;
    std::optional<std::string> legalCopyright;
    std::optional<std::string> legalTrademarks;
    std::optional<std::string> productName;
    std::optional<std::string> productVersion;
    std::optional<std::string> filenameUrl;
    std::optional<std::string> licenseUrl;
    std::optional<std::string> width;  // decimal text
    std::optional<std::string> height; // decimal text
    std::optional<std::string> isCompressed;
    // The control's own saved state: streams of "Object Property Section",
    // bytes exactly as given.
    std::vector<std::pair<std::string, std::string>> properties;
    // Left out, for files that lack a section.
    bool headerSection = true;
    bool propertySection = true;
};

// The bytes of the compound file, or nothing with the reason in error.
std::optional<std::vector<uint8_t>> WriteObjectPropertyFile(const COpfContents& contents,
                                                            std::string& error);
