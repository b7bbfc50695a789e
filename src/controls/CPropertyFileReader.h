#pragma once

#include "controls/CControlDescription.h"
#include "platform/com/ComInterfaces.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the reader takes from an object property file.
struct CPropertyFileContents {
    CControlDescription description;
    int32_t width = 0;  // pixels
    int32_t height = 0; // pixels
};

// At most this much of each description stream is read.
inline constexpr uint32_t kPropertyStreamLimit = 256;

// Reads the description of the object property file whose bytes lockBytes
// holds. False when the bytes are not a compound file, lack "Header
// Section" or "Object Property Section", or the latter has no readable
// class id; missing description streams leave their values empty (or 0).
[[nodiscard]] bool ReadObjectPropertyFile(ILockBytes* lockBytes, CPropertyFileContents& contents);

// A decimal number as the file's "Width" and "Height" hold it: optional
// leading white space and a sign, then digits up to the first non-digit;
// no digits give 0, and values beyond 32 bits stop at the nearest limit.
[[nodiscard]] int32_t ParseDecimal(std::string_view text);

// The name of the storage the control's own saved state lives in.
inline constexpr const char* kObjectPropertySection = "Object Property Section";
