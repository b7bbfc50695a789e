#pragma once

#include "content/CTextStore.h"
#include "html/CElementDump.h"
#include "html/CHtmlElement.h"
#include "html/CHtmlObject.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A parsed document as a test sees it: the element records in list order.
struct ParsedDocument {
    std::unique_ptr<CHtmlObject> object;
    std::vector<const CHtmlElement*> elements;
    CTextStore text;
    std::vector<Status> writes;
    Status end = Status::Unknown;

    // Every element of this kind, in order.
    template <class T = CHtmlElement> std::vector<const T*> OfKind(ElementKind kind) const {
        std::vector<const T*> found;
        for (const CHtmlElement* element : elements)
            if (element->kind == kind)
                found.push_back(static_cast<const T*>(element));
        return found;
    }
    std::vector<ElementKind> Kinds() const {
        std::vector<ElementKind> kinds;
        for (const CHtmlElement* element : elements)
            kinds.push_back(element->kind);
        return kinds;
    }
    // The characters of the text elements, in list order.
    std::string VisibleText() const {
        std::string all;
        for (const auto* t : OfKind<CTextElement>(ElementKind::Text))
            all += text.Copy(t->startOffset, t->characterCount);
        return all;
    }
    std::string TextOf(const CTextElement& element) const {
        return text.Copy(element.startOffset, element.characterCount);
    }
    // The list as dump lines, with text elements that continue one another
    // in the same style joined: how a run of text is cut into elements
    // depends on where blocks of input end, and nothing a reader sees does.
    std::vector<std::string> Normalised() const;
};

enum class Ending { EndOfData, StillLoading };

// Feeds html in pieces of at most piece bytes (0: all at once).
ParsedDocument Parse(std::string_view html, size_t piece = 0, std::string_view type = "text/html",
                     Ending ending = Ending::EndOfData);

// Runs iconv over bytes (from and to as iconv names them); the output, or
// nullopt when iconv failed.
std::optional<std::string> Iconv(const std::string& from, const std::string& to,
                                 std::string_view bytes);
// A character as UTF-8.
std::string Utf8(char32_t c);

// Reads a page of the test corpus.
std::string ReadCorpusFile(const std::string& name);
std::vector<std::string> CorpusFiles();
