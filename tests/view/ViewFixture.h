#pragma once

#include "support/PipelineFixture.h"
#include "support/TempDir.h"

#include "document/CTarnwickDoc.h"
#include "layout/CLayoutEngine.h"
#include "platform/CMessageQueue.h"
#include "ui/headless/CHeadlessViewWindow.h"
#include "view/CTarnwickView.h"

#include <filesystem>
#include <memory>
#include <string>

// A picture type for tests: a 4 x 4 picture of two palette indices in a
// fixed pattern, complete once its data has ended. The decoders are another
// subsystem; this is enough to show where a picture is drawn.
class CTestPictureObject final : public CMimeObject {
public:
    static constexpr int32_t Side = 4;
    static constexpr uint8_t Dark = 10; // both away from the transparent marker
    static constexpr uint8_t Light = 250;

    CTestPictureObject(std::string url, std::string type)
        : CMimeObject(std::move(url), std::move(type), Caps::Document | Caps::InlineImage) {
        for (int32_t y = 0; y < Side; ++y)
            for (int32_t x = 0; x < Side; ++x)
                m_bits[y * Side + x] = IndexAt(x, y);
    }
    static uint8_t IndexAt(int32_t x, int32_t y) { return (x + 2 * y) % 3 == 0 ? Dark : Light; }

    Status Write(const char*, size_t) override { return Status::Continue; }
    Status EndOfData() override {
        {
            CSemLockGuard guard(m_lock);
            m_complete = true;
        }
        NotifyClients(Notify::ImageData);
        return Status::Complete;
    }
    // The callers hold the lock.
    bool HasImage() override { return m_complete; }
    void GetImageSize(int32_t& width, int32_t& height) override { width = height = Side; }
    int32_t GetBitmapInfo(CBitmapInfo& info) override {
        info = {Side, Side, 1, 8};
        return m_complete ? Side : 0;
    }
    const uint8_t* GetBits() override { return m_complete ? m_bits : nullptr; }

private:
    uint8_t m_bits[Side * Side];
    bool m_complete = false;
};

// The real HTML parser and the real layout behind a document and a view
// whose window is in memory; pages are files in a temporary directory.
class ViewTest : public PipelineTest {
protected:
    ViewTest();
    ~ViewTest() override;

    std::string WritePage(const std::string& name, const std::string& html);
    std::string UrlOf(const std::string& name) const;
    // Navigates and runs the loop until the page is shown and laid out.
    void NavigateAndSettle(const std::string& url);
    void Settle();
    [[nodiscard]] bool Settled();
    // The rectangle of the first item of a type, in document coordinates.
    [[nodiscard]] std::optional<CRect> FirstItemOfType(DisplayItemType type);
    // Its centre in window coordinates.
    [[nodiscard]] CPoint WindowPointOf(const CRect& rect) const;
    [[nodiscard]] std::string ShownUrl() const;
    // The colour on the window's screen at a point, after painting.
    [[nodiscard]] ColorRef ScreenColor(CPoint point);

    TempDir m_dir;
    ContentTypeRegistration m_htmlType;
    ContentTypeRegistration m_pictureType;
    CHeadlessViewWindow m_window{{400, 300}};
    std::unique_ptr<CTarnwickDoc> m_document;
    std::unique_ptr<CTarnwickView> m_view;
};
