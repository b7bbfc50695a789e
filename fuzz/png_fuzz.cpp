// Feeds arbitrary bytes to the PNG content object in arbitrary pieces. Besides
// surviving, the picture must come out the same as when the file is fed
// whole: where the network cuts a file never changes what it shows.
#include "images/CPngMimeObject.h"

#include "FeedImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageObject(data, size, [] {
        return std::make_unique<CPngMimeObject>("http://fuzz/a.png", "image/png");
    });
}
