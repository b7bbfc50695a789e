#pragma once

#include "html/CHtmlParseState.h"
#include "html/CTagDispatcher.h"
#include "html/CTextSink.h"
#include "html/HtmlLexicon.h"

#include <cstddef>
#include <string_view>

class CHtmlObject;

// The incremental tokenizer of one document: cuts each block of the body into
// text, tags, comments and entities, carrying an unfinished piece over to the
// next block, and hands text to the sink and tags to the dispatcher.
class CHtmlParser {
public:
    // A tag is held whole until its ">" only up to this length; the bytes of
    // an endless one past it are dropped, so that it cannot fill the memory.
    // The block that brings the ">" is still read whole.
    static constexpr size_t MaxHeldTag = size_t{1} << 20;

    CHtmlParser(CHtmlObject& document, bool plainText);

    // Feeds one block; answers whether the caller should tell its viewers
    // that elements were added, and whether the document refuses more data.
    struct FeedResult {
        bool notify = false;
        bool finished = false;
    };
    [[nodiscard]] FeedResult Feed(const char* bytes, size_t count);
    // The body is complete: pending text is kept, tables still open are closed.
    void Finish();

    [[nodiscard]] CHtmlParseState& State() { return m_state; }

private:
    // One pass over a range of input. Searches remember what they found for
    // the rest of the range, so that a page full of "&" or without any "<"
    // is still read in linear time.
    struct Cursor {
        const char* p;
        const char* end;
        const char* nextLt = nullptr;
        const char* nextSemi = nullptr;
        [[nodiscard]] size_t Left() const { return static_cast<size_t>(end - p); }
    };
    bool Run(Cursor& in);
    bool StepText(Cursor& in);
    bool StepTag(Cursor& in);
    void StepEntity(Cursor& in);
    void StepComment(Cursor& in);
    void FinishTag(std::string_view tag);
    void EntityFailed(Cursor& in, const char* resume);
    static const char* FindCached(const char*& cache, const char* p, const char* end, char c);

    CHtmlParseState m_state;
    CTextSink m_sink;
    CTagDispatcher m_dispatcher;
    ParsedTag m_tag; // reused for every tag
};
