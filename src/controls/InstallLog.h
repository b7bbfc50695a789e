#pragma once

#include <string>

struct CControlDescription;

// Appends one installation to "ocxlog.log" in the temporary directory (its
// text used as a prefix as it stands): the description's names, its version
// and the address its code came from, one "Name = value \r\n" line each and
// a line of dashes. False when the file cannot be written.
bool AppendInstallLog(const std::string& tempDirectory, const CControlDescription& description);
