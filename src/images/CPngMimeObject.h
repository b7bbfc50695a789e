#pragma once

#include "content/CRegistryTables.h"
#include "html/CSingleElementObject.h"
#include "images/PngDecoder.h"

#include <atomic>
#include <memory>

class CDitherConverter;

// The content object of "image/png": libpng's push reader decodes the bytes
// as they arrive into a display buffer of shared-palette indices. Rows of a
// picture that is not interlaced are dithered as they come; an interlaced
// picture shows pass by pass, each pixel reduced to its nearest colour, and
// is dithered again in order once complete, as interlaced GIFs are. Pixels
// below half opacity are left undrawn.
//
// The image slots read only atomics, so they answer the same whether or not
// the caller holds the object's lock; the worker sets the size and the
// display buffer under the lock.
class CPngMimeObject final : public CSingleElementObject, private PngDecoder::ISink {
public:
    CPngMimeObject(std::string url, std::string contentType);
    ~CPngMimeObject() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;

    std::string GetTitle() override;
    bool HasImage() override { return m_bits.load() != nullptr; }
    void GetImageSize(int32_t& width, int32_t& height) override;
    bool NeedsBackground() override;
    int32_t GetBitmapInfo(CBitmapInfo& info) override;
    const uint8_t* GetBits() override { return m_bits.load(); }

private:
    bool OnHeader(const PngDecoder::Header& header) override;
    void OnRow(uint32_t y, int32_t pass, const uint8_t* rgba) override;
    [[nodiscard]] uint8_t* DisplayRow(uint32_t y) const;
    void DitherFinalPicture();

    std::atomic<int32_t> m_width{0};
    std::atomic<int32_t> m_height{0};
    std::atomic<bool> m_transparency{false};
    bool m_interlaced = false;
    bool m_changed = false; // the size or rows arrived during this write
    std::unique_ptr<uint8_t[]> m_displayBuffer;
    std::atomic<const uint8_t*> m_bits{nullptr};
    std::unique_ptr<CDitherConverter> m_converter; // rows of a picture not interlaced
    std::unique_ptr<PngDecoder> m_decoder;         // null after the end of data
    // What the framework last made of this object's results (its status):
    // kept here so that NeedsBackground needs no lock.
    std::atomic<Status> m_lastResult{Status::Continue};
};

// The "image/png" row of the content-type table.
[[nodiscard]] ContentTypeRegistration RegisterPngType();
