#include "html/CHtmlParser.h"

#include "html/CHtmlObject.h"
#include "html/CharacterStandIns.h"
#include "html/HtmlLexicon.h"

#include <algorithm>
#include <cstring>

namespace {
// An entity name longer than this can match no row, so the "&" is text.
constexpr size_t MaxPendingEntity = 8;
constexpr std::string_view CommentOpen = "<!--";
constexpr std::string_view CommentClose = "-->";
} // namespace

CHtmlParser::CHtmlParser(CHtmlObject& document, bool plainText)
    : m_sink(document, m_state), m_dispatcher(document, m_state, m_sink) {
    m_state.state = plainText ? TokenizerState::PlainText : TokenizerState::Text;
}

const char* CHtmlParser::FindCached(const char*& cache, const char* p, const char* end, char c) {
    if (!cache || cache < p) {
        const void* hit = std::memchr(p, c, static_cast<size_t>(end - p));
        cache = hit ? static_cast<const char*>(hit) : end;
    }
    return cache;
}

CHtmlParser::FeedResult CHtmlParser::Feed(const char* bytes, size_t count) {
    if (m_state.state == TokenizerState::Finished)
        return {true, true};
    Cursor in{bytes, bytes + count};
    bool notify = Run(in);
    bool finished = m_state.state == TokenizerState::Finished;
    return {notify || finished, finished};
}

// Answers whether the pass ended in a way that announces new elements.
bool CHtmlParser::Run(Cursor& in) {
    while (in.p < in.end) {
        switch (m_state.state) {
        case TokenizerState::PlainText:
            m_sink.EmitPlainText(in.p, in.Left());
            in.p = in.end;
            return true;
        case TokenizerState::Text:
            if (!StepText(in))
                return false;
            break;
        case TokenizerState::InTag:
            if (!StepTag(in))
                return true;
            break;
        case TokenizerState::InEntity:
            StepEntity(in);
            break;
        case TokenizerState::InComment:
            StepComment(in);
            break;
        case TokenizerState::Finished:
            in.p = in.end;
            return true;
        }
    }
    // A pass that ends inside an entity or a comment has added nothing new.
    return m_state.state != TokenizerState::InEntity && m_state.state != TokenizerState::InComment;
}

// Answers false when the rest of the range was plain text.
bool CHtmlParser::StepText(Cursor& in) {
    const char* lt = FindCached(in.nextLt, in.p, in.end, '<');
    const void* amp = std::memchr(in.p, '&', static_cast<size_t>(lt - in.p));
    if (amp) {
        const char* at = static_cast<const char*>(amp);
        m_sink.Sink(in.p, static_cast<size_t>(at - in.p));
        in.p = at;
        m_state.entityBuffer.clear();
        m_state.state = TokenizerState::InEntity;
        return true;
    }
    m_sink.Sink(in.p, static_cast<size_t>(lt - in.p));
    in.p = lt;
    if (lt == in.end)
        return false;
    m_state.tagBuffer.clear();
    m_state.state = TokenizerState::InTag;
    return true;
}

// Answers false when the tag is still incomplete at the end of the range.
bool CHtmlParser::StepTag(Cursor& in) {
    const void* hit = std::memchr(in.p, '>', in.Left());
    if (!hit) {
        const size_t room = MaxHeldTag - std::min(MaxHeldTag, m_state.tagBuffer.size());
        m_state.tagBuffer.append(in.p, std::min(room, in.Left()));
        in.p = in.end;
        return false;
    }
    const char* close = static_cast<const char*>(hit) + 1;
    std::string_view fresh(in.p, static_cast<size_t>(close - in.p));
    in.p = close;
    // A tag that lies whole in this block is read where it stands.
    if (m_state.tagBuffer.empty()) {
        FinishTag(fresh);
    } else {
        m_state.tagBuffer.append(fresh);
        FinishTag(m_state.tagBuffer);
    }
    m_state.tagBuffer.clear();
    return true;
}

void CHtmlParser::FinishTag(std::string_view tag) {
    m_state.state = TokenizerState::Text;
    if (tag.starts_with(CommentOpen)) {
        if (!tag.ends_with(CommentClose)) {
            m_state.state = TokenizerState::InComment;
            m_state.commentStep = 0;
        }
        return;
    }
    size_t attributesAt = 0;
    const uint32_t id = ReadTagId(tag, attributesAt);
    // No rule reads the attributes of an end tag or of a tag it does not know
    // (a page of highlighted code is a quarter spans): they are not read.
    m_tag.count = 0;
    if (id < EndTag && id != static_cast<uint32_t>(TagId::Unknown))
        ParseTagAttributes(tag, attributesAt, m_tag);
    if (id == static_cast<uint32_t>(TagId::NoFrames))
        m_state.inNoFrames = true;
    else if (id == static_cast<uint32_t>(TagId::NoFrames) + EndTag)
        m_state.inNoFrames = false;
    if (!m_state.inNoFrames)
        m_dispatcher.Dispatch(id, m_tag.Attributes());
}

void CHtmlParser::StepEntity(Cursor& in) {
    const char* semi = FindCached(in.nextSemi, in.p, in.end, ';');
    const char* resume = in.p;
    m_state.state = TokenizerState::Text;
    if (semi == in.end) {
        if (m_state.entityBuffer.size() + in.Left() <= MaxPendingEntity) {
            m_state.entityBuffer.append(in.p, in.Left());
            m_state.state = TokenizerState::InEntity;
            in.p = in.end;
            return;
        }
        EntityFailed(in, resume);
        return;
    }
    // Decided the way a block ending before the ";" would decide it, so that
    // where the blocks of a page end never changes what it shows.
    if (m_state.entityBuffer.size() + static_cast<size_t>(semi - resume) > MaxPendingEntity) {
        EntityFailed(in, resume);
        return;
    }
    in.p = semi + 1;
    std::string_view fresh(resume, static_cast<size_t>(in.p - resume));
    int32_t code;
    if (m_state.entityBuffer.empty()) {
        code = DecodeEntity(fresh);
    } else {
        std::string whole = m_state.entityBuffer;
        whole.append(fresh);
        code = DecodeEntity(whole);
    }
    if (code == 0) {
        EntityFailed(in, resume);
        return;
    }
    m_state.entityBuffer.clear();
    if (code == kShowsNothing)
        return;
    char byte = static_cast<char>(code);
    m_sink.Sink(&byte, 1);
}

// Not an entity: the "&" is text, and everything after it is read again.
void CHtmlParser::EntityFailed(Cursor& in, const char* resume) {
    std::string carried = std::move(m_state.entityBuffer);
    m_state.entityBuffer.clear();
    m_sink.Sink("&", 1);
    if (carried.empty()) {
        in.p = resume + 1; // the "&" itself came from this range
        return;
    }
    // What came from earlier blocks is at most a few bytes; read it first.
    Cursor replay{carried.data() + 1, carried.data() + carried.size()};
    Run(replay);
    in.p = resume;
}

void CHtmlParser::StepComment(Cursor& in) {
    char wanted = m_state.commentStep < 2 ? '-' : '>';
    const void* hit = std::memchr(in.p, wanted, in.Left());
    if (!hit) {
        in.p = in.end;
        return;
    }
    in.p = static_cast<const char*>(hit) + 1;
    if (++m_state.commentStep == 3) {
        m_state.commentStep = 0;
        m_state.state = TokenizerState::Text;
    }
}

void CHtmlParser::Finish() {
    // An entity cut off by the end of the data is text the page meant to show.
    if (m_state.state == TokenizerState::InEntity && !m_state.entityBuffer.empty()) {
        std::string pending = std::move(m_state.entityBuffer);
        m_state.entityBuffer.clear();
        m_state.state = TokenizerState::Text;
        m_sink.Sink(pending.data(), pending.size());
    }
    m_state.tagBuffer.clear();
    m_dispatcher.CloseOpenTables();
}
