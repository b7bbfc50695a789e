#include "html/CharacterStandIns.h"

#include "platform/Windows1252.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Latin Extended-A (U+0100-U+017F) without accents. The letters the code
// page has (OE, S and Z with caron, Y with diaeresis) are taken from it
// before this table is asked; "?" stands for the two-letter ligatures.
constexpr std::string_view LatinExtendedA = "AaAaAaCcCcCcCcDd"
                                            "DdEeEeEeEeEeGgGg"
                                            "GgGgHhHhIiIiIiIi"
                                            "Ii??JjKkkLlLlLlL"
                                            "lLlNnNnNnnNnOoOo"
                                            "OoOoRrRrRrSsSsSs"
                                            "SsTtTtTtUuUuUuUu"
                                            "UuUuWwYyYZzZzZzs";
static_assert(LatinExtendedA.size() == 0x80);

struct Range {
    char32_t first;
    char32_t last;
    int32_t byte; // kShowsNothing, or the byte every character of the range shows
};

constexpr int32_t Bullet = 0x95;
constexpr int32_t EmDash = 0x97;
constexpr int32_t NoBreakSpace = 0xA0;
constexpr int32_t MiddleDot = 0xB7;

// Sorted and without overlaps.
constexpr std::array<Range, 65> StandIns{{
    {0x0218, 0x0218, 'S'}, // S, s, T, t with a comma below (Romanian)
    {0x0219, 0x0219, 's'},
    {0x021A, 0x021A, 'T'},
    {0x021B, 0x021B, 't'},
    {0x02B9, 0x02B9, '\''},            // modifier prime
    {0x02BA, 0x02BA, '"'},             // modifier double prime
    {0x02BB, 0x02BB, 0x91},            // modifier turned comma: an opening quote
    {0x02BC, 0x02BC, 0x92},            // modifier apostrophe
    {0x02C4, 0x02C4, '^'},             // modifier up arrowhead
    {0x02C8, 0x02C8, '\''},            // vertical line (stress mark)
    {0x02CB, 0x02CB, '`'},             // modifier grave
    {0x02CD, 0x02CD, '_'},             // modifier low line
    {0x02D0, 0x02D0, ':'},             // length mark
    {0x02DD, 0x02DD, '"'},             // double acute
    {0x0300, 0x036F, kShowsNothing},   // combining accents: the letter before stays
    {0x2000, 0x2006, ' '},             // en quad .. six-per-em space
    {0x2007, 0x2007, NoBreakSpace},    // figure space does not break
    {0x2008, 0x200A, ' '},             // punctuation, thin, hair space
    {0x200B, 0x200F, kShowsNothing},   // zero-width space, joiners, direction marks
    {0x2010, 0x2012, '-'},             // hyphen, non-breaking hyphen, figure dash
    {0x2015, 0x2015, EmDash},          // horizontal bar
    {0x2017, 0x2017, '_'},             // double low line
    {0x201B, 0x201B, '\''},            // reversed single quote
    {0x201F, 0x201F, '"'},             // reversed double quote
    {0x2023, 0x2023, Bullet},          // triangular bullet
    {0x2024, 0x2024, '.'},             // one-dot leader
    {0x2027, 0x2027, MiddleDot},       // hyphenation point
    {0x2028, 0x2029, ' '},             // line and paragraph separators
    {0x202A, 0x202E, kShowsNothing},   // direction embeddings and overrides
    {0x202F, 0x202F, NoBreakSpace},    // narrow no-break space
    {0x2032, 0x2032, '\''},            // prime
    {0x2033, 0x2033, '"'},             // double prime
    {0x2035, 0x2035, '`'},             // reversed prime
    {0x2038, 0x2038, '^'},             // caret
    {0x2043, 0x2043, '-'},             // hyphen bullet
    {0x2044, 0x2044, '/'},             // fraction slash
    {0x204E, 0x204E, '*'},             // low asterisk
    {0x2052, 0x2052, '%'},             // commercial minus
    {0x2053, 0x2053, '~'},             // swung dash
    {0x205F, 0x205F, ' '},             // medium mathematical space
    {0x2060, 0x2064, kShowsNothing},   // word joiner, invisible operators
    {0x2066, 0x206F, kShowsNothing},   // direction isolates, deprecated format signs
    {0x2212, 0x2212, '-'},             // minus
    {0x2215, 0x2215, '/'},             // division slash
    {0x2216, 0x2216, '\\'},            // set minus
    {0x2217, 0x2217, '*'},             // asterisk operator
    {0x2219, 0x2219, Bullet},          // bullet operator
    {0x2223, 0x2223, '|'},             // divides
    {0x2236, 0x2236, ':'},             // ratio
    {0x223C, 0x223C, '~'},             // tilde operator
    {0x22C5, 0x22C5, MiddleDot},       // dot operator
    {0x25AA, 0x25AA, Bullet},          // small black square
    {0x25CB, 0x25CB, 'o'},             // white circle
    {0x25CF, 0x25CF, Bullet},          // black circle
    {0x25E6, 0x25E6, 'o'},             // white bullet
    {0x2981, 0x2981, Bullet},          // z notation spot
    {0x29BE, 0x29BF, Bullet},          // circled white and black bullets
    {0x2E3A, 0x2E3B, EmDash},          // two- and three-em dashes
    {0x3000, 0x3000, ' '},             // ideographic space
    {0xFE58, 0xFE58, EmDash},          // small em dash
    {0xFE63, 0xFE63, '-'},             // small hyphen-minus
    {0xFEFF, 0xFEFF, kShowsNothing},   // byte-order mark, zero-width no-break space
    {0xFFF9, 0xFFFB, kShowsNothing},   // interlinear annotation signs
    {0xE0001, 0xE0001, kShowsNothing}, // language tag
    {0xE0020, 0xE007F, kShowsNothing}, // tag characters
}};

constexpr bool Sorted() {
    for (size_t i = 0; i < StandIns.size(); ++i) {
        if (StandIns[i].first > StandIns[i].last)
            return false;
        if (i > 0 && StandIns[i - 1].last >= StandIns[i].first)
            return false;
    }
    return true;
}
static_assert(Sorted());

// Fullwidth forms of the printable ASCII signs (U+FF01-U+FF5E).
constexpr char32_t FullwidthFirst = 0xFF01;
constexpr char32_t FullwidthLast = 0xFF5E;
constexpr char32_t FullwidthOffset = FullwidthFirst - 0x21;

} // namespace

int32_t PageByteFor(char32_t character) {
    if (const int32_t exact = UnicodeToWindows1252(character); exact >= 0)
        return exact;
    if (character >= 0x100 && character <= 0x17F) {
        const char letter = LatinExtendedA[character - 0x100];
        return static_cast<unsigned char>(letter);
    }
    if (character >= FullwidthFirst && character <= FullwidthLast)
        return static_cast<int32_t>(character - FullwidthOffset);
    const auto* range =
        std::upper_bound(StandIns.begin(), StandIns.end(), character,
                         [](char32_t c, const Range& row) { return c < row.first; });
    if (range != StandIns.begin()) {
        --range;
        if (character <= range->last)
            return range->byte;
    }
    return '?';
}
