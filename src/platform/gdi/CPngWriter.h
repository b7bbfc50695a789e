#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDibSection;

// Writes a section as an 8-bit palette PNG: the colour table becomes the
// PNG palette and the indices are kept, so nothing is lost or re-quantised.
class CPngWriter {
public:
    [[nodiscard]] static bool WriteFile(const CDibSection& section, const std::string& path);
    [[nodiscard]] static std::vector<uint8_t> WriteMemory(const CDibSection& section);
};
