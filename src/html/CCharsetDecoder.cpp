#include "html/CCharsetDecoder.h"

#include "html/CharacterStandIns.h"
#include "html/HtmlLexicon.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsHigh(char c) {
    return static_cast<uint8_t>(c) >= 0x80;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A label as written in a header or tag: quotes and a trailing "/" of an
// empty-element tag are not part of it.
std::string_view BareLabel(std::string_view label) {
    label = Trimmed(label);
    if (!label.empty() && label.back() == '/')
        label.remove_suffix(1);
    while (!label.empty() && (label.front() == '"' || label.front() == '\''))
        label.remove_prefix(1);
    while (!label.empty() && (label.back() == '"' || label.back() == '\''))
        label.remove_suffix(1);
    return Trimmed(label);
}

// The value of "charset=" inside a parameter list ("text/html; charset=utf-8").
std::string_view CharsetParameter(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t found = ToLowerAscii(text.substr(at)).find("charset");
        if (found == std::string::npos)
            return {};
        size_t value = at + found + 7;
        while (value < text.size() && IsSpace(text[value]))
            ++value;
        if (value < text.size() && text[value] == '=') {
            ++value;
            while (value < text.size() && IsSpace(text[value]))
                ++value;
            size_t end = value;
            if (end < text.size() && (text[end] == '"' || text[end] == '\'')) {
                const char quote = text[end];
                const size_t close = text.find(quote, end + 1);
                return text.substr(
                    end + 1, (close == std::string_view::npos ? text.size() : close) - end - 1);
            }
            while (end < text.size() && text[end] != ';' && !IsSpace(text[end]))
                ++end;
            return text.substr(value, end - value);
        }
        at = value;
    }
    return {};
}

bool IsMetaTag(std::string_view tag) {
    // "<meta" followed by the end of the name.
    return tag.size() > 5 && EqualsNoCase(tag.substr(1, 4), "meta") &&
           (IsSpace(tag[5]) || tag[5] == '/' || tag[5] == '>');
}

PageCharset CharsetOfMeta(std::string_view tag) {
    const ParsedTag parsed = ParseTag(tag);
    const AttributeList attributes = parsed.Attributes();
    if (const std::string* charset = FindAttribute(attributes, "charset")) {
        const PageCharset named = CharsetFromLabel(*charset);
        // A page whose tags read as ASCII is not UTF-16, whatever it says:
        // the label can only mean UTF-8.
        if (StartsWithNoCase(BareLabel(*charset), "utf-16"))
            return PageCharset::Utf8;
        return named;
    }
    const std::string* equiv = FindAttribute(attributes, "http-equiv");
    const std::string* content = FindAttribute(attributes, "content");
    if (equiv && content && EqualsNoCase(BareLabel(*equiv), "content-type")) {
        const std::string_view label = CharsetParameter(*content);
        if (StartsWithNoCase(BareLabel(label), "utf-16"))
            return PageCharset::Utf8;
        return CharsetFromLabel(label);
    }
    return PageCharset::Undecided;
}

} // namespace

PageCharset CharsetFromLabel(std::string_view label) {
    label = BareLabel(label);
    if (label.empty())
        return PageCharset::Undecided;
    static constexpr std::array<std::string_view, 6> Utf8Labels = {
        "utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "x-unicode20utf8"};
    for (std::string_view name : Utf8Labels)
        if (EqualsNoCase(label, name))
            return PageCharset::Utf8;
    return PageCharset::Windows1252;
}

PageCharset CharsetFromContentType(std::string_view contentType) {
    const size_t semicolon = contentType.find(';');
    if (semicolon == std::string_view::npos)
        return PageCharset::Undecided;
    return CharsetFromLabel(CharsetParameter(contentType.substr(semicolon + 1)));
}

MetaCharset FindMetaCharset(std::string_view head, bool headComplete) {
    const MetaCharset unsettled{headComplete, PageCharset::Undecided};
    size_t at = 0;
    while ((at = head.find('<', at)) != std::string_view::npos) {
        if (head.substr(at).starts_with("<!--")) {
            const size_t close = head.find("-->", at + 4);
            if (close == std::string_view::npos)
                return unsettled;
            at = close + 3;
            continue;
        }
        const size_t close = head.find('>', at);
        if (close == std::string_view::npos)
            return unsettled;
        const std::string_view tag = head.substr(at, close + 1 - at);
        if (IsMetaTag(tag))
            if (const PageCharset charset = CharsetOfMeta(tag); charset != PageCharset::Undecided)
                return {true, charset};
        at = close + 1;
    }
    return unsettled;
}

Utf8Reader::Result Utf8Reader::Read(uint8_t byte) {
    if (m_needed == 0) {
        if (byte < 0x80) {
            m_character = byte;
            return Result::Character;
        }
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_needed = 1;
            m_character = byte & 0x1Fu;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            // Overlong forms below U+0800 and the surrogates are not characters.
            m_lower = byte == 0xE0 ? 0xA0 : 0x80;
            m_upper = byte == 0xED ? 0x9F : 0xBF;
            m_needed = 2;
            m_character = byte & 0x0Fu;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_lower = byte == 0xF0 ? 0x90 : 0x80;
            m_upper = byte == 0xF4 ? 0x8F : 0xBF;
            m_needed = 3;
            m_character = byte & 0x07u;
        } else {
            return Result::Invalid;
        }
        return Result::Partial;
    }
    if (byte < m_lower || byte > m_upper) {
        m_needed = 0;
        m_lower = 0x80;
        m_upper = 0xBF;
        return Result::Broken;
    }
    m_lower = 0x80;
    m_upper = 0xBF;
    m_character = (m_character << 6) | (byte & 0x3Fu);
    return --m_needed == 0 ? Result::Character : Result::Partial;
}

bool LooksLikeUtf8(std::string_view bytes, bool cut) {
    Utf8Reader reader;
    bool multiByte = false;
    for (char c : bytes) {
        switch (reader.Read(static_cast<uint8_t>(c))) {
        case Utf8Reader::Result::Character:
            multiByte |= reader.Character() >= 0x80;
            break;
        case Utf8Reader::Result::Partial:
            break;
        case Utf8Reader::Result::Invalid:
        case Utf8Reader::Result::Broken:
            return false;
        }
    }
    return multiByte && (cut || !reader.InSequence());
}

CCharsetDecoder::CCharsetDecoder(std::string_view contentType, bool readMeta)
    : m_charset(CharsetFromContentType(contentType)),
      m_readMeta(readMeta && m_charset == PageCharset::Undecided) {}

namespace {

// Where the run of ASCII bytes from at ends: a word of eight with no high
// bit set is eight ASCII bytes.
size_t AsciiRunEnd(std::string_view bytes, size_t at) {
    constexpr uint64_t HighBits = 0x8080808080808080;
    for (uint64_t word; at + sizeof word <= bytes.size(); at += sizeof word) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        if (word & HighBits)
            break;
    }
    while (at < bytes.size() && static_cast<uint8_t>(bytes[at]) < 0x80)
        ++at;
    return at;
}

} // namespace

std::string_view CCharsetDecoder::Decode(const char* bytes, size_t count) {
    std::string_view in(bytes, count);
    // The common cases cost no copy: the set is settled and nothing is held,
    // or it is not, but only ASCII has come so far and no <meta> can decide.
    if (m_bomChecked && m_charset == PageCharset::Windows1252)
        return in;
    // Most blocks of a UTF-8 page in a Latin script are ASCII throughout.
    if (m_bomChecked && m_charset == PageCharset::Utf8 && !m_reader.InSequence() &&
        m_partial.empty() && AsciiRunEnd(in, 0) == in.size())
        return in;
    if (m_bomChecked && m_charset == PageCharset::Undecided && !m_readMeta && m_held.empty() &&
        std::ranges::none_of(in, IsHigh))
        return in;
    m_out.clear();
    if (!m_bomChecked) {
        const size_t take = std::min(in.size(), ByteOrderMark.size() - m_start.size());
        m_start.append(in.substr(0, take));
        in.remove_prefix(take);
        if (ByteOrderMark.starts_with(m_start) && m_start.size() < ByteOrderMark.size())
            return m_out;
        m_bomChecked = true;
        if (m_start == ByteOrderMark) {
            m_charset = PageCharset::Utf8;
            m_readMeta = false;
        } else {
            Take(m_start);
        }
        m_start.clear();
        m_start.shrink_to_fit();
    }
    Take(in);
    return m_out;
}

std::string_view CCharsetDecoder::Finish() {
    m_out.clear();
    if (!m_bomChecked) {
        m_bomChecked = true;
        Take(m_start);
        m_start.clear();
    }
    if (m_charset == PageCharset::Undecided)
        TryDecide(true);
    FlushPartial();
    return m_out;
}

void CCharsetDecoder::Take(std::string_view bytes) {
    switch (m_charset) {
    case PageCharset::Undecided:
        TakeUndecided(bytes);
        break;
    case PageCharset::Windows1252:
        m_out.append(bytes);
        break;
    case PageCharset::Utf8:
        Transcode(bytes);
        break;
    }
}

void CCharsetDecoder::TakeUndecided(std::string_view bytes) {
    if (m_readMeta && m_head.size() < kMetaWindow)
        m_head.append(bytes.substr(0, kMetaWindow - m_head.size()));
    if (m_held.empty()) {
        const auto high = std::ranges::find_if(bytes, IsHigh);
        const auto ascii = static_cast<size_t>(high - bytes.begin());
        m_out.append(bytes.substr(0, ascii));
        m_held.assign(bytes.substr(ascii));
    } else {
        m_held.append(bytes);
    }
    TryDecide(false);
}

void CCharsetDecoder::TryDecide(bool atEnd) {
    if (m_readMeta) {
        const MetaCharset meta = FindMetaCharset(m_head, atEnd || m_head.size() >= kMetaWindow);
        if (meta.charset != PageCharset::Undecided) {
            Decide(meta.charset);
            return;
        }
        if (!meta.settled)
            return;
        m_readMeta = false;
        m_head.clear();
        m_head.shrink_to_fit();
    }
    if (m_held.empty())
        return;
    // A full window may go on past its end; at the end of the data a
    // sequence cut short is a broken one.
    const bool full = m_held.size() >= kDetectionWindow;
    if (full || atEnd)
        Decide(LooksLikeUtf8(std::string_view(m_held).substr(0, kDetectionWindow), full)
                   ? PageCharset::Utf8
                   : PageCharset::Windows1252);
}

void CCharsetDecoder::Decide(PageCharset charset) {
    m_charset = charset;
    m_readMeta = false;
    m_head.clear();
    m_head.shrink_to_fit();
    const std::string held = std::move(m_held);
    m_held.clear();
    Take(held);
}

void CCharsetDecoder::Transcode(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        // Runs of ASCII are copied whole.
        if (!m_reader.InSequence()) {
            const size_t end = AsciiRunEnd(bytes, at);
            m_out.append(bytes.substr(at, end - at));
            at = end;
            if (at == bytes.size())
                break;
        }
        const auto byte = static_cast<uint8_t>(bytes[at]);
        switch (m_reader.Read(byte)) {
        case Utf8Reader::Result::Character:
            if (const int32_t shown = PageByteFor(m_reader.Character()); shown != kShowsNothing)
                m_out += static_cast<char>(shown);
            m_partial.clear();
            ++at;
            break;
        case Utf8Reader::Result::Partial:
            m_partial += static_cast<char>(byte);
            ++at;
            break;
        case Utf8Reader::Result::Invalid:
            m_out += static_cast<char>(byte);
            ++at;
            break;
        case Utf8Reader::Result::Broken:
            // The sequence so far shows as it stands; this byte starts afresh.
            m_out += m_partial;
            m_partial.clear();
            break;
        }
    }
}

void CCharsetDecoder::FlushPartial() {
    // A sequence the data ends inside shows as the bytes it has.
    m_out += m_partial;
    m_partial.clear();
    m_reader = Utf8Reader();
}
