#include "content/FileNames.h"
#include "html/CHtmlElement.h"
#include "images/CGifMimeObject.h"
#include "images/CJpegMimeObject.h"
#include "images/CPngMimeObject.h"
#include "images/ImageTestSupport.h"
#include "support/PipelineFixture.h"

#include <gtest/gtest.h>

namespace {

// An image opened by itself over file: goes through the real pipeline: the
// file worker types it by its name, the image row makes the object, and the
// worker thread feeds it while the owner hears about it on the UI thread.
class ImagePipeline : public PipelineTest {
protected:
    ImagePipeline() {
        // Registered last, so they stand before the fixture's test rows.
        m_types.push_back(RegisterGifType());
        m_types.push_back(RegisterJpegType());
        m_types.push_back(RegisterPngType());
    }

    CMimeDynamicLoad* Load(const std::string& path) {
        auto* load = m_owner.NewLoad<CMimeDynamicLoad>(FileUrlFromPath(path), Method::Get, "", "");
        Scheduler().Start(load);
        RunUntilFinished(m_owner, load);
        return load;
    }

    // The document an image is shown as: the image naming its own URL, then
    // a line end.
    static void ExpectImageDocument(CMimeObject& object) {
        ElementPosition position = object.GetFirstElementPosition();
        const CHtmlElement* first = object.GetNextElement(position);
        ASSERT_NE(first, nullptr);
        ASSERT_EQ(first->kind, ElementKind::Image);
        const auto* image = static_cast<const CImageElement*>(first);
        EXPECT_EQ(image->source, object.Url());
        EXPECT_EQ(image->align, Align::Baseline);
        const CHtmlElement* end = object.GetNextElement(position);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->kind, ElementKind::LineEnd);
        EXPECT_EQ(position, 0u);
    }

    TempDir m_dir;
    CRecordingOwner m_owner;
};

TEST_F(ImagePipeline, GifFileOpensAsAnImageDocument) {
    const std::string path = PathIn(m_dir, "picture.gif");
    const std::string ppm = PathIn(m_dir, "in.ppm");
    RgbImage image{90, 60, {}};
    for (int32_t i = 0; i < 90 * 60; ++i)
        image.pixels.push_back({static_cast<uint8_t>(i % 90 * 2), static_cast<uint8_t>(i / 90 * 4),
                                static_cast<uint8_t>(i % 7 * 30)});
    WritePpm(ppm, image);
    ASSERT_TRUE(RunCommand("/usr/bin/convert '" + ppm + "' -interlace GIF '" + path + "'"));
    CMimeDynamicLoad* load = Load(path);
    auto* object = dynamic_cast<CGifMimeObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(object->GetStatus(), Status::Complete);
    EXPECT_TRUE(m_owner.FlagsOf(load) & Notify::ImageData);
    EXPECT_EQ(object->GetTitle(), "GIF Image (90 by 60)");
    EXPECT_FALSE(object->NeedsBackground());
    ExpectImageDocument(*object);
    EXPECT_EQ(DisplayOf(*object), ExpectedGifDisplay(path));
}

TEST_F(ImagePipeline, JpegFileOpensAsAnImageDocument) {
    const std::string path = PathIn(m_dir, "photo.jpeg");
    ASSERT_TRUE(RunCommand("/usr/bin/convert -size 120x80 gradient:red-blue '" + path + "'"));
    CMimeDynamicLoad* load = Load(path);
    auto* object = dynamic_cast<CJpegMimeObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_TRUE(m_owner.FlagsOf(load) & Notify::ImageData);
    EXPECT_EQ(object->GetTitle(), "JPEG Image (120 by 80)");
    EXPECT_FALSE(object->NeedsBackground());
    ExpectImageDocument(*object);
    CJpegMimeObject direct("file:///direct.jpg", "image/jpeg");
    EXPECT_EQ(Feed(direct, ReadFile(path), 100), Status::Complete);
    EXPECT_EQ(DisplayOf(*object), DisplayOf(direct));
}

TEST_F(ImagePipeline, PngFileOpensAsAnImageDocument) {
    const std::string path = PathIn(m_dir, "picture.PNG");
    ASSERT_TRUE(RunCommand("/usr/bin/convert -size 70x50 gradient:yellow-navy -interlace PNG '" +
                           path + "'"));
    CMimeDynamicLoad* load = Load(path);
    auto* object = dynamic_cast<CPngMimeObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_TRUE(m_owner.FlagsOf(load) & Notify::ImageData);
    EXPECT_EQ(object->GetTitle(), "PNG Image (70 by 50)");
    EXPECT_FALSE(object->NeedsBackground());
    ExpectImageDocument(*object);
    EXPECT_EQ(DisplayOf(*object), ReferenceDisplay(DecodeWithImageMagickRounded(path, 70, 50)));
}

TEST_F(ImagePipeline, AboutLogoDecodesAsImageMagickSeesIt) {
    auto* load = m_owner.NewLoad<CMimeDynamicLoad>("about:logo", Method::Get, "", "");
    Scheduler().Start(load);
    RunUntilFinished(m_owner, load);
    auto* object = dynamic_cast<CGifMimeObject*>(load->GetObject());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(load->Result(), Status::Complete);
    EXPECT_EQ(DisplayOf(*object),
              ExpectedGifDisplay(VESTRIAL_SOURCE_DIR "/resources/about/VESTRIAL.GIF"));
}

TEST_F(ImagePipeline, BrokenGifFailsTheLoad) {
    const std::string path = PathIn(m_dir, "broken.gif");
    WriteFile(path, "GIF88a not really a picture");
    CMimeDynamicLoad* load = Load(path);
    ASSERT_NE(load->GetObject(), nullptr);
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_FALSE(load->GetObject()->HasImage());
}

} // namespace
