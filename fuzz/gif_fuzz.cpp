// Feeds arbitrary bytes to the GIF content object in arbitrary pieces. Besides
// surviving, the picture must come out the same as when the file is fed
// whole: where the network cuts a file never changes what it shows.
#include "images/CGifMimeObject.h"

#include "FeedImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageObject(data, size, [] {
        return std::make_unique<CGifMimeObject>("http://fuzz/a.gif", "image/gif");
    });
}
