#include "platform/lz/CLzExpander.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t Magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr uint8_t ModeA = 'A';
constexpr size_t OutBlock = 16384;
// A reference copies 3 to 18 bytes.
constexpr int MinMatch = 3;

} // namespace

CLzExpander::CLzExpander(Sink sink, uint64_t limit) : m_sink(std::move(sink)), m_limit(limit) {
    m_window.fill(' ');
    m_out.reserve(OutBlock);
}

CLzExpander::Status CLzExpander::Write(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size && m_status == Status::Continue; ++i) {
        bool ok = m_headerRead < HeaderSize ? ReadHeader(data[i]) : Step(data[i]);
        if (!ok)
            m_status = Status::Failed;
    }
    if (m_status == Status::Continue && m_out.size() >= OutBlock && !Flush())
        m_status = Status::Failed;
    return m_status;
}

CLzExpander::Status CLzExpander::Finish() {
    if (m_status != Status::Continue)
        return m_status;
    // A reference cut in half or fewer bytes than declared mean the file was
    // cut short.
    if (m_headerRead < HeaderSize || m_pendingLow >= 0 || m_produced != m_declared || !Flush())
        m_status = Status::Failed;
    else
        m_status = Status::Complete;
    return m_status;
}

bool CLzExpander::ReadHeader(uint8_t byte) {
    m_header[m_headerRead++] = byte;
    if (m_headerRead < HeaderSize)
        return true;
    if (std::memcmp(m_header.data(), Magic, sizeof Magic) != 0 || m_header[8] != ModeA)
        return false;
    m_declared = uint32_t{m_header[10]} | uint32_t{m_header[11]} << 8 |
                 uint32_t{m_header[12]} << 16 | uint32_t{m_header[13]} << 24;
    return m_declared <= m_limit;
}

bool CLzExpander::Step(uint8_t byte) {
    if (m_bitsLeft == 0) {
        m_control = byte;
        m_bitsLeft = 8;
        return true;
    }
    if (m_control & 1) {
        m_control >>= 1;
        --m_bitsLeft;
        return Emit(byte);
    }
    if (m_pendingLow < 0) {
        m_pendingLow = byte;
        return true;
    }
    // Offset: 8 low bits, then the high nibble of the second byte; length:
    // its low nibble plus three. Both always fall inside the window, which
    // wraps around.
    size_t offset = static_cast<size_t>(m_pendingLow) | (static_cast<size_t>(byte & 0xF0) << 4);
    int length = (byte & 0x0F) + MinMatch;
    m_pendingLow = -1;
    m_control >>= 1;
    --m_bitsLeft;
    for (int i = 0; i < length; ++i)
        if (!Emit(m_window[(offset + static_cast<size_t>(i)) % WindowSize]))
            return false;
    return true;
}

bool CLzExpander::Emit(uint8_t byte) {
    if (m_produced >= m_declared || m_produced >= m_limit)
        return false;
    ++m_produced;
    m_window[m_position] = byte;
    m_position = (m_position + 1) % WindowSize;
    m_out.push_back(byte);
    return m_out.size() < OutBlock * 4 || Flush();
}

bool CLzExpander::Flush() {
    if (m_out.empty())
        return true;
    bool ok = m_sink(m_out.data(), m_out.size());
    m_out.clear();
    return ok;
}
