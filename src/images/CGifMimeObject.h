#pragma once

#include "content/CRegistryTables.h"
#include "html/CSingleElementObject.h"
#include "images/GifDecoder.h"
#include "platform/gdi/GdiTypes.h"

#include <array>
#include <atomic>
#include <memory>

class CDitherConverter;

// The content object of "image/gif": decodes the first image of a GIF file
// as its bytes arrive, in whatever pieces, into a display buffer of
// shared-palette indices that the view paints while the rest still comes.
// Interlaced images show pass by pass with rows repeated downwards and are
// dithered again in order once complete; others are dithered row by row.
//
// The image slots read only atomics, so they answer the same whether or not
// the caller holds the object's lock; the worker still changes the header
// fields and buffers under the lock.
class CGifMimeObject final : public CSingleElementObject, private IGifRowSink {
public:
    CGifMimeObject(std::string url, std::string contentType);
    ~CGifMimeObject() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;

    std::string GetTitle() override;
    bool HasImage() override { return m_stage.load() > 0; }
    void GetImageSize(int32_t& width, int32_t& height) override;
    bool NeedsBackground() override;
    int32_t GetBitmapInfo(CBitmapInfo& info) override;
    const uint8_t* GetBits() override { return m_bits.load(); }

private:
    enum Stage : int32_t {
        Header = 0,
        GlobalColors = 1,
        Introducer = 2,
        ExtensionLabel = 3,
        GraphicControl = 4,
        SkippedExtension = 5,
        ImageDescriptor = 6,
        LocalColors = 7,
        ImageStart = 8,
        ImageData = 9,
    };

    // Handles the chunk in the gather buffer; Continue to go on gathering.
    Status HandleChunk(const uint8_t* chunk, uint32_t size);
    Status ReadHeader(const uint8_t* chunk);
    Status ReadIntroducer(uint8_t introducer);
    void ReadGraphicControl(const uint8_t* chunk, uint32_t size);
    void ReadColorTable(const uint8_t* chunk);
    void ReadImageDescriptor(const uint8_t* chunk);
    Status StartImageData(const uint8_t* chunk);
    Status ReadImageData(const uint8_t* chunk, uint32_t size);
    // Waits for the next sub-block, or for the next block after the last.
    void NextSubBlock(uint8_t size);
    void SetStage(Stage stage);

    void OutputRow(int32_t number, const uint8_t* pixels) override;
    void OutputInterlacedRow(int32_t number, const uint8_t* pixels);
    void CopyIntoIndexRow(int32_t frameRow, const uint8_t* pixels);
    // Frame rows (of the decoded ones) that hold pixels once decoding stops.
    [[nodiscard]] int32_t CoveredFrameRows() const;
    void DitherFinalPicture();
    [[nodiscard]] size_t Offset(int32_t frameRow) const;

    std::atomic<int32_t> m_stage{Header};
    std::atomic<int32_t> m_width{0};  // logical screen
    std::atomic<int32_t> m_height{0}; // logical screen
    bool m_interlaced = false;
    std::atomic<int32_t> m_transparentIndex{-1};
    int32_t m_colorCount = 0;
    std::unique_ptr<GifDecoder> m_decoder; // null after the end of data
    std::unique_ptr<CDitherConverter> m_converter;
    std::unique_ptr<uint8_t[]> m_indexBuffer;   // the GIF's own indices
    std::unique_ptr<uint8_t[]> m_displayBuffer; // shared-palette indices or the marker
    std::atomic<const uint8_t*> m_bits{nullptr};
    std::array<CRgbQuad, 256> m_colorTable{};

    // The image's rectangle inside the logical screen; rows and columns
    // beyond the screen are decoded but not kept.
    int32_t m_frameLeft = 0;
    int32_t m_frameTop = 0;
    int32_t m_frameWidth = 0;
    int32_t m_frameHeight = 0;
    int32_t m_visibleWidth = 0;
    int32_t m_visibleHeight = 0;
    // Every pixel of the screen was decoded, so nothing shows the marker.
    std::atomic<bool> m_covered{false};
    // What the framework last made of this object's results (its status):
    // kept here so that NeedsBackground needs no lock.
    std::atomic<Status> m_lastResult{Status::Continue};
};

// The "image/gif" row of the content-type table.
[[nodiscard]] ContentTypeRegistration RegisterGifType();
