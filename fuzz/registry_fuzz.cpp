// Feeds arbitrary bytes to the registry file parser. Whatever parses must survive being
// written out and read back unchanged, or a save followed by a restart would lose settings.
#include "platform/CRegFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RegParseResult first = CRegFile::Parse(text);
    if (!first.error.empty()) {
        return 0;
    }
    const size_t counted =
        first.tree.classesRoot.CountEntries() + first.tree.currentUser.CountEntries();
    if (first.entries != counted) {
        __builtin_trap();
    }
    const std::string written = CRegFile::Serialise(first.tree);
    const RegParseResult second = CRegFile::Parse(written);
    if (!second.error.empty() || !(second.tree == first.tree) || second.entries != first.entries) {
        __builtin_trap();
    }
    if (CRegFile::Serialise(second.tree) != written) {
        __builtin_trap();
    }
    return 0;
}
