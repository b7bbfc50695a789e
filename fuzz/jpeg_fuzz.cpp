// Feeds arbitrary bytes to the JPEG content object in arbitrary pieces: the
// library suspends and resumes wherever the pieces end. Besides surviving, a
// file that decodes completely must give the same picture as when fed whole.
#include "images/CJpegMimeObject.h"

#include "FeedImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageObject(data, size, [] {
        return std::make_unique<CJpegMimeObject>("http://fuzz/a.jpg", "image/jpeg");
    });
}
