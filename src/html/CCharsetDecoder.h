#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The character set of a page's bytes, as far as it changes what is shown.
enum class PageCharset {
    Undecided,   // not known yet: only ASCII, the same in every set, has gone through
    Windows1252, // shown as they are: Windows-1252, ISO-8859-1, US-ASCII and any set
                 // that is not transcoded
    Utf8,
};

// The set a label names ("utf-8", "ISO-8859-1", ...): Undecided for an empty
// label, Windows1252 for every label that is not one of UTF-8's.
[[nodiscard]] PageCharset CharsetFromLabel(std::string_view label);
// The "charset" parameter of a Content-Type value; Undecided without one.
[[nodiscard]] PageCharset CharsetFromContentType(std::string_view contentType);

// What the <meta> tags at the start of a page say about its character set:
// the first tag with a "charset" attribute, or with "http-equiv" Content-Type
// and a "charset=" in its "content", decides. Comments are skipped. Settled
// is false while an incomplete tag or comment at the end of head could still
// become the deciding one; headComplete says no more of the head will come.
struct MetaCharset {
    bool settled = false;
    PageCharset charset = PageCharset::Undecided;
};
[[nodiscard]] MetaCharset FindMetaCharset(std::string_view head, bool headComplete);

// Whether bytes read as UTF-8: at least one multi-byte sequence and no
// invalid one. When more bytes follow (cut), a sequence cut off at the end
// is not held against them.
[[nodiscard]] bool LooksLikeUtf8(std::string_view bytes, bool cut);

// Reads UTF-8 a byte at a time. Overlong forms, surrogates and characters
// past U+10FFFF are invalid.
class Utf8Reader {
public:
    enum class Result {
        Character, // Character() is complete
        Partial,   // the byte continues a sequence
        Invalid,   // the byte cannot start a sequence
        Broken,    // the byte cannot continue the sequence begun: the bytes
                   // before it are invalid, and it is to be read again
    };
    Result Read(uint8_t byte);
    [[nodiscard]] char32_t Character() const { return m_character; }
    [[nodiscard]] bool InSequence() const { return m_needed > 0; }

private:
    uint32_t m_needed = 0;
    char32_t m_character = 0;
    uint8_t m_lower = 0x80;
    uint8_t m_upper = 0xBF;
};

// Turns a page's bytes into the Windows-1252 text the tokenizer reads, block
// by block as they arrive. The set comes from the Content-Type's "charset"
// parameter, else from a <meta> tag within the first 1,024 bytes, else from
// the 1,024 bytes that start at the first byte above 127 (UTF-8 when they
// read as UTF-8); a UTF-8 byte-order mark overrides them all. Until the set
// is known, ASCII goes through and the bytes from the first one above 127
// on are held back. What a page shows never depends on where its blocks end.
//
// UTF-8 characters become their Windows-1252 byte, a stand-in or nothing
// (PageByteFor); a byte that belongs to no valid sequence is shown as the
// Windows-1252 character of that byte, so that a stray Latin-1 byte in a
// UTF-8 page still reads.
class CCharsetDecoder {
public:
    // readMeta: the page is HTML, so its <meta> tags may name the set.
    CCharsetDecoder(std::string_view contentType, bool readMeta);

    // The text of one block; it may hold less than the block (bytes held back)
    // or more (bytes held back before). Valid until the next call.
    [[nodiscard]] std::string_view Decode(const char* bytes, size_t count);
    // The end of the data: everything still held back.
    [[nodiscard]] std::string_view Finish();

    [[nodiscard]] PageCharset Charset() const { return m_charset; }

    // How much of the page a <meta> tag may lie in, and how much is looked
    // at to recognise UTF-8.
    static constexpr size_t kMetaWindow = 1024;
    static constexpr size_t kDetectionWindow = 1024;

private:
    void Take(std::string_view bytes);
    void TakeUndecided(std::string_view bytes);
    void TryDecide(bool atEnd);
    void Decide(PageCharset charset);
    void Transcode(std::string_view bytes);
    void FlushPartial();

    PageCharset m_charset = PageCharset::Undecided;
    bool m_readMeta;
    bool m_bomChecked = false;
    std::string m_start; // the first bytes while they could still be a byte-order mark
    std::string m_head;  // the first kMetaWindow bytes, while a <meta> may decide
    std::string m_held;  // bytes from the first one above 127 on, while undecided
    std::string m_out;

    // A UTF-8 sequence begun at the end of one block: its bytes so far and
    // where its decoding stands.
    std::string m_partial;
    Utf8Reader m_reader;
};
