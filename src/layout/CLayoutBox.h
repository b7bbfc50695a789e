#pragma once

#include "html/CHtmlElement.h"
#include "layout/ElementGeometry.h"
#include "platform/gdi/GdiTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CDisplayItem;
class CLayoutContext;
struct CLinkRecord;
struct CFormRecord;

// Where a box may be split: only just after a space, or at any character.
enum class SplitMode : uint8_t { AtSpace, Anywhere };

// A piece of a line that is still being filled: its size decides where the
// line breaks, and once the line is placed it becomes a display item.
class CLayoutBox {
public:
    CLayoutBox(CLayoutContext& context, const CBoxSize& size, bool wrap, Align verticalAlignment)
        : m_context(context), m_ascent(size.ascent), m_height(size.height), m_wrap(wrap),
          m_width(size.width), m_verticalAlignment(verticalAlignment) {}
    virtual ~CLayoutBox() = default;
    CLayoutBox(const CLayoutBox&) = delete;
    CLayoutBox& operator=(const CLayoutBox&) = delete;

    [[nodiscard]] virtual bool IsEmpty() const { return false; }
    // The display item the box becomes at rect, or null for a box that
    // shows nothing. Others see it once its line is published.
    [[nodiscard]] virtual CDisplayItem* MakeItem(const CRect& rect) = 0;
    // The part that goes to the next line, or null when the box cannot be
    // split there. The first part must fit in width; without a width the
    // split comes at the last space.
    virtual std::unique_ptr<CLayoutBox> Split(std::optional<int32_t> width, SplitMode mode);
    // Takes in characters of the page's text that continue the box's own in
    // its style and link: the width they add, or nothing when they need a box
    // of their own.
    virtual std::optional<int32_t> Extend(uint32_t start, std::string_view characters,
                                          uint32_t style, const CLinkRecord* link);

    [[nodiscard]] int32_t Ascent() const { return m_ascent; }
    [[nodiscard]] int32_t Height() const { return m_height; }
    // May move to the next line and, for text, split at a space.
    [[nodiscard]] bool Wraps() const { return m_wrap; }
    [[nodiscard]] int32_t Width() const { return m_width; }
    [[nodiscard]] Align VerticalAlignment() const { return m_verticalAlignment; }

protected:
    [[nodiscard]] CLayoutContext& Context() const { return m_context; }
    void SetWidth(int32_t width) { m_width = width; }

private:
    CLayoutContext& m_context;
    const int32_t m_ascent;
    const int32_t m_height;
    const bool m_wrap;
    int32_t m_width;
    const Align m_verticalAlignment;
};

class CTextBox final : public CLayoutBox {
public:
    // Measures the characters in style with the layout's font cache.
    // characters stay valid while owner (if any) and the page's text live.
    CTextBox(CLayoutContext& context, uint32_t start, std::string_view characters,
             std::shared_ptr<const std::string> owner, uint32_t style, CLinkRecord* link);
    [[nodiscard]] bool IsEmpty() const override { return m_characters.empty(); }
    [[nodiscard]] CDisplayItem* MakeItem(const CRect& rect) override;
    std::unique_ptr<CLayoutBox> Split(std::optional<int32_t> width, SplitMode mode) override;
    // Text that markup split without changing its style or link (a span of
    // highlighted code, a comment) lays out and paints as the one run it
    // shows: one box, one item. Only characters lying right after the box's
    // own in the page's text join it, so its view stays one piece.
    std::optional<int32_t> Extend(uint32_t start, std::string_view characters, uint32_t style,
                                  const CLinkRecord* link) override;

    // A text box lives until its line is made, and a long page makes
    // millions: freed ones wait on a list of their thread's own for the next,
    // instead of going back to the heap a line's worth at a time.
    static void* operator new(size_t size);
    static void operator delete(void* box, size_t size);

private:
    uint32_t m_start;
    std::string_view m_characters;
    std::shared_ptr<const std::string> m_owner; // null when the view is of the page's text
    uint32_t m_style;
    CLinkRecord* m_link;
};

// Zero-sized, around inline images: the place where such a line may break.
class CBreakBox final : public CLayoutBox {
public:
    explicit CBreakBox(CLayoutContext& context) : CLayoutBox(context, {}, true, Align::Baseline) {}
    [[nodiscard]] CDisplayItem* MakeItem(const CRect&) override { return nullptr; }
    std::unique_ptr<CLayoutBox> Split(std::optional<int32_t> width, SplitMode mode) override;
};

class CMarkerBox final : public CLayoutBox {
public:
    CMarkerBox(CLayoutContext& context, uint32_t markerStyle, uint32_t number);
    [[nodiscard]] CDisplayItem* MakeItem(const CRect& rect) override;

private:
    uint32_t m_markerStyle;
    uint32_t m_number;
};

class CImageBox final : public CLayoutBox {
public:
    CImageBox(CLayoutContext& context, const CImageElement& image, const CImageSize& size,
              Align verticalAlignment, CLinkRecord* link);
    [[nodiscard]] CDisplayItem* MakeItem(const CRect& rect) override;

private:
    const CImageElement& m_image;
    int32_t m_border;
    CLinkRecord* m_link;
};

class CObjectBox final : public CLayoutBox {
public:
    CObjectBox(CLayoutContext& context, const CEmbedElement& object, const CImageSize& size,
               Align verticalAlignment);
    [[nodiscard]] CDisplayItem* MakeItem(const CRect& rect) override;

private:
    const CEmbedElement& m_object;
};

// The place of a form control, sized in dialog base units.
class CControlBox final : public CLayoutBox {
public:
    CControlBox(CLayoutContext& context, const CFormFieldElement& field, CFormRecord* form);
    [[nodiscard]] CDisplayItem* MakeItem(const CRect& rect) override;

private:
    const CFormFieldElement& m_field;
    CFormRecord* m_form;
};
