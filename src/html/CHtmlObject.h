#pragma once

#include "content/CMimeObject.h"
#include "content/CRegistryTables.h"
#include "content/CTextStore.h"
#include "html/CCharsetDecoder.h"
#include "html/CHtmlElement.h"
#include "html/CRecordPool.h"

#include <memory>
#include <string>

class CHtmlParser;

// The content object of "text/html" and "text/plain": cuts the body into
// text, tags and entities as it arrives and grows an element list that layout
// and view read while parsing goes on.
class CHtmlObject final : public CMimeObject {
public:
    // What one page may hold. Past either limit the page takes no more: what
    // arrived stays, and the load ends with a message. Without them an
    // endless answer would fill the memory.
    struct Limits {
        uint32_t text = uint32_t{256} << 20;  // characters in the text store
        uint32_t records = uint32_t{1} << 27; // element records
    };
    // For every page created from now on; tests lower them.
    static void SetLimits(Limits limits);
    [[nodiscard]] static Limits GetLimits();

    CHtmlObject(std::string url, std::string contentType);
    ~CHtmlObject() override;

    Status Write(const char* bytes, size_t count) override;
    Status EndOfData() override;

    ElementPosition IndexOfElement(const CHtmlElement* element) override;
    CTextStore GetTextStore() override;
    ElementPosition GetFirstElementPosition() override;
    const CHtmlElement* GetNextElement(ElementPosition& position) override;
    size_t GetNextElements(ElementPosition position, std::span<ElementAt> out) override;
    std::string GetTitle() override;
    PageColor GetBackgroundColor() override;
    PageColor GetTextColor() override;
    PageColor GetLinkColor() override;
    PageColor GetVisitedLinkColor() override;
    std::string GetBackgroundImage() override;

    // Building the document; called by the parser on the feeding thread.
    // Records and text of a block are staged without the lock and shown to
    // readers together when the block is done (Write and EndOfData publish),
    // so a block costs one lock instead of one per record.
    template <class T, class... Args> T* Append(Args&&... args) {
        return m_elements.Allocate<T>(std::forward<Args>(args)...);
    }
    // A copy of text for records that hold text (feeding thread only). It
    // lives with the page's text store, as long as the records and as long
    // as any layout of them, which holds the store too.
    std::string_view KeepString(std::string_view text) { return m_text.Keep(text); }
    uint16_t KeepLinkBase(std::string_view base) { return m_text.KeepLinkBase(base); }
    // Builds a record and fills its fields before any reader can see it.
    template <class T, class Fill> T* AppendFilled(Fill&& fill) {
        T* record = m_elements.Allocate<T>();
        fill(*record);
        return record;
    }
    // Stages characters for the text store and a text element naming them.
    void AppendText(const char* bytes, size_t count, uint32_t style);
    void AppendTitle(const char* bytes, size_t count);
    void ClearTitle();
    // Feeding thread only: it is the one writer, so it reads without the lock.
    const std::string& BaseUrl() const { return m_baseUrl; }
    void SetBaseUrl(std::string url);
    enum class Colour { Background, Text, Link, VisitedLink };
    // value is 0xRRGGBB; the number -1 is no colour, as it always was.
    void SetColour(Colour which, int32_t value);
    void SetBackgroundImage(std::string url);

private:
    // Text first, then the records that point into it: a reader that finds
    // a text element can always copy its characters.
    void Publish();
    // Feeds text to the parser and publishes what it made; answers whether
    // the parser refuses more.
    bool Parse(std::string_view text);
    // The message for a page past one of its limits, or empty text.
    [[nodiscard]] std::string PastLimitText() const;

    // Staged by the feeding thread without the lock, published under m_lock
    // and read without it (CRecordPool says how).
    CRecordPool m_elements{ElementRecords::Sizes};
    std::string m_title GUARDED_BY(m_lock);
    std::string m_background GUARDED_BY(m_lock);
    std::string m_baseUrl; // feeding thread only
    PageColor m_backgroundColor GUARDED_BY(m_lock);
    PageColor m_textColor GUARDED_BY(m_lock);
    PageColor m_linkColor GUARDED_BY(m_lock);
    PageColor m_visitedLinkColor GUARDED_BY(m_lock);
    CTextStore m_text;                     // has its own lock
    std::string m_pendingText;             // feeding thread only: the block's text
    uint32_t m_textLength = 0;             // feeding thread only: stored plus pending
    const Limits m_limits;                 // read once: a page keeps its limits
    bool m_textCut = false;                // feeding thread only: text met its limit
    CCharsetDecoder m_charset;             // feeding thread only
    std::unique_ptr<CHtmlParser> m_parser; // feeding thread only; gone after the end of data
};

// The "text/html" and "text/plain" row of the content-type table.
[[nodiscard]] ContentTypeRegistration RegisterHtmlType();
