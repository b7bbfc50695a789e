#include "html/CHtmlObject.h"

#include "html/CHtmlParser.h"
#include "platform/CStringTable.h"
#include "platform/TextUtil.h"
#include "platform/Verify.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {

constexpr std::string_view HtmlAccept =
    "text/html;version=3.0, text/html;version=2.0, text/html, text/plain";

// Servers add parameters ("text/plain; charset=iso-8859-1"); the media type
// alone decides whether the body is read as plain text.
bool IsPlainText(std::string_view contentType) {
    std::string_view media = contentType.substr(0, contentType.find(';'));
    while (!media.empty() && (media.back() == ' ' || media.back() == '\t'))
        media.remove_suffix(1);
    return EqualsNoCase(media, "text/plain");
}

// Title text past this length is never shown anywhere.
constexpr size_t MaxTitle = 4096;

std::atomic<uint32_t> g_textLimit{CHtmlObject::Limits{}.text};
std::atomic<uint32_t> g_recordLimit{CHtmlObject::Limits{}.records};

// "256 MiB" for the real limit, bytes for the small ones of tests.
std::string SizeText(uint32_t bytes) {
    constexpr uint32_t MiB = 1 << 20;
    if (bytes % MiB == 0)
        return FormatText("%u MiB", {bytes / MiB});
    return FormatText("%u bytes", {bytes});
}

} // namespace

void CHtmlObject::SetLimits(Limits limits) {
    g_textLimit.store(limits.text, std::memory_order_relaxed);
    g_recordLimit.store(limits.records, std::memory_order_relaxed);
}

CHtmlObject::Limits CHtmlObject::GetLimits() {
    return {.text = g_textLimit.load(std::memory_order_relaxed),
            .records = g_recordLimit.load(std::memory_order_relaxed)};
}

CHtmlObject::CHtmlObject(std::string url, std::string contentType)
    : CMimeObject(std::move(url), std::move(contentType), Caps::Document), m_baseUrl(Url()),
      m_limits(GetLimits()), m_charset(ContentType(), !IsPlainText(ContentType())),
      m_parser(std::make_unique<CHtmlParser>(*this, IsPlainText(ContentType()))) {}

CHtmlObject::~CHtmlObject() {
    // Records point at each other only inside the pool; free them before the
    // parser state that may still name some of them.
    m_parser.reset();
    CSemLockGuard guard(m_lock);
    m_elements.Clear();
}

Status CHtmlObject::Write(const char* bytes, size_t count) {
    if (!m_parser)
        return Status::Complete;
    // A page past its limits takes nothing more.
    if (!PastLimitText().empty())
        return Status::Failed;
    const bool finished = Parse(m_charset.Decode(bytes, count));
    if (std::string past = PastLimitText(); !past.empty()) {
        SetFailureText(std::move(past));
        return Status::Failed;
    }
    return finished ? Status::Complete : Status::Continue;
}

std::string CHtmlObject::PastLimitText() const {
    // A block may add a few records past the limit before it is noticed;
    // they are kept with the rest.
    if (m_textCut)
        return FormatText("The page has more than %s of text; the rest of it was not loaded.",
                          {SizeText(m_limits.text)});
    if (m_elements.Count() > m_limits.records)
        return FormatText("The page has more than %u elements; the rest of it was not loaded.",
                          {m_limits.records});
    return {};
}

bool CHtmlObject::Parse(std::string_view text) {
    // Bytes held back until the character set is known add nothing yet.
    if (text.empty())
        return false;
    // Only this thread appends, so the count needs no lock here.
    uint32_t before = m_elements.Count();
    CHtmlParser::FeedResult result = m_parser->Feed(text.data(), text.size());
    Publish();
    // A block that ends in plain text has added elements too; keeping quiet
    // about them would leave a long paragraph unshown until the load ends.
    if (result.notify || m_elements.Count() != before)
        NotifyClients(Notify::ElementsAdded);
    return result.finished;
}

Status CHtmlObject::EndOfData() {
    if (m_parser) {
        (void)Parse(m_charset.Finish());
        m_parser->Finish();
        Append<CBareElement>(ElementKind::EndOfDocument);
        m_parser.reset();
        Publish();
        NotifyClients(Notify::ElementsAdded);
    }
    if (std::string past = PastLimitText(); !past.empty()) {
        SetFailureText(std::move(past));
        return Status::Failed;
    }
    Status status = GetStatus();
    return status == Status::Continue || status == Status::Complete ? Status::Complete
                                                                    : Status::Failed;
}

ElementPosition CHtmlObject::IndexOfElement(const CHtmlElement* element) {
    CSemLockGuard guard(m_lock);
    return m_elements.Find(element);
}

CTextStore CHtmlObject::GetTextStore() {
    return m_text;
}

// The element list's readers take no lock: the pool publishes with release
// and reads with acquire.
ElementPosition CHtmlObject::GetFirstElementPosition() {
    return m_elements.First();
}

const CHtmlElement* CHtmlObject::GetNextElement(ElementPosition& position) {
    const auto* element = static_cast<const CHtmlElement*>(CRecordPool::At(position));
    position = m_elements.Advance(position);
    return element;
}

size_t CHtmlObject::GetNextElements(ElementPosition position, std::span<ElementAt> out) {
    size_t count = 0;
    while (position && count < out.size()) {
        const auto* element = static_cast<const CHtmlElement*>(CRecordPool::At(position));
        position = m_elements.Advance(position);
        out[count++] = {element, position};
    }
    return count;
}

std::string CHtmlObject::GetTitle() {
    CSemLockGuard guard(m_lock);
    return m_title;
}

PageColor CHtmlObject::GetBackgroundColor() {
    CSemLockGuard guard(m_lock);
    return m_backgroundColor;
}

PageColor CHtmlObject::GetTextColor() {
    CSemLockGuard guard(m_lock);
    return m_textColor;
}

PageColor CHtmlObject::GetLinkColor() {
    CSemLockGuard guard(m_lock);
    return m_linkColor;
}

PageColor CHtmlObject::GetVisitedLinkColor() {
    CSemLockGuard guard(m_lock);
    return m_visitedLinkColor;
}

std::string CHtmlObject::GetBackgroundImage() {
    CSemLockGuard guard(m_lock);
    return m_background;
}

void CHtmlObject::AppendText(const char* bytes, size_t count, uint32_t style) {
    // The limit also keeps offsets, 32-bit everywhere downstream, from
    // wrapping around.
    const size_t room = m_limits.text - m_textLength;
    if (count > room) {
        count = room;
        m_textCut = true;
    }
    if (count == 0)
        return;
    m_pendingText.append(bytes, count);
    Append<CTextElement>(m_textLength, static_cast<uint32_t>(count), style);
    m_textLength += static_cast<uint32_t>(count);
}

void CHtmlObject::Publish() {
    if (!m_pendingText.empty()) {
        // The parser is the store's only writer, so the text lands where the
        // staged elements expect it.
        uint32_t start = m_text.Append(m_pendingText.data(), m_pendingText.size());
        VERIFY(start + m_pendingText.size() == m_textLength);
        m_pendingText.clear();
    }
    CSemLockGuard guard(m_lock);
    m_elements.Publish();
}

void CHtmlObject::AppendTitle(const char* bytes, size_t count) {
    CSemLockGuard guard(m_lock);
    size_t room = MaxTitle - std::min(MaxTitle, m_title.size());
    m_title.append(bytes, std::min(count, room));
}

void CHtmlObject::ClearTitle() {
    CSemLockGuard guard(m_lock);
    m_title.clear();
}

void CHtmlObject::SetBaseUrl(std::string url) {
    m_baseUrl = std::move(url);
}

void CHtmlObject::SetColour(Colour which, int32_t number) {
    const PageColor value = number == -1 ? std::nullopt : PageColor(number);
    uint32_t bit = 0;
    {
        CSemLockGuard guard(m_lock);
        switch (which) {
        case Colour::Background:
            m_backgroundColor = value;
            bit = Notify::BackgroundColorKnown;
            break;
        case Colour::Text:
            m_textColor = value;
            bit = Notify::TextColorKnown;
            break;
        case Colour::Link:
            m_linkColor = value;
            bit = Notify::LinkColorKnown;
            break;
        case Colour::VisitedLink:
            m_visitedLinkColor = value;
            bit = Notify::VisitedLinkColorKnown;
            break;
        }
    }
    NotifyClients(bit);
}

void CHtmlObject::SetBackgroundImage(std::string url) {
    {
        CSemLockGuard guard(m_lock);
        m_background = std::move(url);
    }
    NotifyClients(Notify::BackgroundImageKnown);
}

ContentTypeRegistration RegisterHtmlType() {
    return ContentTypeTable().Register(
        {[](std::string_view type) {
             return StartsWithNoCase(type, "text/html") || StartsWithNoCase(type, "text/plain")
                        ? 100
                        : 0;
         },
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CHtmlObject>(url, type);
         },
         Caps::Document, std::string(HtmlAccept)});
}
