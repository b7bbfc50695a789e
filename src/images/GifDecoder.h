#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// Where the LZW decoder delivers each completed row of an image, in
// decoding order (interlaced images arrive pass by pass).
class IGifRowSink {
public:
    virtual void OutputRow(int32_t number, const uint8_t* pixels) = 0;

protected:
    ~IGifRowSink() = default;
};

// The state of one GIF file being read: the gather buffer that collects each
// chunk a parser stage waits for, and the LZW decoder of the first image's
// pixel data, which turns codes into rows of colour indices. Every code is
// bounded: a code beyond the next free one, or a string that would not fit
// the expansion stack, cannot be decoded and ends the data.
class GifDecoder {
public:
    static constexpr uint32_t kGatherSize = 772;
    static constexpr int32_t kTableSize = 4096;
    static constexpr int32_t kMaxCodeSize = 12;

    enum class Result {
        NeedMore, // every byte was used; the next sub-block continues the data
        Ended,    // the end code, the last row, or data that cannot be decoded
    };

    // The pixel data of an image of rows x rowLength pixels starts, with the
    // given minimum code size (2-9).
    void StartImage(int32_t minimumCodeSize, int32_t rowLength, int32_t rows);

    // Decodes the data bytes of one sub-block. Rows go to sink as they
    // complete; a code cut by the end of the block is finished by the next.
    Result Decode(std::span<const uint8_t> data, IGifRowSink& sink);

    // Outputs the row being filled, if it has pixels, as at the end code.
    void FlushPartialRow(IGifRowSink& sink);

    [[nodiscard]] int32_t RowsDone() const { return m_rowsDone; }

    // The chunk being collected for the parser's current stage.
    std::array<uint8_t, kGatherSize> gather{};
    uint32_t gathered = 0;
    uint32_t needed = 13;

private:
    void ResetCodeTable();
    // Decodes one code; false when the data has ended.
    bool DecodeCode(int32_t code, IGifRowSink& sink);
    bool PutPixel(uint8_t pixel, IGifRowSink& sink);
    bool PopString(IGifRowSink& sink);
    bool EmitRow(IGifRowSink& sink);

    // The expansion stack holds one string, pushed last pixel first.
    std::array<uint8_t, kTableSize> m_stack{};
    int32_t m_stackTop = 0;
    std::array<uint8_t, kTableSize> m_suffix{};
    std::array<uint16_t, kTableSize> m_prefix{};

    int32_t m_minimumCodeSize = 0;
    int32_t m_codeSize = 0;
    int32_t m_clearCode = 0;
    int32_t m_endCode = 0;
    int32_t m_firstFree = 0;
    int32_t m_codeLimit = 0;
    int32_t m_nextFree = 0;
    bool m_afterClear = false;
    int32_t m_previousCode = 0;
    int32_t m_firstPixel = 0;

    // Bits of the data not yet formed into a code, least significant first.
    uint32_t m_bits = 0;
    int32_t m_bitCount = 0;

    std::unique_ptr<uint8_t[]> m_row;
    int32_t m_rowLength = 0;
    int32_t m_pixelsLeft = 0;
    int32_t m_rows = 0;
    int32_t m_rowsDone = 0;
};
