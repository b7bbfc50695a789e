#include "images/DrawImageObject.h"
#include "content/CMimeObject.h"
#include "images/CColorCube.h"
#include "images/CSharedPalette.h"
#include "platform/gdi/CDeviceContext.h"
#include "platform/gdi/CDibSection.h"
#include "platform/gdi/CIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr uint8_t kPage = 255; // white page background

// An image content object with a picture set by the test: pixel (x, y)
// holds 100 + 10y + x unless it is made transparent.
class FakeImage : public CMimeObject {
public:
    FakeImage(int32_t width, int32_t height, bool transparent = false)
        : CMimeObject("http://host/a.gif", "image/gif", 0x2), m_width(width), m_height(height),
          m_transparent(transparent),
          m_bits(static_cast<size_t>(CDibSection::StrideFor(width) * height), 0) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                At(x, y) = static_cast<uint8_t>(100 + 10 * y + x);
        }
        SetStatus(Status::Complete);
    }
    Status Write(const char*, size_t) override { return Status::Continue; }
    Status EndOfData() override { return Status::Complete; }
    bool HasImage() override { return m_hasImage; }
    void GetImageSize(int32_t& width, int32_t& height) override {
        width = m_width;
        height = m_height;
    }
    bool NeedsBackground() override { return m_transparent; }
    int32_t GetBitmapInfo(CBitmapInfo& info) override {
        info = {m_width, m_height, 1, 8};
        return CDibSection::StrideFor(m_width);
    }
    const uint8_t* GetBits() override { return m_bitsMissing ? nullptr : m_bits.data(); }

    uint8_t& At(int32_t x, int32_t y) {
        return m_bits[static_cast<size_t>(y * CDibSection::StrideFor(m_width) + x)];
    }
    void SetHasImage(bool value) { m_hasImage = value; }
    void SetBitsMissing() { m_bitsMissing = true; }

private:
    int32_t m_width;
    int32_t m_height;
    bool m_transparent;
    bool m_hasImage = true;
    bool m_bitsMissing = false;
    std::vector<uint8_t> m_bits;
};

struct Page {
    std::unique_ptr<CDibSection> section =
        CDibSection::Create(40, 30, CSharedPalette::ColorTable());
    CDeviceContext dc{*section};
    Page() { section->Fill(kPage); }
    uint8_t At(int32_t x, int32_t y) const { return section->Pixel(x, y); }
    int Changed() const {
        int count = 0;
        for (int32_t y = 0; y < section->Height(); ++y) {
            for (int32_t x = 0; x < section->Width(); ++x)
                count += At(x, y) != kPage;
        }
        return count;
    }
};

// Every page pixel: the picture's value where the image lands inside the
// visible area (given in page pixels), the background elsewhere.
void ExpectImageAt(const Page& page, FakeImage& image, CPoint at, const CRect& visible) {
    int32_t w = 0, h = 0;
    image.GetImageSize(w, h);
    for (int32_t y = 0; y < page.section->Height(); ++y) {
        for (int32_t x = 0; x < page.section->Width(); ++x) {
            const bool inImage = x >= at.x && x < at.x + w && y >= at.y && y < at.y + h;
            const uint8_t expected =
                inImage && visible.Contains(x, y) ? image.At(x - at.x, y - at.y) : kPage;
            ASSERT_EQ(page.At(x, y), expected) << "at " << x << "," << y;
        }
    }
}

// ---- Clipping ----

struct ClipCase {
    const char* name;
    CRect clip; // device
    CRect rect; // where the item is
};

TEST(DrawImageObject, CopiesOnlyWhatLiesInsideClipAndRectAtEveryEdge) {
    const std::vector<ClipCase> cases = {
        {"whole", {0, 0, 40, 30}, {5, 5, 15, 12}},
        {"cut top", {0, 7, 40, 30}, {5, 5, 15, 12}},
        {"cut left", {8, 0, 40, 30}, {5, 5, 15, 12}},
        {"cut right", {0, 0, 11, 30}, {5, 5, 15, 12}},
        {"cut bottom", {0, 0, 40, 9}, {5, 5, 15, 12}},
        {"cut all four", {7, 6, 12, 10}, {5, 5, 15, 12}},
        {"rect smaller than image", {0, 0, 40, 30}, {5, 5, 9, 8}},
        {"off the page", {0, 0, 40, 30}, {35, 26, 50, 40}},
        {"clip misses", {20, 20, 30, 30}, {5, 5, 15, 12}},
        {"above and left", {0, 0, 40, 30}, {-4, -3, 10, 10}},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        page.dc.SelectClipRect(c.clip);
        FakeImage image(10, 7);
        DrawImageObject(&image, page.dc, c.rect);
        ExpectImageAt(page, image, {c.rect.left, c.rect.top}, c.clip.Intersect(c.rect));
    }
}

TEST(DrawImageObject, DocumentCoordinatesGoThroughTheViewportOrigin) {
    Page page;
    // The page shows the document from (100, 50): document (103, 54) is
    // page (3, 4).
    page.dc.SetViewportOrg({-100, -50});
    page.dc.SelectClipRect({0, 0, 20, 30});
    FakeImage image(10, 7);
    DrawImageObject(&image, page.dc, {103, 54, 130, 70});
    ExpectImageAt(page, image, {3, 4}, {0, 0, 20, 30});
}

// ---- Opaque and transparent copies ----

TEST(DrawImageObject, OpaqueCopyWritesTheMarkerToo) {
    Page page;
    FakeImage image(6, 5);
    image.At(2, 2) = kTransparentMarker;
    DrawImageObject(&image, page.dc, {1, 1, 20, 20});
    EXPECT_EQ(page.At(3, 3), kTransparentMarker);
    ExpectImageAt(page, image, {1, 1}, page.section->Bounds());
}

TEST(DrawImageObject, TransparentCopyLeavesMarkedPixelsAlone) {
    // Widths around the four-byte steps, with markers in every position of a
    // word.
    for (int32_t width : {1, 3, 4, 5, 8, 13}) {
        SCOPED_TRACE(width);
        Page page;
        FakeImage image(width, 4, true);
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if ((x + y) % 3 == 0 || y == 3)
                    image.At(x, y) = kTransparentMarker;
            }
        }
        DrawImageObject(&image, page.dc, {2, 2, 30, 30});
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t source = image.At(x, y);
                EXPECT_EQ(page.At(x + 2, y + 2), source == kTransparentMarker ? kPage : source);
            }
        }
    }
}

TEST(DrawImageObject, AllMarkerBufferDrawsNothing) {
    Page page;
    FakeImage image(12, 9, true);
    for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 12; ++x)
            image.At(x, y) = kTransparentMarker;
    }
    DrawImageObject(&image, page.dc, {0, 0, 40, 30});
    EXPECT_EQ(page.Changed(), 0);
}

TEST(DrawImageObject, CopyRowSkippingMarkerMatchesByteByByte) {
    std::vector<uint8_t> source;
    for (int i = 0; i < 37; ++i)
        source.push_back(i % 5 == 1 || (i >= 20 && i < 28) ? kTransparentMarker
                                                           : static_cast<uint8_t>(i + 2));
    std::vector<uint8_t> destination(source.size(), 0xAB);
    CopyRowSkippingMarker(source.data(), destination.data(), source.size());
    for (size_t i = 0; i < source.size(); ++i)
        EXPECT_EQ(destination[i], source[i] == kTransparentMarker ? 0xAB : source[i]) << i;
}

// ---- States without a picture ----

int IconPixels(const Page& page, CPoint at) {
    const auto icon = CIcon::Load(kBrokenImageIcon);
    int differences = 0;
    for (int32_t y = 0; y < icon->Height(); ++y) {
        for (int32_t x = 0; x < icon->Width(); ++x) {
            const int32_t px = at.x + x, py = at.y + y;
            if (!page.section->Bounds().Contains(px, py) || !icon->IsOpaqueAt(x, y))
                continue;
            const uint8_t* rgba = icon->Pixel(x, y);
            const ColorRef want = page.dc.GetNearestColor(MakeColorRef(rgba[0], rgba[1], rgba[2]));
            differences += page.section->ColorOf(px, py) != want;
        }
    }
    return differences;
}

TEST(DrawImageObject, NullObjectShowsTheBrokenIconAtTheTopLeft) {
    Page page;
    DrawImageObject(nullptr, page.dc, {4, 2, 10, 10});
    EXPECT_GT(page.Changed(), 200);
    EXPECT_EQ(IconPixels(page, {4, 2}), 0);
    // Nothing left of or above the corner.
    for (int32_t y = 0; y < 30; ++y)
        EXPECT_EQ(page.At(3, y), kPage);
}

TEST(DrawImageObject, StatusDecidesBetweenNothingAndTheIcon) {
    const std::vector<std::pair<Status, bool>> cases = {
        {Status::Unknown, false},
        {Status::Continue, false},
        {Status::Failed, true},
        {Status::Complete, true},
    };
    for (const auto& [status, icon] : cases) {
        SCOPED_TRACE(static_cast<int>(status));
        Page page;
        FakeImage image(5, 5);
        image.SetHasImage(false);
        image.SetStatus(status);
        DrawImageObject(&image, page.dc, {0, 0, 40, 30});
        if (icon) {
            EXPECT_GT(page.Changed(), 200);
            EXPECT_EQ(IconPixels(page, {0, 0}), 0);
        } else {
            EXPECT_EQ(page.Changed(), 0);
        }
    }
}

TEST(DrawImageObject, PictureWithoutBitsDrawsNothing) {
    Page page;
    FakeImage image(5, 5);
    image.SetBitsMissing();
    DrawImageObject(&image, page.dc, {0, 0, 40, 30});
    EXPECT_EQ(page.Changed(), 0);
}

TEST(DrawImageObject, IconIsClippedLikeEverythingElse) {
    Page page;
    page.dc.SelectClipRect({0, 0, 10, 10});
    DrawImageObject(nullptr, page.dc, {0, 0, 40, 30});
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            if (x >= 10 || y >= 10) {
                ASSERT_EQ(page.At(x, y), kPage) << x << "," << y;
            }
        }
    }
}

} // namespace
