#include "view/ViewFixture.h"

#include "html/CHtmlObject.h"
#include "platform/UiThread.h"
#include "platform/gdi/CDibSection.h"

#include <fstream>

ViewTest::ViewTest()
    : m_htmlType(RegisterHtmlType()),
      m_pictureType(ContentTypeTable().Register(
          {PrefixMatcher("image/gif"),
           [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
               return std::make_unique<CTestPictureObject>(url, type);
           },
           Caps::Document | Caps::InlineImage, "image/gif"})) {
    // The layout thread must count as another thread, so that its requests
    // for pictures travel to this one as messages, as in the program.
    MarkUiThread();
    m_document = std::make_unique<CTarnwickDoc>();
    m_view = std::make_unique<CTarnwickView>(*m_document, m_window);
}

ViewTest::~ViewTest() {
    m_view.reset();
    m_document.reset();
}

std::string ViewTest::WritePage(const std::string& name, const std::string& html) {
    std::ofstream(m_dir.Path() / name, std::ios::binary) << html;
    return UrlOf(name);
}

std::string ViewTest::UrlOf(const std::string& name) const {
    return "file://" + (m_dir.Path() / name).string();
}

bool ViewTest::Settled() {
    return m_document->Idle() && UiMessageQueue().Empty() && m_view->LayoutSettled();
}

void ViewTest::Settle() {
    RunUntil([&] { return Settled(); });
}

void ViewTest::NavigateAndSettle(const std::string& url) {
    m_document->Navigate({.url = url});
    RunUntil([&] { return Settled() && m_view->HasLayout(); });
}

std::optional<CRect> ViewTest::FirstItemOfType(DisplayItemType type) {
    std::optional<CRect> found;
    if (CLayoutEngine* layout = m_view->CurrentLayout())
        layout->ForEachItem([&](const CDisplayItem& item) {
            if (!found && item.type == type)
                found = item.GetRect();
        });
    return found;
}

CPoint ViewTest::WindowPointOf(const CRect& rect) const {
    CPoint scroll = m_window.ScrollPosition();
    return {(rect.left + rect.right) / 2 - scroll.x, (rect.top + rect.bottom) / 2 - scroll.y};
}

std::string ViewTest::ShownUrl() const {
    CMimeObject* content = m_document->ContentObject();
    return content ? content->Url() : std::string();
}

ColorRef ViewTest::ScreenColor(CPoint point) {
    m_window.InvalidateAll();
    m_window.Paint();
    const CDibSection* screen = m_window.Screen();
    return screen ? screen->ColorOf(point.x, point.y) : 0xFFFFFFFFu;
}
