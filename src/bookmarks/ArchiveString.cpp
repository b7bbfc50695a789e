#include "bookmarks/ArchiveString.h"

#include <limits>

namespace ArchiveString {

namespace {

void AppendLittleEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

bool Append(std::vector<uint8_t>& out, std::string_view text) {
    const size_t length = text.size();
    if (length > std::numeric_limits<uint32_t>::max())
        return false;
    if (length < Escape) {
        out.push_back(static_cast<uint8_t>(length));
    } else if (length < FirstLongLength) {
        out.push_back(Escape);
        AppendLittleEndian(out, length, 2);
    } else {
        out.push_back(Escape);
        AppendLittleEndian(out, WideEscape, 2);
        AppendLittleEndian(out, length, 4);
    }
    out.insert(out.end(), text.begin(), text.end());
    return true;
}

std::optional<uint16_t> CReader::ReadUInt16() {
    if (Left() < 2)
        return std::nullopt;
    uint16_t value = static_cast<uint16_t>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    m_offset += 2;
    return value;
}

std::optional<uint32_t> CReader::ReadUInt32() {
    if (Left() < 4)
        return std::nullopt;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | m_bytes[m_offset + i];
    m_offset += 4;
    return value;
}

std::optional<std::string> CReader::ReadString() {
    if (Left() < 1)
        return std::nullopt;
    uint64_t length = m_bytes[m_offset++];
    if (length == Escape) {
        std::optional<uint16_t> wide = ReadUInt16();
        if (!wide)
            return std::nullopt;
        length = *wide;
        if (*wide == WideEscape) {
            std::optional<uint32_t> full = ReadUInt32();
            if (!full)
                return std::nullopt;
            length = *full;
        }
    }
    // A damaged length must not make us allocate what the file cannot hold.
    if (length > Left())
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(m_bytes.data() + m_offset), length);
    m_offset += length;
    return text;
}

} // namespace ArchiveString
