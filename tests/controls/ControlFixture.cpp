#include "controls/ControlFixture.h"

#include "controls/CObjectPropertyFile.h"
#include "html/CHtmlObject.h"
#include "platform/CMessageQueue.h"
#include "platform/UiThread.h"
#include "platform/gdi/CDibSection.h"

#include <fstream>
#include <sstream>

ControlTest::ControlTest() : m_registry(m_dir.Path() / "registry.reg") {
    MarkUiThread();
    m_controlTypes.push_back(RegisterHtmlType());
    m_controlTypes.push_back(RegisterObjectPropertyFileType());
    m_settings.Update([&](CAppSettings::Values& values) {
        values.tempDirectory = (m_dir.Path() / "temp").string() + "/";
        values.controlDirectory = (m_dir.Path() / "ocx").string() + "/";
    });
    for (const char* library :
         {VESTRIAL_CONTROLS_DIR "/clock.ocx", VESTRIAL_CONTROLS_DIR "/fetch.ocx",
          VESTRIAL_TEST_CONTROLS_DIR "/noentry.ocx", VESTRIAL_TEST_CONTROLS_DIR "/failing.ocx",
          VESTRIAL_TEST_CONTROLS_DIR "/growing.ocx"})
        EXPECT_EQ(CoRegisterServer(library, false), S_OK) << library;
    m_document = std::make_unique<CTarnwickDoc>();
    m_view = std::make_unique<CTarnwickView>(*m_document, m_window);
}

ControlTest::~ControlTest() {
    m_view.reset();
    m_document.reset();
}

std::string ControlTest::PathOf(const std::string& name) const {
    return (m_dir.Path() / name).string();
}

std::string ControlTest::UrlOf(const std::string& name) const {
    return "file://" + PathOf(name);
}

std::string ControlTest::WritePage(const std::string& name, const std::string& html) {
    std::ofstream(PathOf(name), std::ios::binary) << html;
    return UrlOf(name);
}

std::string ControlTest::WriteOpf(const std::string& name, const COpfContents& contents) {
    std::string error;
    auto bytes = WriteObjectPropertyFile(contents, error);
    EXPECT_TRUE(bytes) << error;
    std::ofstream out(PathOf(name), std::ios::binary);
    if (bytes)
        out.write(reinterpret_cast<const char*>(bytes->data()),
                  static_cast<std::streamsize>(bytes->size()));
    return UrlOf(name);
}

std::string ControlTest::WriteOpf(const std::string& name, const std::string& classId,
                                  std::vector<std::pair<std::string, std::string>> properties,
                                  const std::string& width, const std::string& height) {
    COpfContents contents;
    contents.classId = classId;
    contents.companyName = "Vestrial";
    contents.properties = std::move(properties);
    if (!width.empty())
        contents.width = width;
    if (!height.empty())
        contents.height = height;
    return WriteOpf(name, contents);
}

void ControlTest::Settle() {
    RunUntil(
        [&] { return m_document->Idle() && UiMessageQueue().Empty() && m_view->LayoutSettled(); });
}

void ControlTest::NavigateAndSettle(const std::string& url) {
    m_document->Navigate({.url = url});
    RunUntil([&] {
        return m_document->Idle() && UiMessageQueue().Empty() && m_view->LayoutSettled() &&
               m_view->HasLayout();
    });
}

std::vector<std::string> ControlTest::LogOf(const std::string& name) const {
    std::vector<std::string> lines;
    std::ifstream in(PathOf(name));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ColorRef ControlTest::ScreenColor(CPoint point) {
    m_window.InvalidateAll();
    m_window.Paint();
    const CDibSection* screen = m_window.Screen();
    return screen ? screen->ColorOf(point.x, point.y) : 0xFFFFFFFFu;
}

CPoint ControlTest::CentreOf(const CTarnwickCntrItem& item) const {
    CRect place = item.DocumentRect();
    CPoint scroll = m_window.ScrollPosition();
    return {(place.left + place.right) / 2 - scroll.x, (place.top + place.bottom) / 2 - scroll.y};
}
