#include "html/HtmlTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

std::vector<std::string> ParsedDocument::Normalised() const {
    std::vector<std::string> lines;
    const CTextElement* open = nullptr;
    uint32_t openCount = 0;
    auto flush = [&] {
        if (open)
            lines.push_back("text " + std::to_string(open->startOffset) + " " +
                            std::to_string(open->textStyle) + " " +
                            text.Copy(open->startOffset, openCount));
        open = nullptr;
    };
    for (const CHtmlElement* element : elements) {
        if (element->kind == ElementKind::Text) {
            const auto* t = static_cast<const CTextElement*>(element);
            if (open && open->textStyle == t->textStyle &&
                open->startOffset + openCount == t->startOffset) {
                openCount += t->characterCount;
                continue;
            }
            flush();
            open = t;
            openCount = t->characterCount;
            continue;
        }
        flush();
        lines.push_back(CElementDump::Line(*element, text));
    }
    flush();
    return lines;
}

ParsedDocument Parse(std::string_view html, size_t piece, std::string_view type, Ending ending) {
    ParsedDocument parsed;
    parsed.object = std::make_unique<CHtmlObject>("http://host/dir/page.html", std::string(type));
    if (piece == 0)
        piece = std::max<size_t>(html.size(), 1);
    for (size_t at = 0; at < html.size(); at += piece) {
        std::string_view part = html.substr(at, piece);
        parsed.writes.push_back(parsed.object->Write(part.data(), part.size()));
    }
    if (ending == Ending::EndOfData)
        parsed.end = parsed.object->EndOfData();
    parsed.text = parsed.object->GetTextStore();
    ElementPosition position = parsed.object->GetFirstElementPosition();
    while (position)
        parsed.elements.push_back(parsed.object->GetNextElement(position));
    return parsed;
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VESTRIAL_HTML_CORPUS))
        if (entry.path().extension() == ".html")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadCorpusFile(const std::string& name) {
    std::ifstream file(std::filesystem::path(VESTRIAL_HTML_CORPUS) / name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}
