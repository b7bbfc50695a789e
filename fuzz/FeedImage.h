#pragma once

// The shared body of the image fuzzers. Layout of an input: one byte n, then
// n bytes of piece sizes (none: one byte at a time), then the file.

#include "content/CMimeObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct FedImage {
    Status result = Status::Continue;
    std::vector<uint8_t> display;
};

// Feeds body as a load does: the status follows each result and feeding
// stops at the first that ends the transfer. Every read-only slot the view
// uses is called, and every byte of the display buffer read.
inline FedImage FeedImage(CMimeObject& object, std::string_view body, std::string_view pieces) {
    FedImage fed;
    size_t at = 0;
    size_t turn = 0;
    while (at < body.size() && fed.result == Status::Continue) {
        size_t piece = body.size();
        if (!pieces.empty())
            piece = 1 + static_cast<unsigned char>(pieces[turn++ % pieces.size()]) % 64;
        piece = std::min(piece, body.size() - at);
        fed.result = object.Write(body.data() + at, piece);
        object.SetStatus(fed.result);
        at += piece;
        (void)object.NeedsBackground();
    }
    fed.result = object.EndOfData();
    object.SetStatus(fed.result);
    (void)object.GetTitle();
    int32_t width = 0, height = 0;
    object.GetImageSize(width, height);
    CBitmapInfo info;
    const int32_t stride = object.GetBitmapInfo(info);
    if (const uint8_t* bits = object.GetBits(); bits && object.HasImage()) {
        if (stride < info.width || info.width != width || info.height != height)
            __builtin_trap();
        fed.display.assign(bits, bits + static_cast<size_t>(stride) * static_cast<size_t>(height));
    }
    return fed;
}

template <class Make> int FuzzImageObject(const uint8_t* data, size_t size, Make make) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const size_t n = std::min<size_t>(static_cast<unsigned char>(input[0]), input.size() - 1);
    std::string_view pieces = input.substr(1, n);
    const std::string_view body = input.substr(1 + n);
    if (pieces.empty())
        pieces = std::string_view("\0", 1);
    const auto whole = make();
    const FedImage all = FeedImage(*whole, body, {});
    const auto cut = make();
    const FedImage parts = FeedImage(*cut, body, pieces);
    if (all.result == Status::Complete &&
        (parts.result != Status::Complete || parts.display != all.display))
        __builtin_trap();
    return 0;
}
