#pragma once

#include "content/CInlineResources.h"
#include "html/CHtmlObject.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutEngine.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The document's inline resources as layout sees them: image sizes that a
// test makes known when it likes, and a record of what was requested.
class CFakeResources final : public CInlineResources {
public:
    void RequestInline(const std::string& url, uint32_t requiredCaps) override;
    bool GetInlineImageSize(const std::string& url, int32_t& width, int32_t& height) override;
    bool GetInlineObject(const std::string& url, CMimeObject*& object) override;

    void SetSize(const std::string& url, int32_t width, int32_t height);
    // Every URL without a size of its own answers this one (0: unknown).
    void SetDefaultSize(int32_t width, int32_t height);
    [[nodiscard]] std::map<std::string, uint32_t> Requests();

private:
    std::mutex m_mutex;
    std::map<std::string, std::pair<int32_t, int32_t>> m_sizes;
    std::pair<int32_t, int32_t> m_default{0, 0};
    std::map<std::string, uint32_t> m_requests;
};

// A page parsed from html and an engine over it, laid out at a fixed width.
struct LaidOutPage {
    std::unique_ptr<CHtmlObject> object;
    std::unique_ptr<CFakeResources> resources;
    std::unique_ptr<CLayoutEngine> engine;
};

inline constexpr int32_t kPageWidth = 600;
inline constexpr int32_t kSideMargin = 12;
inline constexpr int32_t kTopMargin = 10;

[[nodiscard]] std::unique_ptr<CHtmlObject> ParseHtml(std::string_view html);
[[nodiscard]] std::unique_ptr<CLayoutEngine>
MakeEngine(CHtmlObject& object, CInlineResources* resources, int32_t width = kPageWidth);
// Parses html completely and runs passes until the layout is done.
[[nodiscard]] LaidOutPage LayOut(std::string_view html, int32_t width = kPageWidth,
                                 int32_t defaultImageSide = 16);

// An item as a test looks at it.
struct SeenItem {
    DisplayItemType type;
    CRect rect;
    std::string text; // text items
    const CDisplayItem* item;
};
[[nodiscard]] std::vector<SeenItem> Items(CLayoutEngine& engine);
[[nodiscard]] std::vector<SeenItem> ItemsOfType(CLayoutEngine& engine, DisplayItemType type);
// The first text item whose characters contain text.
[[nodiscard]] SeenItem TextItem(CLayoutEngine& engine, std::string_view text);
[[nodiscard]] std::string Dump(CLayoutEngine& engine);
// The line height and width of a run in a style, measured as layout does.
[[nodiscard]] int32_t LineHeight(uint32_t style = 3);
[[nodiscard]] int32_t Ascent(uint32_t style = 3);
[[nodiscard]] int32_t MaxCharWidth(uint32_t style);
[[nodiscard]] int32_t RunWidth(std::string_view text, uint32_t style = 3);
[[nodiscard]] int32_t FitCount(std::string_view text, int32_t width, uint32_t style = 3);
