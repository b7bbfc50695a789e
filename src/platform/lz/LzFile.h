#pragma once

#include "platform/lz/CLzExpander.h"

#include <cstdint>
#include <string>

// The name an expanded control file takes: the file name's extension
// replaced by ".ocx", or ".ocx" appended when the file name has none. Only
// the last path component counts, so a dot in a directory name is left
// alone.
[[nodiscard]] std::string OcxNameFor(const std::string& path);

// Expands the "SZDD" file source into target. The target appears only
// whole: it is written under a temporary name beside it and renamed at the
// end, so source and target may be the same file. On failure nothing is
// left at target's temporary name and an existing target is untouched.
[[nodiscard]] bool ExpandLzFile(const std::string& source, const std::string& target,
                                uint64_t limit = CLzExpander::DefaultLimit);
