#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Expands the "SZDD" compressed format (the LZ format of setup disks and of
// compressed control files) as its bytes arrive. The file is a 14-byte
// header (magic, mode 'A', the missing last character of the name, the
// expanded length as 32-bit little-endian) followed by groups of one control
// byte and eight items, least significant bit first: a set bit is a literal
// byte, a clear bit a two-byte reference into a 4096-byte window that starts
// out as blanks, with the writing position 16 bytes before its end.
//
// Every byte that comes out is checked against the length the header
// declares and against a limit, so a hostile file can neither fill the disk
// nor end early unnoticed.
class CLzExpander {
public:
    // Status codes as loads use them.
    enum class Status { Continue = 1, Failed = 2, Complete = 3 };

    // No expanded file may be larger than this.
    static constexpr uint64_t DefaultLimit = uint64_t{256} << 20;
    static constexpr size_t HeaderSize = 14;

    // sink receives the expanded bytes in order and returns false to stop
    // with a failure (a write error).
    using Sink = std::function<bool(const uint8_t* data, size_t size)>;
    explicit CLzExpander(Sink sink, uint64_t limit = DefaultLimit);

    // Feeds the next compressed bytes. Once Failed, it stays Failed.
    Status Write(const uint8_t* data, size_t size);
    // The end of the compressed bytes: Complete when exactly the declared
    // length came out.
    [[nodiscard]] Status Finish();

    // The expanded length the header declares (0 until it is read).
    [[nodiscard]] uint32_t DeclaredLength() const { return m_declared; }
    [[nodiscard]] uint64_t Produced() const { return m_produced; }

private:
    bool ReadHeader(uint8_t byte);
    bool Step(uint8_t byte);
    bool Emit(uint8_t byte);
    bool Flush();

    static constexpr size_t WindowSize = 4096;

    Sink m_sink;
    const uint64_t m_limit;
    Status m_status = Status::Continue;
    std::array<uint8_t, HeaderSize> m_header{};
    size_t m_headerRead = 0;
    uint32_t m_declared = 0;
    uint64_t m_produced = 0;
    std::array<uint8_t, WindowSize> m_window{};
    size_t m_position = WindowSize - 16;
    uint8_t m_control = 0;
    int m_bitsLeft = 0;
    // The first byte of a reference whose second byte has not come yet.
    int m_pendingLow = -1;
    std::vector<uint8_t> m_out;
};
