#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The archive encoding of a byte string, little-endian: a length below 255
// in one byte; up to 65533 as 0xFF and 16 bits; longer as 0xFF, 0xFFFF and
// 32 bits; then the bytes, without a terminator.
namespace ArchiveString {

inline constexpr uint8_t Escape = 0xFF;
inline constexpr uint16_t WideEscape = 0xFFFF;
// The first length written in the 32-bit form.
inline constexpr size_t FirstLongLength = 65534;

// False (and nothing appended) when text is longer than 32 bits can say.
[[nodiscard]] bool Append(std::vector<uint8_t>& out, std::string_view text);

// Takes bytes from the front of a block, never past its end.
class CReader {
public:
    explicit CReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    [[nodiscard]] size_t Left() const { return m_bytes.size() - m_offset; }
    [[nodiscard]] std::optional<uint32_t> ReadUInt32();
    // A string as Append writes it; a reader also takes a 16-bit length of
    // 65534. Nothing when the bytes left cannot hold it (checked before
    // anything is allocated).
    [[nodiscard]] std::optional<std::string> ReadString();

private:
    [[nodiscard]] std::optional<uint16_t> ReadUInt16();

    std::span<const uint8_t> m_bytes;
    size_t m_offset = 0;
};

} // namespace ArchiveString
