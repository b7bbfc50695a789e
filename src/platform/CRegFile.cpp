#include "platform/CRegFile.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kHexStringPrefix = "hex(1):";
// regedit wraps hex lists at about this column; matching it keeps the file readable by hand.
constexpr size_t kHexWrapColumn = 76;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool HasControlByte(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = LowerAscii(c);
    return (lower >= 'a' && lower <= 'f') ? lower - 'a' + 10 : -1;
}

void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    while (!s.empty()) {
        const size_t special = std::min(s.find_first_of("\\\""), s.size());
        out += s.substr(0, special);
        if (special == s.size()) {
            break;
        }
        out += '\\';
        out += s[special];
        s.remove_prefix(special + 1);
    }
    out += '"';
}

// Quotes cannot carry control bytes (a CR or LF would end the line), so such strings go out
// as their bytes plus the terminating NUL, the way regedit writes them.
void AppendHexString(std::string& out, std::string_view s, size_t column) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += kHexStringPrefix;
    column += kHexStringPrefix.size();
    const size_t count = s.size() + 1;
    for (size_t i = 0; i < count; ++i) {
        const auto byte = i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xf];
        if (i + 1 == count) {
            break;
        }
        out += ',';
        column += 3;
        if (column >= kHexWrapColumn) {
            out += "\\\n  ";
            column = 2;
        }
    }
}

void AppendValue(std::string& out, const RegValue& value) {
    const size_t lineStart = out.size();
    if (value.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, value.name);
    }
    out += '=';
    if (const auto* dword = std::get_if<uint32_t>(&value.data)) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(*dword));
        out += kDwordPrefix;
        out += digits;
    } else if (const auto& s = std::get<std::string>(value.data); HasControlByte(s)) {
        AppendHexString(out, s, out.size() - lineStart);
    } else {
        AppendQuoted(out, s);
    }
    out += '\n';
}

void AppendSection(std::string& out, const CRegKey& key, std::string_view path) {
    out += '[';
    out += path;
    out += "]\n";
    for (const RegValue& value : key.Values()) {
        AppendValue(out, value);
    }
    out += '\n';
}

// A key with subkeys but no values needs no section: its first subkey's section implies it,
// and pre-order keeps it in its place among its siblings.
void AppendSubtree(std::string& out, const CRegKey& key, std::string& path) {
    for (const auto& child : key.Children()) {
        const size_t length = path.size();
        path += '\\';
        path += child->Name();
        if (!child->Values().empty() || child->Children().empty()) {
            AppendSection(out, *child, path);
        }
        AppendSubtree(out, *child, path);
        path.resize(length);
    }
}

} // namespace

CRegFile::CRegFile(std::string_view text) : m_text(text) {}

RegParseResult CRegFile::Parse(std::string_view text) {
    CRegFile parser(text);
    RegParseResult result;
    // Loading something that could not be saved again would make every later write fail.
    if (parser.Run() && Serialise(parser.m_tree).size() > kMaxFileBytes) {
        parser.Fail("the settings would be larger than 16 MiB once rewritten");
    }
    if (!parser.m_error.empty()) {
        result.error = std::move(parser.m_error);
        return result;
    }
    result.tree = std::move(parser.m_tree);
    result.entries = parser.m_entries;
    return result;
}

std::string CRegFile::Serialise(const RegTree& tree) {
    std::string out(kHeader);
    out += "\n\n";
    for (const CRegKey* root : {&tree.classesRoot, &tree.currentUser}) {
        std::string path = root->Name();
        if (!root->Values().empty()) {
            AppendSection(out, *root, path);
        }
        AppendSubtree(out, *root, path);
    }
    return out;
}

bool CRegFile::SplitKeyPath(std::string_view path, std::vector<std::string_view>& names) {
    names.clear();
    if (path.empty()) {
        return true;
    }
    size_t start = 0;
    while (true) {
        const size_t slash = path.find('\\', start);
        const std::string_view name =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (name.empty() || name.size() > kMaxKeyNameBytes || HasControlByte(name) ||
            names.size() >= kMaxDepth) {
            return false;
        }
        names.push_back(name);
        if (slash == std::string_view::npos) {
            return true;
        }
        start = slash + 1;
    }
}

bool CRegFile::IsValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameBytes && !HasControlByte(name);
}

bool CRegFile::Run() {
    if (m_text.size() > kMaxFileBytes) {
        return Fail("the file is larger than 16 MiB");
    }
    std::string_view line;
    if (!NextLine(line) || Trim(line) != kHeader) {
        return Fail("it does not start with REGEDIT4");
    }
    while (NextLine(line)) {
        if (!ParseLine(Trim(line))) {
            return false;
        }
    }
    return m_error.empty();
}

bool CRegFile::NextLine(std::string_view& line) {
    if (m_pos >= m_text.size()) {
        return false;
    }
    const size_t end = m_text.find('\n', m_pos);
    const size_t stop = end == std::string_view::npos ? m_text.size() : end;
    line = m_text.substr(m_pos, stop - m_pos);
    m_pos = stop + 1;
    ++m_lineNumber;
    if (line.size() > kMaxLineBytes) {
        return Fail("a line is longer than 1 MiB");
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

bool CRegFile::ParseLine(std::string_view line) {
    if (line.empty() || line.front() == ';') {
        return true;
    }
    if (line.front() == '[') {
        return ParseSection(line);
    }
    if (line.front() == '"' || line.front() == '@') {
        return ParseValue(line);
    }
    return Fail("unexpected text");
}

bool CRegFile::ParseSection(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') {
        return Fail("a key line lacks its closing ]");
    }
    if (line[1] == '-') {
        return Fail("key deletions are not supported");
    }
    const std::string_view path = line.substr(1, line.size() - 2);
    const size_t slash = path.find('\\');
    const std::string_view rootName = path.substr(0, slash);
    CRegKey* key = EqualsNoCase(rootName, m_tree.classesRoot.Name())   ? &m_tree.classesRoot
                   : EqualsNoCase(rootName, m_tree.currentUser.Name()) ? &m_tree.currentUser
                                                                       : nullptr;
    if (!key) {
        return Fail("unknown root key");
    }
    std::vector<std::string_view> names;
    if (slash != std::string_view::npos &&
        (slash + 1 == path.size() || !SplitKeyPath(path.substr(slash + 1), names))) {
        return Fail("bad key name, or keys nested too deep");
    }
    for (const std::string_view name : names) {
        if (!key->FindChild(name) && !CountEntry()) {
            return false;
        }
        key = &key->EnsureChild(name);
    }
    m_current = key;
    return true;
}

bool CRegFile::ParseValue(std::string_view line) {
    if (!m_current) {
        return Fail("a value comes before any key");
    }
    std::string name;
    std::string_view rest = line.substr(1);
    if (line.front() == '"') {
        if (!ParseQuoted(line, name, rest)) {
            return false;
        }
        if (!IsValidValueName(name)) {
            return Fail("bad value name");
        }
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
        return Fail("a value lacks its =");
    }
    RegData data;
    if (!ParseData(TrimLeft(rest.substr(1)), data)) {
        return false;
    }
    return !m_current->SetValue(name, std::move(data)) || CountEntry();
}

bool CRegFile::ParseData(std::string_view text, RegData& data) {
    if (!text.empty() && text.front() == '"') {
        std::string value;
        std::string_view rest;
        if (!ParseQuoted(text, value, rest)) {
            return false;
        }
        if (!Trim(rest).empty()) {
            return Fail("text after a string");
        }
        data = std::move(value);
        return true;
    }
    if (StartsWithNoCase(text, kDwordPrefix)) {
        return ParseDword(text.substr(kDwordPrefix.size()), data);
    }
    if (StartsWithNoCase(text, kHexStringPrefix)) {
        return ParseHexString(text.substr(kHexStringPrefix.size()), data);
    }
    return Fail("unsupported value type");
}

bool CRegFile::ParseQuoted(std::string_view text, std::string& out, std::string_view& rest) {
    size_t at = 1;
    while (true) {
        const size_t special = text.find_first_of("\\\"", at);
        if (special == std::string_view::npos) {
            return Fail("unterminated string");
        }
        out += text.substr(at, special - at);
        if (text[special] == '"') {
            rest = text.substr(special + 1);
            return out.size() <= kMaxStringBytes || Fail("a string is too long");
        }
        if (special + 1 == text.size() || (text[special + 1] != '\\' && text[special + 1] != '"')) {
            return Fail("bad escape in a string");
        }
        out += text[special + 1];
        at = special + 2;
    }
}

bool CRegFile::ParseDword(std::string_view digits, RegData& data) {
    digits = Trim(digits);
    if (digits.empty() || digits.size() > 8) {
        return Fail("bad dword");
    }
    uint32_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return Fail("bad dword");
        }
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    data = value;
    return true;
}

// regedit continues long lists with ",\" and carries on on the next line; every piece must hold
// whole bytes, so a list cut anywhere shows up as damage rather than as a shorter string.
bool CRegFile::ParseHexString(std::string_view chunk, RegData& data) {
    std::string bytes;
    while (true) {
        chunk = Trim(chunk);
        const bool continued = !chunk.empty() && chunk.back() == '\\';
        if (continued) {
            chunk = Trim(chunk.substr(0, chunk.size() - 1));
            if (chunk.empty() || chunk.back() != ',') {
                return Fail("bad hex list continuation");
            }
            chunk.remove_suffix(1);
        }
        if (!ScanHexBytes(chunk, bytes)) {
            return false;
        }
        if (!continued) {
            break;
        }
        if (!NextLine(chunk)) {
            return Fail("truncated hex list");
        }
    }
    if (bytes.back() != '\0') {
        return Fail("a hex string lacks its terminating 00");
    }
    bytes.pop_back();
    data = std::move(bytes);
    return true;
}

bool CRegFile::ScanHexBytes(std::string_view chunk, std::string& bytes) {
    bool expectByte = true;
    for (size_t i = 0; i < chunk.size(); ++i) {
        if (IsBlank(chunk[i])) {
            continue;
        }
        if (!expectByte) {
            if (chunk[i] != ',') {
                return Fail("bad hex list");
            }
            expectByte = true;
            continue;
        }
        if (i + 1 == chunk.size() || HexDigit(chunk[i]) < 0 || HexDigit(chunk[i + 1]) < 0) {
            return Fail("truncated or bad hex byte");
        }
        if (bytes.size() > kMaxStringBytes) {
            return Fail("a string is too long");
        }
        bytes += static_cast<char>(HexDigit(chunk[i]) * 16 + HexDigit(chunk[i + 1]));
        ++i;
        expectByte = false;
    }
    return !expectByte || Fail("truncated hex list");
}

bool CRegFile::CountEntry() {
    return ++m_entries <= kMaxEntries || Fail("too many keys and values");
}

bool CRegFile::Fail(std::string_view reason) {
    if (m_error.empty()) {
        m_error = m_lineNumber > 0 ? "line " + std::to_string(m_lineNumber) + ": " : std::string();
        m_error += reason;
    }
    return false;
}
