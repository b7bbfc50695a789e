#include "content/CInlineResources.h"
#include "images/CSharedPalette.h"
#include "layout/CDisplayItem.h"
#include "layout/CLayoutRecords.h"
#include "layout/CPaintContext.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CFontCache.h"

#include <gtest/gtest.h>

#include <new>

namespace {

constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);
constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
constexpr ColorRef kGrey = MakeColorRef(192, 192, 192);
constexpr ColorRef kLink = MakeColorRef(0, 0, 255);
constexpr ColorRef kText = MakeColorRef(255, 0, 0);

// Every image has settled as a failure: drawing shows the broken picture.
class CFailedImages final : public CInlineResources {
public:
    void RequestInline(const std::string&, uint32_t) override {}
    bool GetInlineImageSize(const std::string&, int32_t& width, int32_t& height) override {
        width = height = 32;
        return true;
    }
    bool GetInlineObject(const std::string&, CMimeObject*& object) override {
        object = nullptr;
        return true;
    }
};

// A small page bitmap on the shared palette, a paint context over it, and
// items built in place as the layout's pool builds them.
class DrawFixture : public ::testing::Test {
protected:
    explicit DrawFixture(ColorRef background = kWhite)
        : m_section(CDibSection::Create(80, 60, CSharedPalette::ColorTable())), m_dc(*m_section),
          m_fonts(m_dc), m_context{m_dc,  m_fonts, m_text,     kText,
                                   kLink, kLink,   background, &m_images} {
        m_dc.FillRect(m_section->Bounds(), CBrush::Solid(background));
    }
    template <class T, class... Args> T& Make(Args&&... args) {
        m_storage.push_back(std::make_unique<Storage>());
        return *new (m_storage.back()->bytes) T(std::forward<Args>(args)...);
    }
    ~DrawFixture() override = default;

    ColorRef At(int32_t x, int32_t y) const { return m_section->ColorOf(x, y); }
    ColorRef Nearest(ColorRef colour) const { return m_dc.GetNearestColor(colour); }
    int CountOf(ColorRef colour, const CRect& area) const {
        int count = 0;
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x)
                count += At(x, y) == Nearest(colour);
        return count;
    }

    struct Storage {
        alignas(16) std::byte bytes[512];
    };
    std::unique_ptr<CDibSection> m_section;
    CDeviceContext m_dc;
    CFontCache m_fonts;
    CTextStore m_text;
    CFailedImages m_images;
    CPaintContext m_context;
    std::vector<std::unique_ptr<Storage>> m_storage;
};

// Items are pool records: they are destroyed, never deleted.
template <class T> void Destroy(T& item) {
    item.~T();
}

TEST_F(DrawFixture, ARuleIsAGreyBarWithASunkenEdge) {
    m_dc.FillRect(m_section->Bounds(), CBrush::Solid(MakeColorRef(0, 128, 0)));
    auto& rule = Make<CRuleItem>(CRect{2, 2, 22, 7});
    rule.Draw(m_context);
    for (int32_t y = 2; y <= 6; ++y)
        EXPECT_EQ(At(2, y), kBlack) << y;
    for (int32_t x = 2; x <= 20; ++x)
        EXPECT_EQ(At(x, 2), kBlack) << x;
    for (int32_t y = 2; y <= 6; ++y)
        EXPECT_EQ(At(21, y), kWhite) << y;
    for (int32_t x = 3; x <= 21; ++x)
        EXPECT_EQ(At(x, 6), kWhite) << x;
    EXPECT_EQ(CountOf(kGrey, {3, 3, 21, 6}), 18 * 3);
    EXPECT_EQ(At(22, 4), Nearest(MakeColorRef(0, 128, 0)));
    Destroy(rule);
}

TEST_F(DrawFixture, BulletMarkersAreShapesInTheTextColour) {
    auto& square = Make<CMarkerItem>(CRect{10, 10, 18, 18}, 3, 0);
    square.Draw(m_context);
    EXPECT_EQ(CountOf(kText, {10, 10, 19, 19}), 64);
    EXPECT_EQ(At(18, 18), kWhite);

    auto& outlined = Make<CMarkerItem>(CRect{30, 10, 38, 18}, 2, 0);
    outlined.Draw(m_context);
    EXPECT_EQ(At(30, 10), Nearest(kText));
    EXPECT_EQ(At(38, 18), Nearest(kText));
    EXPECT_EQ(At(34, 14), kWhite);

    auto& circle = Make<CMarkerItem>(CRect{50, 10, 58, 18}, 5, 0);
    circle.Draw(m_context);
    EXPECT_EQ(At(54, 14), Nearest(kText));
    EXPECT_EQ(At(50, 10), kWhite);
    // The pen and brush are the stock ones again afterwards.
    CPen pen = m_dc.SelectPen(CPen::Null());
    CBrush brush = m_dc.SelectBrush(CBrush::White());
    EXPECT_EQ(pen, CPen::Black());
    EXPECT_EQ(brush, CBrush::Hollow());
}

TEST_F(DrawFixture, NumberedMarkersDrawTheirNumber) {
    auto& number = Make<CMarkerItem>(CRect{4, 4, 52, 23}, 1, 7);
    number.Draw(m_context);
    // Blended glyph edges take other entries: count what is no longer white.
    EXPECT_GT(19 * 36 - CountOf(kWhite, {4, 4, 40, 23}), 10);
    EXPECT_EQ(CountOf(kWhite, {40, 0, 80, 60}), 40 * 60);
    EXPECT_GT(CountOf(kText, {4, 4, 40, 23}), 0);
}

struct FramePens {
    ColorRef background;
    ColorRef lit;
    ColorRef shaded;
};

class FrameDrawTest : public DrawFixture, public ::testing::WithParamInterface<FramePens> {
protected:
    FrameDrawTest() : DrawFixture(GetParam().background) {}
};

TEST_P(FrameDrawTest, PensComeFromTheBackground) {
    const FramePens pens = GetParam();
    auto& cell = Make<CFrameItem>(CRect{5, 5, 30, 20}, 2, 1);
    cell.Draw(m_context);
    EXPECT_EQ(At(5, 10), Nearest(pens.lit));
    EXPECT_EQ(At(15, 5), Nearest(pens.lit));
    EXPECT_EQ(At(29, 10), Nearest(pens.shaded));
    EXPECT_EQ(At(15, 19), Nearest(pens.shaded));
    EXPECT_EQ(At(6, 10), Nearest(pens.background)); // one pixel whatever the width

    auto& table = Make<CFrameItem>(CRect{40, 5, 70, 20}, 2, 0);
    table.Draw(m_context);
    EXPECT_EQ(At(40, 10), Nearest(pens.shaded));
    EXPECT_EQ(At(69, 10), Nearest(pens.lit));
}

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, FrameDrawTest,
    ::testing::Values(FramePens{kWhite, MakeColorRef(0x3C, 0x3C, 0x3C), kBlack},
                      FramePens{kBlack, MakeColorRef(0x80, 0x80, 0x80), kWhite},
                      FramePens{MakeColorRef(0, 128, 128), kWhite, kBlack}));

TEST_F(DrawFixture, ALinkImageHasABorderInTheLinkColour) {
    CLinkRecord link;
    auto& image = Make<CImageItem>(CRect{4, 4, 40, 40}, "http://h/a.gif", &link, 2, 0);
    image.Draw(m_context);
    EXPECT_EQ(image.LinkAt(0, 0), &link);
    // A 2-pixel outline around the inner picture.
    EXPECT_EQ(At(4, 20), Nearest(kLink));
    EXPECT_EQ(At(20, 4), Nearest(kLink));
    EXPECT_EQ(At(39, 20), Nearest(kLink));
    EXPECT_EQ(At(20, 39), Nearest(kLink));
    // The broken picture is drawn inside.
    EXPECT_GT(m_section->Width() * m_section->Height() - CountOf(kWhite, {0, 0, 80, 60}) -
                  CountOf(kLink, {0, 0, 80, 60}),
              0);
    Destroy(image);
}

TEST_F(DrawFixture, AnImageWithoutBorderDrawsNoOutline) {
    auto& image = Make<CImageItem>(CRect{4, 4, 40, 40}, "http://h/a.gif", nullptr, 2, 0);
    image.Draw(m_context);
    EXPECT_EQ(CountOf(kLink, {0, 0, 80, 60}), 0);
    Destroy(image);
}

TEST_F(DrawFixture, LinkTextIsUnderlinedInTheLinkColour) {
    const uint32_t start = m_text.Append("Hello", 5);
    auto& text = Make<CLinkTextItem>(CRect{2, 2, 60, 21}, start, 5, 3 | TextStyle::InLink,
                                     reinterpret_cast<CLinkRecord*>(&m_storage));
    text.Draw(m_context);
    EXPECT_EQ(CountOf(kText, {0, 0, 80, 60}), 0);
    // Some row of the cell is link colour almost all the way along.
    const int32_t width = m_fonts.GetRunWidth("Hello");
    int best = 0;
    for (int32_t y = 2; y < 21; ++y)
        best = std::max(best, CountOf(kLink, {2, y, 2 + width, y + 1}));
    EXPECT_GE(best, width - 2);

    auto& plain = Make<CUnlinkedTextItem>(CRect{2, 30, 60, 49}, start, 5, 3);
    plain.Draw(m_context);
    EXPECT_GT(CountOf(kText, {0, 30, 80, 49}), 10);
    int plainBest = 0;
    for (int32_t y = 30; y < 49; ++y)
        plainBest = std::max(plainBest, CountOf(kText, {2, y, 2 + width, y + 1}));
    EXPECT_LT(plainBest, width - 2);
}

TEST_F(DrawFixture, PrintingOutlinesControlsAndBlackensObjects) {
    CFormFieldElement field(FieldType::Text, "q");
    auto& control = Make<CFormControlItem>(CRect{5, 5, 25, 15}, field, nullptr);
    auto& object = Make<CObjectItem>(CRect{40, 5, 60, 15}, 1u, "http://h/c.opf");
    control.Draw(m_context);
    object.Draw(m_context);
    EXPECT_EQ(CountOf(kBlack, {0, 0, 80, 60}), 0); // on screen they are child windows

    m_dc.SetPrinting(true);
    control.Draw(m_context);
    object.Draw(m_context);
    EXPECT_EQ(At(5, 5), kBlack);
    EXPECT_EQ(At(25, 15), kBlack);
    EXPECT_EQ(At(25, 5), kBlack);
    EXPECT_EQ(At(10, 10), kWhite);
    EXPECT_EQ(CountOf(kBlack, {40, 5, 60, 15}), 200);
    EXPECT_EQ(At(60, 10), kWhite);
    Destroy(control);
    Destroy(object);
}

} // namespace

// The layout's pool reads an item's length from its type, in the item's
// first two bytes: items of every kind made in one pool read back in order.
TEST(DisplayItemRecords, ItemsAreReadByTheirTypes) {
    CRecordPool items(DisplayItemRecords::Sizes);
    const CRect rect{1, 2, 3, 4};
    CLinkRecord link;
    std::vector<const CDisplayItem*> made{
        items.Allocate<CUnlinkedTextItem>(rect, 0u, 1u, 3u),
        items.Allocate<CLinkTextItem>(rect, 1u, 2u, 3u, &link),
        items.Allocate<CMarkerItem>(rect, MarkerStyle::Bullet, 0u),
        items.Allocate<CImageItem>(rect, "http://h/i.gif", &link, 1, 0u),
        items.Allocate<CRuleItem>(rect),
        items.Allocate<CFrameItem>(rect, 1, FrameStyle::Cell),
        items.Allocate<CObjectItem>(rect, 7u, "http://h/o"),
        items.Allocate<CUnlinkedTextItem>(rect, 3u, 1u, 3u),
    };
    items.Publish();
    std::vector<const CDisplayItem*> read;
    for (auto at = items.First(); at; at = items.Advance(at))
        read.push_back(static_cast<const CDisplayItem*>(CRecordPool::At(at)));
    EXPECT_EQ(read, made);
    EXPECT_EQ(static_cast<const void*>(&made[0]->type), static_cast<const void*>(made[0]));
    EXPECT_EQ(static_cast<const CTextItem*>(made[1])->textStyle, 3u);
}
