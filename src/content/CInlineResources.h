#pragma once

#include <cstdint>
#include <string>

class CMimeObject;

// The images and objects a page refers to, as layout and painting see them:
// the document keeps one load per URL and answers from it. Every operation
// may be called from any thread.
class CInlineResources {
public:
    virtual ~CInlineResources() = default;
    // Starts the load of url once; later calls for the same URL do nothing.
    virtual void RequestInline(const std::string& url, uint32_t requiredCaps) = 0;
    // True once the size is known (32 x 32 for a failed resource).
    virtual bool GetInlineImageSize(const std::string& url, int32_t& width, int32_t& height) = 0;
    // True once settled: the image object, or null for a failure.
    virtual bool GetInlineObject(const std::string& url, CMimeObject*& object) = 0;
};
