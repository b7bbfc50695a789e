#pragma once

#include "platform/CRegKey.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Everything one registry file holds: the two roots, which always exist.
struct RegTree {
    CRegKey classesRoot{"HKEY_CLASSES_ROOT"};
    CRegKey currentUser{"HKEY_CURRENT_USER"};

    CRegKey& Root(RegRoot root) { return root == RegRoot::ClassesRoot ? classesRoot : currentUser; }
    const CRegKey& Root(RegRoot root) const {
        return root == RegRoot::ClassesRoot ? classesRoot : currentUser;
    }
    bool operator==(const RegTree&) const = default;
};

struct RegParseResult {
    RegTree tree;       // empty unless the text parsed
    size_t entries = 0; // keys below the roots plus values, as CRegKey::CountEntries counts them
    std::string error;  // empty when the text parsed; otherwise says where and why it did not
};

// Reads and writes the ANSI ".reg" text form ("REGEDIT4"). No I/O here, so that hostile bytes
// can be fed straight in by the fuzzer.
//
// The limits bind both directions: the parser rejects anything beyond them as damage, and the
// registry refuses writes beyond them, so whatever is saved will load again.
class CRegFile {
public:
    static constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;
    static constexpr size_t kMaxLineBytes = 1024 * 1024;
    static constexpr size_t kMaxDepth = 64;
    static constexpr size_t kMaxKeyNameBytes = 255;
    static constexpr size_t kMaxValueNameBytes = 16383;
    // Small enough that a fully escaped name and string still fit on one line.
    static constexpr size_t kMaxStringBytes = 256 * 1024;
    static constexpr size_t kMaxEntries = 100000;

    [[nodiscard]] static RegParseResult Parse(std::string_view text);
    [[nodiscard]] static std::string Serialise(const RegTree& tree);

    // Splits "A\\B\\C" into its key names; "" names the root itself. False when a name is empty,
    // too long or holds control bytes (a section line could not carry it), or the path is deeper
    // than kMaxDepth.
    [[nodiscard]] static bool SplitKeyPath(std::string_view path,
                                           std::vector<std::string_view>& names);
    [[nodiscard]] static bool IsValidValueName(std::string_view name);
    [[nodiscard]] static bool IsValidString(std::string_view value) {
        return value.size() <= kMaxStringBytes;
    }

private:
    explicit CRegFile(std::string_view text);

    bool Run();
    bool NextLine(std::string_view& line);
    bool ParseLine(std::string_view line);
    bool ParseSection(std::string_view line);
    bool ParseValue(std::string_view line);
    bool ParseData(std::string_view text, RegData& data);
    bool ParseQuoted(std::string_view text, std::string& out, std::string_view& rest);
    bool ParseDword(std::string_view digits, RegData& data);
    bool ParseHexString(std::string_view chunk, RegData& data);
    bool ScanHexBytes(std::string_view chunk, std::string& bytes);
    bool CountEntry();
    bool Fail(std::string_view reason);

    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_lineNumber = 0;
    RegTree m_tree;
    CRegKey* m_current = nullptr;
    size_t m_entries = 0;
    std::string m_error;
};
