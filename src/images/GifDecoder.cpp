#include "images/GifDecoder.h"

#include "platform/Verify.h"

#include <algorithm>

void GifDecoder::StartImage(int32_t minimumCodeSize, int32_t rowLength, int32_t rows) {
    VERIFY(minimumCodeSize >= 2 && minimumCodeSize <= 9 && rowLength > 0 && rows > 0);
    m_minimumCodeSize = minimumCodeSize;
    m_clearCode = 1 << minimumCodeSize;
    m_endCode = m_clearCode + 1;
    m_firstFree = m_clearCode + 2;
    ResetCodeTable();
    m_afterClear = false;
    m_previousCode = 0;
    m_firstPixel = 0;
    m_bits = 0;
    m_bitCount = 0;
    // One spare byte, and zeroed, so that a row cut short by the end code
    // shows defined pixels after the decoded ones.
    m_row = std::make_unique<uint8_t[]>(static_cast<size_t>(rowLength) + 1);
    m_rowLength = rowLength;
    m_pixelsLeft = rowLength;
    m_rows = rows;
    m_rowsDone = 0;
    m_stackTop = 0;
}

void GifDecoder::ResetCodeTable() {
    m_codeSize = m_minimumCodeSize + 1;
    m_codeLimit = 1 << m_codeSize;
    m_nextFree = m_firstFree;
}

GifDecoder::Result GifDecoder::Decode(std::span<const uint8_t> data, IGifRowSink& sink) {
    for (uint8_t byte : data) {
        m_bits |= uint32_t{byte} << m_bitCount;
        m_bitCount += 8;
        // The code size can change after every code, so it is read each time.
        while (m_bitCount >= m_codeSize) {
            const auto code = static_cast<int32_t>(m_bits & ((1u << m_codeSize) - 1));
            m_bits >>= m_codeSize;
            m_bitCount -= m_codeSize;
            if (!DecodeCode(code, sink))
                return Result::Ended;
        }
    }
    return Result::NeedMore;
}

void GifDecoder::FlushPartialRow(IGifRowSink& sink) {
    if (m_row && m_pixelsLeft < m_rowLength && m_rowsDone < m_rows)
        EmitRow(sink);
}

bool GifDecoder::DecodeCode(int32_t code, IGifRowSink& sink) {
    if (code == m_endCode) {
        FlushPartialRow(sink);
        return false;
    }
    if (m_afterClear) {
        // Clear codes in a row are one clear.
        if (code == m_clearCode)
            return true;
        // A first code that names no string yet stands for pixel 0.
        if (code >= m_nextFree)
            code = 0;
        m_previousCode = m_firstPixel = code;
        m_afterClear = false;
        return PutPixel(static_cast<uint8_t>(code), sink);
    }
    if (code == m_clearCode) {
        ResetCodeTable();
        m_afterClear = true;
        return true;
    }
    // Only the code being defined (previous string + its first pixel) may
    // name an entry beyond the table; anything further is damaged data, and
    // following it could walk stale entries in a cycle.
    if (code > m_nextFree) {
        FlushPartialRow(sink);
        return false;
    }
    int32_t k = code;
    if (code == m_nextFree) {
        m_stack[static_cast<size_t>(m_stackTop++)] = static_cast<uint8_t>(m_firstPixel);
        k = m_previousCode;
    }
    // Every entry's prefix is an older entry, so a chain is shorter than the
    // table; the bound still keeps the stack whole whatever the table holds.
    while (k >= m_firstFree) {
        if (m_stackTop >= kTableSize - 1) {
            m_stackTop = 0;
            FlushPartialRow(sink);
            return false;
        }
        m_stack[static_cast<size_t>(m_stackTop++)] = m_suffix[static_cast<size_t>(k)];
        k = m_prefix[static_cast<size_t>(k)];
    }
    m_stack[static_cast<size_t>(m_stackTop++)] = static_cast<uint8_t>(k);
    if (m_nextFree < m_codeLimit) {
        m_firstPixel = k;
        m_suffix[static_cast<size_t>(m_nextFree)] = static_cast<uint8_t>(k);
        m_prefix[static_cast<size_t>(m_nextFree)] = static_cast<uint16_t>(m_previousCode);
        ++m_nextFree;
        m_previousCode = code;
    }
    if (m_nextFree >= m_codeLimit && m_codeSize < kMaxCodeSize) {
        m_codeLimit <<= 1;
        ++m_codeSize;
    }
    return PopString(sink);
}

// Moves the stacked string into the row, as many pixels at a time as the
// row still takes.
bool GifDecoder::PopString(IGifRowSink& sink) {
    while (m_stackTop > 0) {
        const int32_t count = std::min(m_stackTop, m_pixelsLeft);
        uint8_t* out = m_row.get() + (m_rowLength - m_pixelsLeft);
        const uint8_t* top = m_stack.data() + m_stackTop;
        for (int32_t i = 1; i <= count; ++i)
            *out++ = top[-i];
        m_stackTop -= count;
        m_pixelsLeft -= count;
        if (m_pixelsLeft == 0 && !EmitRow(sink)) {
            m_stackTop = 0;
            return false;
        }
    }
    return true;
}

bool GifDecoder::PutPixel(uint8_t pixel, IGifRowSink& sink) {
    m_row[static_cast<size_t>(m_rowLength - m_pixelsLeft)] = pixel;
    if (--m_pixelsLeft == 0)
        return EmitRow(sink);
    return true;
}

// Hands the row on; false once the image has all its rows.
bool GifDecoder::EmitRow(IGifRowSink& sink) {
    sink.OutputRow(m_rowsDone, m_row.get());
    ++m_rowsDone;
    m_pixelsLeft = m_rowLength;
    return m_rowsDone < m_rows;
}
