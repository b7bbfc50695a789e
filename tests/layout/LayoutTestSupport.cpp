#include "layout/LayoutTestSupport.h"

#include "layout/CLayoutDump.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFontCache.h"
#include "platform/gdi/CFontResolver.h"

#include <gtest/gtest.h>

#include <sstream>

void CFakeResources::RequestInline(const std::string& url, uint32_t requiredCaps) {
    std::lock_guard lock(m_mutex);
    m_requests.emplace(url, requiredCaps);
}

bool CFakeResources::GetInlineImageSize(const std::string& url, int32_t& width, int32_t& height) {
    std::lock_guard lock(m_mutex);
    auto found = m_sizes.find(url);
    std::pair<int32_t, int32_t> size = found != m_sizes.end() ? found->second : m_default;
    if (size.first == 0)
        return false;
    width = size.first;
    height = size.second;
    return true;
}

bool CFakeResources::GetInlineObject(const std::string&, CMimeObject*& object) {
    object = nullptr;
    return false;
}

void CFakeResources::SetSize(const std::string& url, int32_t width, int32_t height) {
    std::lock_guard lock(m_mutex);
    m_sizes[url] = {width, height};
}

void CFakeResources::SetDefaultSize(int32_t width, int32_t height) {
    std::lock_guard lock(m_mutex);
    m_default = {width, height};
}

std::map<std::string, uint32_t> CFakeResources::Requests() {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::unique_ptr<CHtmlObject> ParseHtml(std::string_view html) {
    auto object = std::make_unique<CHtmlObject>("http://host/dir/page.html", "text/html");
    (void)object->Write(html.data(), html.size());
    (void)object->EndOfData();
    return object;
}

std::unique_ptr<CLayoutEngine> MakeEngine(CHtmlObject& object, CInlineResources* resources,
                                          int32_t width) {
    CLayoutEngine::Settings settings;
    settings.availableWidth = width;
    settings.pixelsPerInch = 96;
    settings.sideMargin = kSideMargin;
    settings.topMargin = kTopMargin;
    return std::make_unique<CLayoutEngine>(&object, resources, settings, nullptr);
}

LaidOutPage LayOut(std::string_view html, int32_t width, int32_t defaultImageSide) {
    LaidOutPage page;
    page.object = ParseHtml(html);
    page.resources = std::make_unique<CFakeResources>();
    page.resources->SetDefaultSize(defaultImageSide, defaultImageSide);
    page.engine = MakeEngine(*page.object, page.resources.get(), width);
    EXPECT_TRUE(page.engine->Pass());
    return page;
}

std::vector<SeenItem> Items(CLayoutEngine& engine) {
    std::vector<SeenItem> items;
    const CTextStore text = engine.TextStore();
    engine.ForEachItem([&](const CDisplayItem& item) {
        items.push_back({item.type, item.GetRect(), {}, &item});
    });
    for (SeenItem& seen : items) {
        if (seen.type == DisplayItemType::Text || seen.type == DisplayItemType::LinkText) {
            const auto& run = static_cast<const CTextItem&>(*seen.item);
            seen.text = text.Copy(run.textStart, run.characterCount);
        }
    }
    return items;
}

std::vector<SeenItem> ItemsOfType(CLayoutEngine& engine, DisplayItemType type) {
    std::vector<SeenItem> found;
    for (SeenItem& item : Items(engine))
        if (item.type == type)
            found.push_back(item);
    return found;
}

SeenItem TextItem(CLayoutEngine& engine, std::string_view text) {
    for (SeenItem& item : Items(engine))
        if (item.text.find(text) != std::string::npos)
            return item;
    ADD_FAILURE() << "no text item holds " << text;
    return {};
}

std::string Dump(CLayoutEngine& engine) {
    std::ostringstream out;
    DumpLayout(engine, out);
    return out.str();
}

namespace {

struct Measurer {
    // Fonts close their faces through the resolver at exit: asked for first,
    // the resolver is destroyed after them.
    CFontResolver& resolver = CFontResolver::Get();
    CDeviceContext context = CDeviceContext::InformationContext(96);
    CFontCache fonts{context};
};

Measurer& TheMeasurer() {
    static Measurer measurer;
    return measurer;
}

} // namespace

int32_t LineHeight(uint32_t style) {
    CFontCache& fonts = TheMeasurer().fonts;
    fonts.Select(style);
    return fonts.GetAscent() + fonts.GetDescent();
}

int32_t Ascent(uint32_t style) {
    CFontCache& fonts = TheMeasurer().fonts;
    fonts.Select(style);
    return fonts.GetAscent();
}

int32_t MaxCharWidth(uint32_t style) {
    CFontCache& fonts = TheMeasurer().fonts;
    fonts.Select(style);
    return fonts.GetMaxCharWidth();
}

int32_t RunWidth(std::string_view text, uint32_t style) {
    CFontCache& fonts = TheMeasurer().fonts;
    fonts.Select(style);
    return fonts.GetRunWidth(text);
}

int32_t FitCount(std::string_view text, int32_t width, uint32_t style) {
    CFontCache& fonts = TheMeasurer().fonts;
    fonts.Select(style);
    return fonts.GetFitCount(text, width);
}
