#pragma once

#include "platform/com/ComTypes.h"

#include <string>

// What an object property file says about its control: who made it, which
// version, where its code can be fetched, and its class. One per file, made
// when the file has been read and not changed afterwards.
struct CControlDescription {
    std::string browserVersion;
    std::string companyName;
    std::string fileDescription;
    std::string legalCopyright;
    std::string legalTrademarks;
    std::string productName;
    // Compared byte for byte with the installed control's version; empty
    // accepts any.
    std::string productVersion;
    std::string filenameUrl;
    std::string licenseUrl;
    // classId in its registry text form, "{XXXXXXXX-XXXX-...}".
    std::string classIdText;
    CLSID classId{};
    // The code file behind filenameUrl is compressed (the file said exactly
    // "TRUE").
    bool compressed = false;
};
