#pragma once

#include "html/CHtmlElement.h"
#include "layout/CLineRecord.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class CLayoutEngine;
struct CLinkRecord;
struct CFormRecord;

// A piece of a line that is still being filled: its size decides where the
// line breaks, and once the line is placed it becomes a display item.
class CLayoutBox {
public:
    CLayoutBox(CLayoutEngine& engine, int32_t ascent, int32_t height, bool wrap, int32_t width,
               Align verticalAlignment)
        : engine(engine), ascent(ascent), height(height), wrap(wrap), width(width),
          verticalAlignment(verticalAlignment) {}
    virtual ~CLayoutBox() = default;
    CLayoutBox(const CLayoutBox&) = delete;
    CLayoutBox& operator=(const CLayoutBox&) = delete;

    [[nodiscard]] virtual bool IsEmpty() const { return false; }
    // Makes the display item at rect and adds it to line. Called with the
    // engine's lock held.
    virtual void Emit(CLineRecord& line, const CRect& rect) = 0;
    // The part that goes to the next line, or null when the box cannot be
    // split there. width -1 asks for the split at the last space.
    virtual std::unique_ptr<CLayoutBox> Split(int32_t width, bool force);

    CLayoutEngine& engine;
    int32_t ascent;
    int32_t height;
    bool wrap; // may move to the next line and, for text, split at a space
    int32_t width;
    Align verticalAlignment;
};

class CTextBox final : public CLayoutBox {
public:
    // Measures the characters in style with the engine's font cache.
    CTextBox(CLayoutEngine& engine, uint32_t start, std::string characters, uint32_t style,
             CLinkRecord* link);
    [[nodiscard]] bool IsEmpty() const override { return m_characters.empty(); }
    void Emit(CLineRecord& line, const CRect& rect) override;
    std::unique_ptr<CLayoutBox> Split(int32_t width, bool force) override;

private:
    uint32_t m_start;
    std::string m_characters;
    uint32_t m_style;
    CLinkRecord* m_link;
};

// Zero-sized, around inline images: the place where such a line may break.
class CBreakBox final : public CLayoutBox {
public:
    explicit CBreakBox(CLayoutEngine& engine)
        : CLayoutBox(engine, 0, 0, true, 0, Align::Baseline) {}
    void Emit(CLineRecord&, const CRect&) override {}
    std::unique_ptr<CLayoutBox> Split(int32_t width, bool force) override;
};

class CMarkerBox final : public CLayoutBox {
public:
    CMarkerBox(CLayoutEngine& engine, uint32_t markerStyle, uint32_t number);
    void Emit(CLineRecord& line, const CRect& rect) override;

private:
    uint32_t m_markerStyle;
    uint32_t m_number;
};

class CImageBox final : public CLayoutBox {
public:
    CImageBox(CLayoutEngine& engine, const CImageElement& image, int32_t width, int32_t height,
              int32_t border, Align verticalAlignment, CLinkRecord* link);
    void Emit(CLineRecord& line, const CRect& rect) override;

private:
    const CImageElement& m_image;
    int32_t m_border;
    CLinkRecord* m_link;
};

class CObjectBox final : public CLayoutBox {
public:
    CObjectBox(CLayoutEngine& engine, const CEmbedElement& object, int32_t width, int32_t height,
               Align verticalAlignment);
    void Emit(CLineRecord& line, const CRect& rect) override;

private:
    const CEmbedElement& m_object;
};

// The place of a form control, sized in dialog base units.
class CControlBox final : public CLayoutBox {
public:
    CControlBox(CLayoutEngine& engine, const CFormFieldElement& field, CFormRecord* form);
    void Emit(CLineRecord& line, const CRect& rect) override;

    struct Size {
        int32_t ascent = 0;
        int32_t height = 0;
        int32_t width = 0;
    };
    [[nodiscard]] static Size SizeFor(const CFormFieldElement& field);

private:
    const CFormFieldElement& m_field;
    CFormRecord* m_form;
};
