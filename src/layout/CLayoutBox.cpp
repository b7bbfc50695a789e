#include "layout/CLayoutBox.h"

#include "layout/CDisplayItem.h"
#include "layout/CLayoutContext.h"
#include "layout/LayoutConstants.h"
#include "platform/Verify.h"

#include <algorithm>
#include <new>

// Poisons and unpoisons under the address sanitizer, nothing otherwise.
#include <sanitizer/asan_interface.h>

namespace {

CBoxSize TextSize(CLayoutContext& context, uint32_t style, std::string_view characters) {
    return {context.AscentOf(style), context.LineHeightOf(style),
            context.RunWidth(style, characters)};
}

// A number is text; the other markers are small shapes.
CBoxSize MarkerSize(CLayoutContext& context, uint32_t markerStyle) {
    const int32_t width = ElementGeometry::MarkerWidth(context.IndentUnit());
    if (markerStyle != MarkerStyle::Number)
        return {kBulletSide, kBulletSide, width};
    return {context.AscentOf(TextStyle::NormalSize), context.LineHeightOf(TextStyle::NormalSize),
            width};
}

CBoxSize ImageBoxSize(const CImageSize& size) {
    return {size.height, size.height, size.width};
}

// Freed text boxes of one thread, kept for its next ones up to a bound (a
// few lines' worth); the address sanitizer still sees a kept box as freed.
class CTextBoxStore {
public:
    CTextBoxStore() = default;
    CTextBoxStore(const CTextBoxStore&) = delete;
    CTextBoxStore& operator=(const CTextBoxStore&) = delete;
    ~CTextBoxStore() {
        while (m_kept) {
            Kept* next = Reveal(m_kept)->next;
            ::operator delete(m_kept);
            m_kept = next;
        }
    }

    void* Take() {
        if (!m_kept)
            return ::operator new(sizeof(CTextBox));
        Kept* box = Reveal(m_kept);
        m_kept = box->next;
        --m_count;
        return box;
    }

    void Keep(void* box) {
        if (m_count == kMostKept) {
            ::operator delete(box);
            return;
        }
        auto* kept = ::new (box) Kept{m_kept};
        ASAN_POISON_MEMORY_REGION(kept, sizeof(CTextBox));
        m_kept = kept;
        ++m_count;
    }

private:
    struct Kept {
        Kept* next;
    };
    static constexpr size_t kMostKept = 4096;

    static Kept* Reveal(Kept* box) {
        ASAN_UNPOISON_MEMORY_REGION(box, sizeof(CTextBox));
        return box;
    }

    Kept* m_kept = nullptr;
    size_t m_count = 0;
};

thread_local CTextBoxStore t_textBoxes;

} // namespace

void* CTextBox::operator new(size_t size) {
    VERIFY(size == sizeof(CTextBox));
    return t_textBoxes.Take();
}

void CTextBox::operator delete(void* box, size_t) {
    t_textBoxes.Keep(box);
}

std::unique_ptr<CLayoutBox> CLayoutBox::Split(std::optional<int32_t>, SplitMode) {
    return nullptr;
}

std::optional<int32_t> CLayoutBox::Extend(uint32_t, std::string_view, uint32_t,
                                          const CLinkRecord*) {
    return std::nullopt;
}

CTextBox::CTextBox(CLayoutContext& context, uint32_t start, std::string_view characters,
                   std::shared_ptr<const std::string> owner, uint32_t style, CLinkRecord* link)
    : CLayoutBox(context, TextSize(context, style, characters),
                 (style & TextStyle::Preformatted) == 0, Align::Baseline),
      m_start(start), m_characters(characters), m_owner(std::move(owner)), m_style(style),
      m_link(link) {}

CDisplayItem* CTextBox::MakeItem(const CRect& rect) {
    const auto count = static_cast<uint32_t>(m_characters.size());
    if (m_link)
        return Context().NewItem<CLinkTextItem>(rect, m_start, count, m_style, m_link);
    return Context().NewItem<CUnlinkedTextItem>(rect, m_start, count, m_style);
}

std::optional<int32_t> CTextBox::Extend(uint32_t start, std::string_view characters, uint32_t style,
                                        const CLinkRecord* link) {
    const char* end = m_characters.data() + m_characters.size();
    if (m_owner || m_characters.empty() || style != m_style || link != m_link ||
        start != m_start + m_characters.size() || characters.data() != end)
        return std::nullopt;
    const int32_t added = Context().RunWidth(style, characters);
    m_characters = {m_characters.data(), m_characters.size() + characters.size()};
    SetWidth(Width() + added);
    return added;
}

std::unique_ptr<CLayoutBox> CTextBox::Split(std::optional<int32_t> width, SplitMode mode) {
    size_t count = m_characters.size();
    if (width)
        count = static_cast<size_t>(std::max(0, Context().FitCount(m_style, m_characters, *width)));
    count = std::min(count, m_characters.size());
    if (mode == SplitMode::AtSpace) {
        // Break just after the last space that still fits.
        size_t space = m_characters.rfind(' ', count == 0 ? std::string_view::npos : count - 1);
        if (count == 0 || space == std::string_view::npos)
            return nullptr;
        count = space + 1;
    } else if (count == 0) {
        return nullptr;
    }
    auto remainder =
        std::make_unique<CTextBox>(Context(), m_start + static_cast<uint32_t>(count),
                                   m_characters.substr(count), m_owner, m_style, m_link);
    m_characters = m_characters.substr(0, count);
    SetWidth(Context().RunWidth(m_style, m_characters));
    return remainder;
}

std::unique_ptr<CLayoutBox> CBreakBox::Split(std::optional<int32_t>, SplitMode) {
    // Breaking here moves everything after it on: the remainder is empty.
    return std::make_unique<CTextBox>(Context(), 0, std::string_view(), nullptr,
                                      TextStyle::NormalSize, nullptr);
}

CMarkerBox::CMarkerBox(CLayoutContext& context, uint32_t markerStyle, uint32_t number)
    : CLayoutBox(context, MarkerSize(context, markerStyle), false, Align::Baseline),
      m_markerStyle(markerStyle), m_number(number) {}

CDisplayItem* CMarkerBox::MakeItem(const CRect& rect) {
    CRect place = rect;
    if (m_markerStyle != MarkerStyle::Number) {
        // A shape is square, in the middle of its place.
        const int32_t side = std::min(rect.Width(), rect.Height());
        place.left = rect.left + (rect.Width() - side) / 2;
        place.right = place.left + side;
        place.bottom = place.top + side;
    }
    return Context().NewItem<CMarkerItem>(place, m_markerStyle, m_number);
}

CImageBox::CImageBox(CLayoutContext& context, const CImageElement& image, const CImageSize& size,
                     Align verticalAlignment, CLinkRecord* link)
    : CLayoutBox(context, ImageBoxSize(size), false, verticalAlignment), m_image(image),
      m_border(size.border), m_link(link) {}

CDisplayItem* CImageBox::MakeItem(const CRect& rect) {
    return Context().NewItem<CImageItem>(rect, m_image.source, m_link, m_border, m_image.ismap);
}

CObjectBox::CObjectBox(CLayoutContext& context, const CEmbedElement& object, const CImageSize& size,
                       Align verticalAlignment)
    : CLayoutBox(context, ImageBoxSize(size), false, verticalAlignment), m_object(object) {}

CDisplayItem* CObjectBox::MakeItem(const CRect& rect) {
    return Context().NewItem<CObjectItem>(rect, m_object.serial, m_object.source);
}

CControlBox::CControlBox(CLayoutContext& context, const CFormFieldElement& field, CFormRecord* form)
    : CLayoutBox(context, ElementGeometry::ControlSize(field), false, Align::Baseline),
      m_field(field), m_form(form) {}

CDisplayItem* CControlBox::MakeItem(const CRect& rect) {
    return Context().NewItem<CFormControlItem>(rect, m_field, m_form);
}
