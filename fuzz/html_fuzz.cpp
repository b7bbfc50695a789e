// Feeds arbitrary bytes to the HTML content object in arbitrary pieces. Besides
// surviving, the document must come out the same as when it is fed whole:
// where the network happens to cut a page must never change what it shows.
#include "content/CTextStore.h"
#include "html/CElementDump.h"
#include "html/CHtmlElement.h"
#include "html/CHtmlObject.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The element list as dump lines, text elements that continue one another in
// the same style joined (how text is cut into elements follows the pieces).
std::vector<std::string> Normalised(CHtmlObject& object) {
    CTextStore text = object.GetTextStore();
    std::vector<std::string> lines;
    const CTextElement* open = nullptr;
    uint32_t count = 0;
    auto flush = [&] {
        if (open)
            lines.push_back(std::to_string(open->textStyle) + ":" +
                            text.Copy(open->startOffset, count));
        open = nullptr;
    };
    ElementPosition position = object.GetFirstElementPosition();
    while (position) {
        const CHtmlElement* element = object.GetNextElement(position);
        if (element->kind == ElementKind::Text) {
            const auto* t = static_cast<const CTextElement*>(element);
            if (open && open->textStyle == t->textStyle &&
                open->startOffset + count == t->startOffset) {
                count += t->characterCount;
                continue;
            }
            flush();
            open = t;
            count = t->characterCount;
            continue;
        }
        flush();
        lines.push_back(CElementDump::Line(*element, text));
    }
    flush();
    return lines;
}

std::vector<std::string> Feed(const std::string& type, std::string_view body,
                              std::string_view pieces) {
    CHtmlObject object("http://fuzz/dir/page.html", type);
    size_t at = 0;
    size_t turn = 0;
    while (at < body.size()) {
        size_t piece = body.size();
        if (!pieces.empty())
            piece = 1 + static_cast<unsigned char>(pieces[turn++ % pieces.size()]) % 64;
        piece = std::min(piece, body.size() - at);
        (void)object.Write(body.data() + at, piece);
        at += piece;
    }
    (void)object.EndOfData();
    return Normalised(object);
}

} // namespace

// Layout of an input: one byte choosing the type (bit 0: plain text; bits 1
// and 2: no charset, UTF-8, ISO-8859-1, none), one byte n, then n bytes of
// piece sizes, then the body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.size() < 2)
        return 0;
    static constexpr std::string_view Charsets[] = {"", "; charset=utf-8", "; charset=iso-8859-1",
                                                    ""};
    const std::string type = std::string((input[0] & 1) ? "text/plain" : "text/html") +
                             std::string(Charsets[(input[0] >> 1) & 3]);
    size_t n = std::min<size_t>(static_cast<unsigned char>(input[1]), input.size() - 2);
    std::string_view pieces = input.substr(2, n);
    std::string_view body = input.substr(2 + n);
    if (pieces.empty())
        pieces = std::string_view("\0", 1); // one byte at a time
    if (Feed(type, body, {}) != Feed(type, body, pieces))
        __builtin_trap();
    return 0;
}
