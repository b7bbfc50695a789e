#pragma once

#include "content/CRegistryTables.h"
#include "html/CSingleElementObject.h"

#include <array>
#include <atomic>
#include <memory>

class JpegDecoder;

// The content object of "image/jpeg": the JPEG library decodes the received
// bytes as far as they go on every write, and each scanline it produces is
// stored at once as shared-palette indices, so the picture grows from the
// top while the transfer runs. Arithmetic-coded files are the exception:
// they are decoded at the end of data.
//
// The image slots read only atomics, so they answer the same whether or not
// the caller holds the object's lock; the worker sets the size and the
// display buffer under the lock.
class CJpegMimeObject final : public CSingleElementObject {
public:
    CJpegMimeObject(std::string url, std::string contentType);
    ~CJpegMimeObject() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;

    std::string GetTitle() override;
    bool HasImage() override { return m_bits.load() != nullptr; }
    void GetImageSize(int32_t& width, int32_t& height) override;
    bool NeedsBackground() override { return m_lastResult.load() != Status::Complete; }
    int32_t GetBitmapInfo(CBitmapInfo& info) override;
    const uint8_t* GetBits() override { return m_bits.load(); }

private:
    Status Decode();
    Status Fail();
    Status StartPicture();
    void StoreRow(uint32_t row);

    std::atomic<int32_t> m_width{0};
    std::atomic<int32_t> m_height{0};
    std::unique_ptr<uint8_t[]> m_displayBuffer;
    // The display buffer once the header is read and decompression started
    // (the header-done flag), null before.
    std::atomic<const uint8_t*> m_bits{nullptr};
    std::unique_ptr<JpegDecoder> m_decoder; // null after the end of data
    bool m_headerRead = false;              // waiting for decompression to start
    bool m_allReceived = false;             // the end of data has been reported
    std::array<uint8_t, 256> m_paletteMap{};
    // What the framework last made of this object's results (its status):
    // kept here so that NeedsBackground needs no lock.
    std::atomic<Status> m_lastResult{Status::Continue};
};

// The "image/jpeg" row of the content-type table.
[[nodiscard]] ContentTypeRegistration RegisterJpegType();
