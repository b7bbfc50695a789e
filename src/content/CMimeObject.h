#pragma once

#include "content/CScheduler.h"
#include "content/CTextStore.h"
#include "content/LoadTypes.h"
#include "platform/CSemLock.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CMimeDynamicLoad;

// The header of an image type's 8-bit picture.
struct CBitmapInfo {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
};
class CHtmlElement;

// Where an element stands in a content object's element list; 0 for none.
using ElementPosition = uintptr_t;

// A colour a page gave, as 0xRRGGBB; nothing when it gave none.
using PageColor = std::optional<int32_t>;

// One distinct response, typed by its content type: the data a load fetched,
// as the viewers read it. Created and written on a worker thread, read on the
// UI and layout threads; owned by the object table, which keeps it while loads
// use it and caches it when it is complete.
class CMimeObject {
public:
    CMimeObject(std::string url, std::string contentType, uint32_t caps);
    virtual ~CMimeObject();
    CMimeObject(const CMimeObject&) = delete;
    CMimeObject& operator=(const CMimeObject&) = delete;

    virtual Status Write(const char* bytes, size_t count) = 0;
    virtual Status EndOfData() = 0;
    // The element list that layout walks. Types without elements have none.
    virtual ElementPosition IndexOfElement(const CHtmlElement*) { return 0; }
    virtual CTextStore GetTextStore() { return {}; }
    virtual ElementPosition GetFirstElementPosition() { return 0; }
    // The element at position; moves position on to the next one (0 after
    // the last).
    virtual const CHtmlElement* GetNextElement(ElementPosition& position) {
        position = 0;
        return nullptr;
    }
    // An element and the position after it.
    struct ElementAt {
        const CHtmlElement* element;
        ElementPosition next;
    };
    // Up to out.size() elements from position on, as GetNextElement would
    // answer them one by one; answers how many. Stops after the last
    // element there is (its next is 0). An object with a lock takes it once
    // for the lot.
    virtual size_t GetNextElements(ElementPosition position, std::span<ElementAt> out) {
        size_t count = 0;
        while (position && count < out.size()) {
            const CHtmlElement* element = GetNextElement(position);
            if (!element)
                break;
            out[count++] = {element, position};
        }
        return count;
    }
    virtual std::string GetTitle() { return {}; }
    virtual PageColor GetBackgroundColor() { return std::nullopt; }
    virtual PageColor GetTextColor() { return std::nullopt; }
    virtual PageColor GetLinkColor() { return std::nullopt; }
    virtual PageColor GetVisitedLinkColor() { return std::nullopt; }
    virtual std::string GetBackgroundImage() { return {}; }
    virtual bool HasImage() { return false; }
    virtual void GetImageSize(int32_t& width, int32_t& height) { width = height = 0; }
    virtual bool NeedsBackground() { return false; }
    // Image types: the picture as rows of shared-palette indices, top row
    // first. Fills info and returns the row stride (the width rounded up to a
    // multiple of 4), or 0 when there is no picture yet.
    virtual int32_t GetBitmapInfo(CBitmapInfo& info) {
        info = {};
        return 0;
    }
    virtual const uint8_t* GetBits() { return nullptr; }
    // Action types only: runs on the UI thread once the load completed.
    virtual void Execute() {}

    const std::string& Url() const { return m_url; }
    const std::string& ContentType() const { return m_contentType; }
    uint32_t GetCaps() const { return m_caps; }
    // The method of the request that created it (constant once published).
    Method KeyMethod() const { return m_keyMethod; }

    Status GetStatus();
    void SetStatus(Status status);
    // Why Write or EndOfData answered Failed, when the object can say (empty
    // otherwise); the load carries it as its error text.
    std::string FailureText();
    bool IsCacheable();
    void DisableCaching();

    // Tells every load attached to this object that something is new.
    void NotifyClients(uint32_t bits);

    // For readers of the picture or the element records, which must see
    // several of them at once.
    CSemLock& Lock() RETURN_CAPABILITY(m_lock) { return m_lock; }

protected:
    void SetFailureText(std::string text);

    CSemLock m_lock;

private:
    friend class CObjectTable;
    friend class CMimeDynamicLoad;
    friend class CScheduler;

    Status m_status GUARDED_BY(m_lock) = Status::Continue;
    std::string m_failureText GUARDED_BY(m_lock);
    bool m_cacheable GUARDED_BY(m_lock) = true;
    std::vector<CMimeDynamicLoad*> m_clients GUARDED_BY(CScheduler::s_lock);

    const std::string m_url;
    const std::string m_contentType;
    const uint32_t m_caps;
    // The request that created it; set before the object is published in the
    // table and constant afterwards.
    std::string m_keyHeaders;
    std::string m_keyPostData;
    Method m_keyMethod = Method::Get;

    // Its node in the object table's lists: set as it enters the table and
    // valid while it moves between the in-use and cache lists (a list node
    // keeps its place when spliced), so it is constant like the key.
    std::list<std::unique_ptr<CMimeObject>>::iterator m_tablePosition;
};
