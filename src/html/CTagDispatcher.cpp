#include "html/CTagDispatcher.h"

#include "content/Url.h"
#include "html/CHtmlObject.h"
#include "html/CTextSink.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

namespace {

// Nesting deeper than this changes nothing a reader could see; refusing it
// keeps the stacks of a hostile page bounded.
constexpr size_t MaxNesting = 4096;

int32_t HeadingLevel(TagId id) {
    return static_cast<int32_t>(id) - static_cast<int32_t>(TagId::H1) + 1;
}

bool IsHeading(TagId id) {
    return id >= TagId::H1 && id <= TagId::H6;
}

// The attributes of img and embed, read before the record is made.
struct ImageFields {
    Align align = Align::Baseline;
    int32_t horizontalSpace = 0;
    int32_t verticalSpace = 0;
    int32_t border = -1;
    int32_t height = 0;
    int32_t width = 0;
    std::string source;
    uint32_t ismap = 0;
    uint32_t inlineFlag = 1;
    Placement placement = Placement::Inline;
};

} // namespace

CTagDispatcher::CTagDispatcher(CHtmlObject& document, CHtmlParseState& state, CTextSink& sink)
    : m_document(document), m_state(state), m_blocks(document, state),
      m_forms(document, state, sink, m_blocks), m_tables(document, state),
      m_frames(document, state) {}

void CTagDispatcher::Dispatch(uint32_t id, const AttributeList& attributes) {
    if (id >= EndTag)
        OnEndTag(static_cast<TagId>(id - EndTag));
    else
        OnStartTag(static_cast<TagId>(id), attributes);
}

void CTagDispatcher::OnStartTag(TagId id, const AttributeList& attributes) {
    if (StartStyleTag(id) || StartBlockTag(id, attributes) || m_forms.Start(id, attributes) ||
        m_tables.Start(id, attributes) || m_frames.Start(id, attributes))
        return;
    switch (id) {
    case TagId::A:
        Anchor(attributes);
        break;
    case TagId::Base:
        Base(attributes);
        break;
    case TagId::BaseFont:
        BaseFont(attributes);
        break;
    case TagId::Body:
        Body(attributes);
        break;
    case TagId::Br:
        Br(attributes);
        break;
    case TagId::Center:
        m_document.Append<CBareElement>(ElementKind::LineEnd);
        m_document.Append<CBareElement>(ElementKind::CentreStart);
        break;
    case TagId::Font:
        Font(attributes);
        break;
    case TagId::Head:
        m_state.inHead = true;
        break;
    case TagId::Embed:
    case TagId::Img:
        Image(id, attributes);
        break;
    case TagId::PlainText:
        m_state.state = TokenizerState::PlainText;
        break;
    case TagId::Title:
        Title();
        break;
    default:
        break;
    }
}

bool CTagDispatcher::StartStyleTag(TagId id) {
    switch (id) {
    case TagId::B:
        m_state.AddStyle(m_state.boldCount, TextStyle::Bold);
        return true;
    case TagId::I:
        m_state.AddStyle(m_state.italicCount, TextStyle::Italic);
        return true;
    case TagId::U:
        m_state.AddStyle(m_state.underlineCount, TextStyle::Underline);
        return true;
    case TagId::Code:
    case TagId::Tt:
        m_state.AddStyle(m_state.fixedCount, TextStyle::Fixed);
        return true;
    default:
        return false;
    }
}

bool CTagDispatcher::StartBlockTag(TagId id, const AttributeList& attributes) {
    if (IsHeading(id)) {
        Heading(HeadingLevel(id));
        return true;
    }
    CListContext* list = m_state.CurrentList();
    bool inDefinitionList = list && list->type == ListType::Definition;
    switch (id) {
    case TagId::BlockQuote:
        ++m_state.blockquoteDepth;
        ++m_state.indentDepth;
        m_blocks.Open({.blankLinesBefore = 1});
        m_state.AddStyle(m_state.italicCount, TextStyle::Italic);
        return true;
    case TagId::Dd:
        m_blocks.Open({.indentAdjust = inDefinitionList ? 0 : 1});
        return true;
    case TagId::Dt:
        m_blocks.Open({.firstLineOffset = static_cast<int16_t>(inDefinitionList ? -1 : 0)});
        return true;
    case TagId::Dl:
        StartList(ListType::Definition);
        return true;
    case TagId::Hr:
        Rule(attributes);
        return true;
    case TagId::Li:
        ListItem();
        return true;
    case TagId::Listing:
    case TagId::Pre:
        Pre();
        return true;
    case TagId::Menu:
    case TagId::Ol:
        StartList(ListType::Ordered);
        return true;
    case TagId::Ul:
        StartList(ListType::Unordered);
        return true;
    case TagId::P:
        Paragraph(attributes);
        return true;
    default:
        return false;
    }
}

void CTagDispatcher::OnEndTag(TagId id) {
    if (EndStyleTag(id) || EndBlockTag(id) || m_forms.End(id) || m_tables.End(id) ||
        m_frames.End(id))
        return;
    switch (id) {
    case TagId::A:
        EndAnchor();
        break;
    case TagId::BaseFont:
        if (!m_state.baseFontStack.empty()) {
            m_state.baseFontSize = m_state.baseFontStack.back();
            m_state.baseFontStack.pop_back();
        }
        break;
    case TagId::Center:
        m_document.Append<CBareElement>(ElementKind::LineEnd);
        m_document.Append<CBareElement>(ElementKind::CentreEnd);
        break;
    case TagId::Font:
        m_state.PopSize();
        break;
    case TagId::Head:
        m_state.inHead = false;
        break;
    case TagId::Title:
        EndTitle();
        break;
    default:
        break;
    }
}

bool CTagDispatcher::EndStyleTag(TagId id) {
    switch (id) {
    case TagId::B:
        m_state.RemoveStyle(m_state.boldCount, TextStyle::Bold);
        return true;
    case TagId::I:
        m_state.RemoveStyle(m_state.italicCount, TextStyle::Italic);
        return true;
    case TagId::U:
        m_state.RemoveStyle(m_state.underlineCount, TextStyle::Underline);
        return true;
    case TagId::Code:
    case TagId::Tt:
        m_state.RemoveStyle(m_state.fixedCount, TextStyle::Fixed);
        return true;
    default:
        return false;
    }
}

bool CTagDispatcher::EndBlockTag(TagId id) {
    if (IsHeading(id)) {
        EndHeading(HeadingLevel(id));
        return true;
    }
    switch (id) {
    case TagId::BlockQuote:
        if (m_state.blockquoteDepth >= 1) {
            --m_state.blockquoteDepth;
            m_state.RemoveStyle(m_state.italicCount, TextStyle::Italic);
            m_state.indentDepth -= std::min<uint32_t>(m_state.indentDepth, 1);
            m_blocks.Open({.blankLinesBefore = 1});
        }
        return true;
    case TagId::Dl:
        EndList(ListType::Definition);
        return true;
    case TagId::Menu:
    case TagId::Ol:
        EndList(ListType::Ordered);
        return true;
    case TagId::Ul:
        EndList(ListType::Unordered);
        return true;
    case TagId::Listing:
    case TagId::Pre:
        EndPre();
        return true;
    case TagId::P:
        m_blocks.Close();
        return true;
    default:
        return false;
    }
}

void CTagDispatcher::EndAnchor() {
    if (m_state.anchorFlags & AnchorFlags::Link) {
        m_document.Append<CBareElement>(ElementKind::LinkEnd);
        m_state.style &= ~TextStyle::InLink;
    }
    if (m_state.anchorFlags & AnchorFlags::Name)
        m_document.Append<CBareElement>(ElementKind::NameAnchorEnd);
    m_state.anchorFlags = 0;
}

void CTagDispatcher::Anchor(const AttributeList& attributes) {
    EndAnchor();
    const std::string* href = nullptr;
    const std::string* name = nullptr;
    const std::string* target = &m_state.defaultTarget;
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "href")
            href = &attribute.value;
        else if (attribute.name == "name")
            name = &attribute.value;
        else if (attribute.name == "target")
            target = &attribute.value;
    }
    if (href) {
        // A link within the page ("#part") follows the page's address, which
        // the text store keeps once for all of them.
        const std::string& page = m_document.BaseUrl();
        const uint16_t base =
            href->starts_with('#')
                ? m_document.KeepLinkBase(std::string_view(page).substr(0, page.find('#')))
                : 0;
        std::string resolved = base ? std::string() : ResolveUrl(page, *href);
        const std::string_view address = base ? std::string_view(*href) : resolved;
        if (!address.empty()) {
            m_document.Append<CLinkElement>(base, m_document.KeepString(address),
                                            m_document.KeepString(*target));
            m_state.anchorFlags |= AnchorFlags::Link;
            m_state.style |= TextStyle::InLink;
        }
    }
    if (name && !name->empty()) {
        m_document.Append<CNameAnchorElement>(*name);
        m_state.anchorFlags |= AnchorFlags::Name;
    }
}

void CTagDispatcher::Base(const AttributeList& attributes) {
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name == "href")
            m_document.SetBaseUrl(attribute.value);
        else if (attribute.name == "target")
            m_state.defaultTarget = attribute.value;
    }
}

void CTagDispatcher::BaseFont(const AttributeList& attributes) {
    const std::string* size = FindAttribute(attributes, "size");
    if (!size)
        return;
    int32_t value = ParseHtmlNumber(*size);
    if (m_state.baseFontStack.size() < MaxNesting)
        m_state.baseFontStack.push_back(m_state.baseFontSize);
    m_state.baseFontSize = (value >= 1 && value <= 7) ? static_cast<uint32_t>(value) : 3;
}

void CTagDispatcher::Body(const AttributeList& attributes) {
    m_state.inHead = false;
    m_state.inTitle = false;
    using Colour = CHtmlObject::Colour;
    for (const CHtmlAttribute& attribute : attributes) {
        const std::string& name = attribute.name;
        if (name == "bgcolor")
            m_document.SetColour(Colour::Background, ParseHtmlColour(attribute.value));
        else if (name == "text")
            m_document.SetColour(Colour::Text, ParseHtmlColour(attribute.value));
        else if (name == "link")
            m_document.SetColour(Colour::Link, ParseHtmlColour(attribute.value));
        else if (name == "vlink")
            m_document.SetColour(Colour::VisitedLink, ParseHtmlColour(attribute.value));
        else if (name == "background")
            m_document.SetBackgroundImage(ResolveUrl(m_document.BaseUrl(), attribute.value));
    }
}

void CTagDispatcher::Br(const AttributeList& attributes) {
    std::optional<ClearSide> side;
    for (const CHtmlAttribute& attribute : attributes) {
        if (attribute.name != "clear")
            continue;
        std::string value = ToLowerAscii(attribute.value);
        if (value == "left")
            side = ClearSide::Left;
        else if (value == "right")
            side = ClearSide::Right;
        else if (value == "all" || value.empty())
            side = ClearSide::Both;
        if (side)
            break;
    }
    if (side)
        m_document.Append<CParamElement>(ElementKind::ClearBreak, static_cast<int32_t>(*side));
    else
        m_document.Append<CBareElement>(ElementKind::LineBreak);
    m_state.lastWasSpace = true;
}

void CTagDispatcher::Font(const AttributeList& attributes) {
    int64_t result = 0;
    if (const std::string* size = FindAttribute(attributes, "size")) {
        auto base = static_cast<int64_t>(m_state.baseFontSize);
        std::string_view text = *size;
        size_t at = text.find_first_not_of(" \t\r\n");
        char sign = at == std::string_view::npos ? '\0' : text[at];
        if (sign == '+')
            result = base + ParseHtmlNumber(text.substr(at + 1));
        else if (sign == '-')
            result = base - ParseHtmlNumber(text.substr(at + 1));
        else
            result = ParseHtmlNumber(text);
        if (result == 0)
            result = base;
    }
    m_state.SetSize(static_cast<int32_t>(std::clamp<int64_t>(result, 0, 8)));
}

void CTagDispatcher::Heading(int32_t level) {
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    m_document.Append<CParamElement>(ElementKind::HeadingStart, level);
    m_state.SetSize(7 - level);
    m_state.AddStyle(m_state.boldCount, TextStyle::Bold);
}

void CTagDispatcher::EndHeading(int32_t level) {
    m_state.ResetStyle();
    m_document.Append<CParamElement>(ElementKind::HeadingEnd, level);
    m_blocks.Close();
}

void CTagDispatcher::Rule(const AttributeList& attributes) {
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    int32_t width = 100;
    if (const std::string* value = FindAttribute(attributes, "width"))
        width = std::clamp(ParseHtmlNumber(*value), 0, 100);
    m_document.Append<CParamElement>(ElementKind::Rule, width);
    m_blocks.Close();
}

void CTagDispatcher::ListItem() {
    CListContext* list = m_state.CurrentList();
    if (list && list->type == ListType::Definition)
        return;
    if (!list) {
        m_blocks.Open({.indentAdjust = 1, .firstLineOffset = -1});
        m_document.Append<CListItemElement>(MarkerStyle::OutsideList, 0u);
    } else if (list->type == ListType::Ordered) {
        m_blocks.Open({.firstLineOffset = -1});
        m_document.Append<CListItemElement>(MarkerStyle::Number, list->nextNumber++);
    } else {
        m_blocks.Open({.firstLineOffset = -1});
        m_document.Append<CListItemElement>(list->markerStyle, 0u);
    }
    m_state.lastWasSpace = true;
}

void CTagDispatcher::StartList(ListType type) {
    if (m_state.listStack.size() >= MaxNesting)
        return;
    if (type == ListType::Definition) {
        m_state.listStack.push_back({type, 1, 0, 0});
        m_blocks.Open({.blankLinesAfter = 1});
        ++m_state.indentDepth;
        return;
    }
    if (m_state.listStack.empty())
        m_blocks.Open({.blankLinesBefore = 1});
    m_state.listStack.push_back({type, 1, MarkerStyle::Bullet, 0});
    ++m_state.indentDepth;
    m_state.ResetStyle();
}

void CTagDispatcher::EndList(ListType type) {
    CListContext* list = m_state.CurrentList();
    if (!list || list->type != type)
        return;
    m_blocks.Close();
    m_state.indentDepth -= std::min<uint32_t>(m_state.indentDepth, 1);
    m_state.listStack.pop_back();
    if (m_state.listStack.empty()) {
        m_blocks.Open({.blankLinesAfter = 1});
        m_blocks.Close();
    }
}

void CTagDispatcher::Paragraph(const AttributeList& attributes) {
    Align align = m_state.alignment;
    for (const CHtmlAttribute& attribute : attributes)
        if (attribute.name == "align")
            align = ParseAlignKeyword(attribute.value);
    m_blocks.Open({.blankLinesBefore = 1}, align);
}

void CTagDispatcher::Pre() {
    ++m_state.preDepth;
    m_state.crSeen = m_state.lfSeen = true;
    m_state.column = 0;
    m_blocks.Open({.blankLinesAfter = 1, .blankLinesBefore = 1});
    m_state.AddStyle(m_state.fixedCount, TextStyle::Fixed);
}

void CTagDispatcher::EndPre() {
    if (m_state.preDepth > 0)
        --m_state.preDepth;
    m_state.RemoveStyle(m_state.fixedCount, TextStyle::Fixed);
    m_blocks.Close();
}

void CTagDispatcher::Image(TagId id, const AttributeList& attributes) {
    ImageFields fields;
    fields.inlineFlag = m_state.preDepth >= 1 ? 0 : 1;
    for (const CHtmlAttribute& attribute : attributes) {
        const std::string& name = attribute.name;
        const std::string& value = attribute.value;
        if (name == "src") {
            fields.source = ResolveUrl(m_document.BaseUrl(), value);
        } else if (name == "align") {
            Align align = ParseAlignKeyword(value);
            fields.align = align == Align::None ? Align::Baseline : align;
        } else if (name == "hspace") {
            fields.horizontalSpace = ParseHtmlNumber(value);
        } else if (name == "vspace") {
            fields.verticalSpace = ParseHtmlNumber(value);
        } else if (name == "border") {
            fields.border = ParseHtmlNumber(value);
        } else if (name == "height") {
            fields.height = ParseHtmlNumber(value);
        } else if (name == "width") {
            fields.width = ParseHtmlNumber(value);
        } else if (name == "ismap") {
            fields.ismap = 1;
        } else if (name == "placement") {
            std::string lower = ToLowerAscii(value);
            if (lower == "inline" || lower == "dockable" || lower == "floating")
                fields.placement = lower == "inline"     ? Placement::Inline
                                   : lower == "dockable" ? Placement::Dockable
                                                         : Placement::Floating;
        }
    }
    auto copyImage = [&fields](CImageElement& image) {
        image.align = fields.align;
        image.horizontalSpace = fields.horizontalSpace;
        image.verticalSpace = fields.verticalSpace;
        image.border = fields.border;
        image.height = fields.height;
        image.width = fields.width;
        image.source = fields.source;
        image.ismap = fields.ismap;
        image.inlineFlag = fields.inlineFlag;
    };
    if (id == TagId::Img) {
        m_document.AppendFilled<CImageElement>(copyImage);
    } else {
        m_document.AppendFilled<CEmbedElement>([&](CEmbedElement& embed) {
            copyImage(embed);
            embed.border = 0;
            embed.ismap = 0;
            embed.placement = fields.placement;
        });
    }
    if (fields.align != Align::Left && fields.align != Align::Right)
        m_state.lastWasSpace = false;
}

void CTagDispatcher::Title() {
    m_document.ClearTitle();
    m_state.inTitle = true;
}

void CTagDispatcher::EndTitle() {
    m_state.inTitle = false;
    m_document.NotifyClients(Notify::TitleKnown);
}
