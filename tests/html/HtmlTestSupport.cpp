#include "html/HtmlTestSupport.h"

#include "support/TempDir.h"

#include <cstdlib>
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
    // A path joined, not strings added: GCC 12 misreads the bounds of a long
    // literal's temporary when strings are added.
    std::ifstream file(std::filesystem::path(VESTRIAL_HTML_CORPUS) / name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::optional<std::string> Iconv(const std::string& from, const std::string& to,
                                 std::string_view bytes) {
    const TempDir dir;
    const std::string in = (dir.Path() / "in").string();
    const std::string out = (dir.Path() / "out").string();
    std::ofstream(in, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    if (std::system(
            ("iconv -f " + from + " -t '" + to + "' '" + in + "' > '" + out + "' 2>/dev/null")
                .c_str()) != 0)
        return std::nullopt;
    std::stringstream content;
    content << std::ifstream(out, std::ios::binary).rdbuf();
    return content.str();
}

std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}
