#pragma once

#include <ostream>
#include <string>

class CHeadlessBackend;
class CTarnwickApp;

// What the headless shell writes of the page shown: used by the command-line
// options and by the script commands alike. Each returns false with a message
// in error when there is nothing to write or the file cannot be written.

// The page window painted now, or the whole laid-out page (full), as a PNG.
[[nodiscard]] bool WriteScreenshot(CTarnwickApp& app, CHeadlessBackend& backend,
                                   const std::string& path, bool full, std::string& error);
[[nodiscard]] bool WriteLayoutDump(CTarnwickApp& app, std::ostream& out, std::string& error);
[[nodiscard]] bool WriteElementDump(CTarnwickApp& app, std::ostream& out, std::string& error);
