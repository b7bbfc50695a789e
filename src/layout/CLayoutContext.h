#pragma once

#include "content/CMimeObject.h"
#include "html/CRecordPool.h"
#include "layout/CLayoutPage.h"
#include "layout/ElementGeometry.h"
#include "layout/LayoutConstants.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CFontCache.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class CHtmlElement;
class CInlineResources;
class CLayoutFlow;
struct CFlowGeometry;
struct CTableMeasure;

// How a layout is made: the width it fills and the page's margins.
struct CLayoutSettings {
    int32_t availableWidth = 0; // the client width less a vertical scroll bar
    int32_t pixelsPerInch = 96;
    bool scale = false; // printing: image sizes are points
    int32_t sideMargin = kDefaultSideMargin;
    int32_t topMargin = kDefaultTopMargin;
};

// What the parts of one layout share while it is made: the font cache they
// measure with, the page's text and element list, the style, link and form
// in force, the units, image sizes, table measures, and the one way into
// what other threads see (the page). Layout thread only; it holds no lock,
// and everything it publishes goes through the page's verbs.
class CLayoutContext {
public:
    CLayoutContext(CMimeObject& content, CInlineResources* resources,
                   const CLayoutSettings& settings, CLayoutPage& page,
                   std::function<void()> progress);
    ~CLayoutContext();
    CLayoutContext(const CLayoutContext&) = delete;
    CLayoutContext& operator=(const CLayoutContext&) = delete;

    // Measuring, in the layout's own font cache.
    [[nodiscard]] int32_t AscentOf(uint32_t style);
    // The line height of a style: its ascent plus descent.
    [[nodiscard]] int32_t LineHeightOf(uint32_t style);
    [[nodiscard]] int32_t RunWidth(uint32_t style, std::string_view characters);
    // How many leading characters fit in width.
    [[nodiscard]] int32_t FitCount(uint32_t style, std::string_view characters, int32_t width);
    // The characters of a text element: a view of the page's text itself,
    // or, when they straddle two of its pages, of a copy that owner keeps.
    struct CTextRun {
        std::string_view characters;
        std::shared_ptr<const std::string> owner;
    };
    [[nodiscard]] CTextRun TextRun(uint32_t start, uint32_t count) const;

    [[nodiscard]] int32_t IndentUnit() const { return m_indentUnit; }
    // The least width a line may have.
    [[nodiscard]] int32_t MinimumLineWidth() const { return m_minimumLineWidth; }

    // The style of the latest text; blank lines take its height.
    [[nodiscard]] uint32_t CurrentStyle() const { return m_currentStyle; }
    void SetCurrentStyle(uint32_t style) { m_currentStyle = style; }
    [[nodiscard]] int32_t CurrentLineHeight() { return LineHeightOf(m_currentStyle); }
    // The link being laid out, or null outside links.
    [[nodiscard]] CLinkRecord* CurrentLink() const { return m_currentLink; }
    void SetCurrentLink(CLinkRecord* link) { m_currentLink = link; }
    // The form being laid out, or null outside forms.
    [[nodiscard]] CFormRecord* CurrentForm() const { return m_currentForm; }
    void SetCurrentForm(CFormRecord* form) { m_currentForm = form; }

    // The element list. Elements are read ahead a few dozen at a time, under
    // one take of the content object's lock: a long page's millions of steps
    // would otherwise each take it.
    [[nodiscard]] ElementPosition FirstElementPosition();
    [[nodiscard]] const CHtmlElement* NextElement(ElementPosition& position);
    [[nodiscard]] bool HasResources() const { return m_resources != nullptr; }
    // Starts the load of an image's or inline object's picture; asked of
    // every element, most of which have none.
    void RequestInline(const CHtmlElement& element) {
        if (element.kind == ElementKind::Image || element.kind == ElementKind::EmbeddedObject)
            RequestPicture(static_cast<const CImageElement&>(element));
    }
    // The box of an image or object, or nothing while its size is unknown.
    [[nodiscard]] std::optional<CImageSize> ImageSize(const CImageElement& image, bool inLink);
    // The measure of a complete table whose records follow at after, or
    // null while it cannot be measured yet (not ended, images of unknown
    // size).
    [[nodiscard]] const CTableMeasure* TableMeasure(const CTableElement& table,
                                                    ElementPosition after);
    // Keeps the measure of a table nested in the one being measured.
    void KeepMeasure(const CTableElement& table, std::unique_ptr<CTableMeasure> measure);

    // A display item in the layout's pool; other threads see it once a
    // published line holds it.
    template <class T, class... Args> T* NewItem(Args&&... args) {
        return m_items.Allocate<T>(std::forward<Args>(args)...);
    }
    // A new flow nested level deep, its first line's limits set.
    CLayoutFlow& NewFlow(int32_t nestedLevel, const CFlowGeometry& geometry,
                         Align alignment = Align::Left);
    // Frees a flow that will lay out nothing more; its lines stay the page's.
    void ReleaseFlow(CLayoutFlow& flow);
    // The page flow.
    CLayoutFlow& PageFlow() { return *m_pageFlow; }
    [[nodiscard]] CLayoutPage& Page() { return m_page; }
    // Tells the view that more of the page is laid out: at once the first
    // time, then at most once a frame's time, the rest held back until
    // FlushProgress. A view woken for every line of a long page spends more
    // on the waking than the layout does on the lines.
    void SignalProgress();
    // Passes on progress held back: the layout is about to wait or end.
    void FlushProgress();

private:
    void RequestPicture(const CImageElement& element);
    [[nodiscard]] bool TableReady(const CTableElement& table, ElementPosition after);

    CMimeObject& m_content;
    // Elements read ahead: m_ahead[m_aheadNext] is the one at m_aheadFrom.
    // One that ended the list when it was read (its next is 0) is served
    // only then: more may have arrived behind it since.
    static constexpr size_t ReadAhead = 32;
    std::array<CMimeObject::ElementAt, ReadAhead> m_ahead{};
    size_t m_aheadCount = 0;
    size_t m_aheadNext = 0;
    ElementPosition m_aheadFrom = 0;
    CInlineResources* const m_resources;
    const CLayoutSettings m_settings;
    CLayoutPage& m_page;
    const std::function<void()> m_progress;
    std::chrono::nanoseconds m_lastProgress{}; // on the coarse monotonic clock
    bool m_progressHeld = false;

    CDeviceContext m_infoContext;
    CFontCache m_fonts;
    CTextStore m_text;
    int32_t m_indentUnit = 0;
    int32_t m_minimumLineWidth = 0;
    uint32_t m_currentStyle = TextStyle::NormalSize;
    CLinkRecord* m_currentLink = nullptr;
    CFormRecord* m_currentForm = nullptr;

    CRecordPool m_items{DisplayItemRecords::Sizes};
    // Every flow by its id, the page flow first; null once released.
    std::vector<std::unique_ptr<CLayoutFlow>> m_flows;
    CLayoutFlow* m_pageFlow = nullptr;
    // Tables measured while an enclosing table was, and tables whose
    // images are known to have sizes.
    std::unordered_map<const CTableElement*, std::unique_ptr<CTableMeasure>> m_measures;
};
