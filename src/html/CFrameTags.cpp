#include "html/CFrameTags.h"

#include "content/Url.h"
#include "html/CHtmlObject.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <cstdint>

bool CFrameTags::Start(TagId id, const AttributeList& attributes) {
    switch (id) {
    case TagId::Frame:
        Frame(attributes);
        return true;
    case TagId::FrameSet:
        FrameSet(attributes);
        return true;
    default:
        return false;
    }
}

bool CFrameTags::End(TagId id) {
    if (id != TagId::FrameSet)
        return false;
    EndFrameSet();
    return true;
}

void CFrameTags::Frame(const AttributeList& attributes) {
    if (m_state.framesetDepth < 1)
        return;
    std::string base = m_document.BaseUrl();
    m_document.AppendFilled<CFrameElement>([&](CFrameElement& frame) {
        for (const CHtmlAttribute& attribute : attributes) {
            const std::string& name = attribute.name;
            if (name == "src")
                frame.source = ResolveUrl(base, attribute.value);
            else if (name == "name")
                frame.name = attribute.value;
            else if (name == "marginwidth")
                frame.marginWidth = ParseHtmlNumber(attribute.value);
            else if (name == "marginheight")
                frame.marginHeight = ParseHtmlNumber(attribute.value);
            else if (name == "scrolling") {
                std::string lower = ToLowerAscii(attribute.value);
                frame.scrolling = lower == "yes" ? 1 : lower == "no" ? 0 : -1;
            }
        }
    });
}

namespace {

// A frame set with more sizes than this is no page anyone could look at.
constexpr size_t MaxFrameSizes = 4096;

// "20%, *, 100": each size negated when "%" or "*" follows it.
void ReadFrameSizes(std::string_view text, std::vector<int32_t>& sizes) {
    size_t at = 0;
    auto skipSpace = [&] {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
            ++at;
    };
    while (at <= text.size() && sizes.size() < MaxFrameSizes) {
        skipSpace();
        size_t end = at;
        while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                     ((text[end] == '-' || text[end] == '+') && end == at)))
            ++end;
        int32_t number = ParseHtmlNumber(text.substr(at, end - at));
        at = end;
        if (at < text.size() && (text[at] == '%' || text[at] == '*')) {
            number = number == INT32_MIN ? INT32_MAX : -number;
            ++at;
        }
        sizes.push_back(number);
        skipSpace();
        if (at >= text.size() || text[at] != ',')
            break;
        ++at;
    }
}

} // namespace

void CFrameTags::FrameSet(const AttributeList& attributes) {
    m_document.AppendFilled<CFrameSetElement>([&](CFrameSetElement& frameSet) {
        for (const CHtmlAttribute& attribute : attributes) {
            if (attribute.name != "rows" && attribute.name != "cols")
                continue;
            frameSet.orientation = attribute.name == "rows" ? 1 : 0;
            ReadFrameSizes(attribute.value, frameSet.sizes);
        }
    });
    ++m_state.framesetDepth;
}

void CFrameTags::EndFrameSet() {
    if (m_state.framesetDepth > 0) {
        --m_state.framesetDepth;
        m_document.Append<CBareElement>(ElementKind::FrameSetEnd);
    }
    if (m_state.framesetDepth == 0)
        m_state.state = TokenizerState::Finished;
}
