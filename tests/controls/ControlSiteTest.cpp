#include "controls/ControlFixture.h"

#include "controls/CDispatchDriver.h"
#include "layout/CLayoutEngine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Properties = std::vector<std::pair<std::string, std::string>>;

// The page's only embed, in document coordinates.
std::optional<CRect> EmbedRect(CTarnwickView& view, size_t index = 0) {
    std::vector<CRect> rects;
    if (CLayoutEngine* layout = view.CurrentLayout())
        for (CObjectItem* embed : layout->EmbeddedObjects())
            rects.push_back(embed->GetRect());
    return index < rects.size() ? std::optional<CRect>(rects[index]) : std::nullopt;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A property of the item's control as text.
std::string Property(CTarnwickCntrItem& item, const std::string& name) {
    ComPtr<IDispatch> dispatch = item.Dispatch();
    if (!dispatch)
        return "<no control>";
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id)))
        return "<no " + name + ">";
    CVariant value;
    if (FAILED(InvokeHelper(dispatch.Get(), id, DISPATCH_PROPERTYGET, {}, VT_BSTR, &value)))
        return "<failed>";
    return value.Text();
}

// Has the fetcher fire one of its events.
void FireEvent(CTarnwickCntrItem& item, const std::string& name, const std::string& arguments) {
    ComPtr<IDispatch> dispatch = item.Dispatch();
    ASSERT_TRUE(dispatch);
    LPOLESTR names[] = {const_cast<LPOLESTR>("FireEvent")};
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    ASSERT_EQ(InvokeHelper(dispatch.Get(), id, DISPATCH_METHOD,
                           {CVariant::String(name), CVariant::String(arguments)}, VT_EMPTY,
                           nullptr),
              S_OK);
}

TEST_F(ControlTest, AnEmbedOfARegisteredControlStandsAtItsPlaceStarted) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<p>A control: <embed src=fetch.opf width=200 "
                                             "height=60> and more text.</p>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& item = *Items()[0];
    EXPECT_TRUE(item.Created());
    EXPECT_FALSE(item.Failed());
    EXPECT_TRUE(item.Started()) << "the fetcher has no Autostart property";
    EXPECT_EQ(item.State(), CControlItem::ItemState::Active);
    ASSERT_TRUE(EmbedRect(*m_view));
    EXPECT_EQ(item.DocumentRect(), *EmbedRect(*m_view));
    EXPECT_EQ(item.Description().companyName, "Vestrial");
    EXPECT_EQ(item.FileAddress(), UrlOf("fetch.opf"));
    EXPECT_EQ(LogOf("fetch.log"), (std::vector<std::string>{"Load", "Start"}));
}

TEST_F(ControlTest, AutostartFalseLeavesTheControlStopped) {
    struct Case {
        Properties properties;
        bool started;
    };
    const std::vector<Case> cases = {
        {{{"Autostart", "0"}}, false},
        {{{"Autostart", "false"}}, false},
        {{{"Autostart", "1"}}, true},
        {{}, true},
    };
    int n = 0;
    for (Case c : cases) {
        // Each its own file: a file already loaded comes from the object
        // table.
        std::string name = "clock" + std::to_string(++n);
        c.properties.emplace_back("LogFile", PathOf(name + ".log"));
        WriteOpf(name + ".opf", kClockClass, c.properties);
        NavigateAndSettle(
            WritePage(name + ".html", "<embed src=" + name + ".opf width=300 height=70>"));
        ASSERT_EQ(Items().size(), 1u);
        EXPECT_TRUE(Items()[0]->Created());
        EXPECT_EQ(Items()[0]->Started(), c.started) << n;
        EXPECT_EQ(Contains(LogOf(name + ".log"), "Start"), c.started) << n;
    }
}

TEST_F(ControlTest, ARelayoutMovesTheItemsItHas) {
    WriteOpf("clock.opf", kClockClass, {{"LogFile", PathOf("clock.log")}});
    NavigateAndSettle(WritePage("page.html", "<center><embed src=clock.opf width=100 "
                                             "height=40></center>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem* item = Items()[0];
    const CRect before = item->DocumentRect();
    m_window.Resize({600, 300});
    Settle();
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Items()[0], item) << "moved, not made again";
    ASSERT_TRUE(EmbedRect(*m_view));
    EXPECT_EQ(item->DocumentRect(), *EmbedRect(*m_view));
    EXPECT_EQ(item->DocumentRect().left, before.left + 100) << "centred in a window 200 wider";
    EXPECT_EQ(item->DocumentRect().Width(), 100);
    std::vector<std::string> log = LogOf("clock.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Load"), 1);
}

TEST_F(ControlTest, TwoEmbedsOfOneFileMakeTwoItems) {
    WriteOpf("clock.opf", kClockClass);
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf width=100 height=40><br>"
                                             "<embed src=clock.opf width=120 height=40>"));
    std::vector<CTarnwickCntrItem*> items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_NE(items[0]->EmbedId(), items[1]->EmbedId());
    EXPECT_TRUE(items[0]->Created());
    EXPECT_TRUE(items[1]->Created());
    EXPECT_EQ(items[0]->DocumentRect().Width(), 100);
    EXPECT_EQ(items[1]->DocumentRect().Width(), 120);
}

TEST_F(ControlTest, SizesSurviveTheWayToTheControlAndBack) {
    WriteOpf("clock.opf", kClockClass);
    for (int side : {1, 37, 96, 97, 100, 301, 1000}) {
        std::string s = std::to_string(side);
        NavigateAndSettle(WritePage("page" + s + ".html",
                                    "<embed src=clock.opf width=" + s + " height=" + s + ">"));
        ASSERT_EQ(Items().size(), 1u);
        EXPECT_EQ(Items()[0]->Rect().Width(), side);
        EXPECT_EQ(Items()[0]->Rect().Height(), side);
    }
}

TEST_F(ControlTest, AControlGivenNoSizeTakesItsOwn) {
    WriteOpf("fetch.opf", kFetchClass);
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf>"));
    ASSERT_EQ(Items().size(), 1u);
    ASSERT_TRUE(EmbedRect(*m_view));
    EXPECT_TRUE(EmbedRect(*m_view)->IsEmpty());
    CRect rect = Items()[0]->Rect();
    EXPECT_EQ(rect.Width(), 360);
    EXPECT_EQ(rect.Height(), 110);
    EXPECT_EQ(rect.left, EmbedRect(*m_view)->left);
}

TEST_F(ControlTest, TheFileGivesTheSizeWhenThePageGivesNone) {
    WriteOpf("clock.opf", kClockClass, {}, "150", "45");
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf>"));
    ASSERT_EQ(Items().size(), 1u);
    EXPECT_EQ(Items()[0]->Rect().Width(), 150);
    EXPECT_EQ(Items()[0]->Rect().Height(), 45);
}

TEST_F(ControlTest, AmbientPropertiesComeFromTheDocument) {
    WriteOpf("clock.opf", kClockClass);
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf width=300 height=70>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& clock = *Items()[0];
    EXPECT_EQ(Property(clock, "UserDirectory"), (m_dir.Path() / "temp").string() + "/");
    EXPECT_EQ(Property(clock, "FontName"), "MS Sans Serif");
    // Without colours of its own the clock takes the page's: the system's
    // window text and window colours.
    EXPECT_EQ(Property(clock, "ForeColor"), "0");
    EXPECT_EQ(Property(clock, "BackColor"), std::to_string(0xFFFFFF));
}

TEST_F(ControlTest, ControlsPaintIntoThePage) {
    WriteOpf("clock.opf", kClockClass, {{"BackColor", "#FF0000"}, {"Autostart", "0"}});
    NavigateAndSettle(WritePage("page.html", "<body bgcolor=#ffffff><embed src=clock.opf "
                                             "width=200 height=60></body>"));
    ASSERT_EQ(Items().size(), 1u);
    CRect place = Items()[0]->DocumentRect();
    EXPECT_EQ(ScreenColor({place.left + 3, place.bottom - 3}), MakeColorRef(255, 0, 0));
    EXPECT_EQ(ScreenColor({place.left, place.top}), MakeColorRef(0, 0, 0)) << "its frame";
    EXPECT_EQ(ScreenColor({place.right, place.top}), MakeColorRef(255, 255, 255))
        << "nothing past its right edge";
}

TEST_F(ControlTest, TheClockRepaintsOnItsTimer) {
    WriteOpf("clock.opf", kClockClass, {{"Interval", "5"}});
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf width=200 height=60>"));
    ASSERT_EQ(Items().size(), 1u);
    m_window.InvalidateAll();
    m_window.Paint();
    ASSERT_TRUE(m_window.Dirty().IsEmpty());
    CRect place = Items()[0]->DocumentRect();
    RunUntil([&] { return !m_window.Dirty().Intersect(place).IsEmpty(); });
    EXPECT_EQ(m_window.Dirty().Intersect(place), place);
}

TEST_F(ControlTest, PropertyChangesShowInTheStatusBarNotInAMessageBox) {
    WriteOpf("clock.opf", kClockClass, {{"Interval", "5"}, {"NotifyTime", "1"}});
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf width=200 height=60>"));
    ASSERT_EQ(Items().size(), 1u);
    RunUntil([&] { return m_ui.Notices().size() >= 3; });
    EXPECT_EQ(m_ui.Notices()[0], "Change Notify: Time");
    EXPECT_EQ(m_window.StatusText(), "Change Notify: Time");
    EXPECT_TRUE(m_ui.Shown().empty()) << "no message box, however often";
    // Edit requests are granted, named when the property is known.
    CTarnwickCntrItem& clock = *Items()[0];
    EXPECT_EQ(clock.OnPropertyNotification(1, true), S_OK);
    EXPECT_EQ(m_ui.Notices().back(), "Edit Request: Caption");
    EXPECT_EQ(clock.OnPropertyNotification(4242, false), S_OK);
    EXPECT_EQ(m_ui.Notices().back(), "Change Notify: Unknown DISPID = 4242");
    EXPECT_TRUE(m_ui.Shown().empty());
}

TEST_F(ControlTest, EventsOtherThanReadFileDoNothing) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];
    FireEvent(fetch, "Clicked", "");
    FireEvent(fetch, "Clicked", "one,two");
    FireEvent(fetch, "ReadFile", ""); // a ReadFile without arguments
    Settle();
    EXPECT_EQ(fetch.PendingReads(), 0u);
    for (const std::string& line : LogOf("fetch.log"))
        EXPECT_EQ(line.rfind("OnReadFileNotify", 0), std::string::npos) << line;
}

TEST_F(ControlTest, AReadFileEndingInANumberFailsAtOnce) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];
    FireEvent(fetch, "ReadFile", "name.txt,5");
    // Answered within the event: no transfer, nothing waited for.
    EXPECT_EQ(fetch.PendingReads(), 0u);
    EXPECT_EQ(LogOf("fetch.log").back(), "OnReadFileNotify  0");
}

TEST_F(ControlTest, ClicksAndTypingReachTheControl) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    std::ofstream(PathOf("typed.txt")) << "some text";
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    CTarnwickCntrItem& fetch = *Items()[0];
    CRect place = fetch.DocumentRect();
    // Its address field: 6 pixels in, 26 to 46 down.
    m_window.Click({place.left + 20, place.top + 36});
    EXPECT_TRUE(fetch.HasFocus());
    EXPECT_EQ(m_view->Controls().Selection(), &fetch);
    m_window.Type("typed.txx\bt\r");
    EXPECT_EQ(Property(fetch, "Address"), "typed.txt");
    Settle();
    std::vector<std::string> log = LogOf("fetch.log");
    EXPECT_TRUE(Contains(log, "ReadFile typed.txt"));
    EXPECT_TRUE(Contains(log, "OnReadFileNotify typed.txt 1"));
    // A click beside the control takes the keyboard away from it.
    m_window.Click({place.right + 20, place.bottom + 20});
    EXPECT_FALSE(fetch.HasFocus());
    m_window.Type("x");
    EXPECT_EQ(Property(fetch, "Address"), "typed.txt");
}

TEST_F(ControlTest, LeavingThePageStopsAndClosesTheControls) {
    WriteOpf("clock.opf", kClockClass, {{"LogFile", PathOf("clock.log")}});
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=clock.opf width=100 height=40>"
                                             "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 2u);
    NavigateAndSettle(WritePage("other.html", "<p>No controls here."));
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(LogOf("clock.log"), (std::vector<std::string>{"Load", "Start", "Stop", "Close"}));
    EXPECT_EQ(LogOf("fetch.log"), (std::vector<std::string>{"Load", "Start", "Stop", "Close"}));
}

TEST_F(ControlTest, ABrokenOrMissingControlLeavesTheEmbedEmpty) {
    // A class whose library is gone.
    const std::string gone = "CLSID\\{11111111-2222-3333-4444-555555555555}";
    ASSERT_TRUE(m_registry.SetString(RegRoot::ClassesRoot, gone, "", "Gone"));
    ASSERT_TRUE(m_registry.CreateKey(RegRoot::ClassesRoot, gone + "\\Control"));
    ASSERT_TRUE(m_registry.SetString(RegRoot::ClassesRoot, gone + "\\InprocServer32", "",
                                     PathOf("gone.ocx")));
    int n = 0;
    for (const char* classId :
         {kNoEntryClass, kFactoryFailsClass, kLoadFailsClass,
          "{11111111-2222-3333-4444-555555555555}", "{99999999-2222-3333-4444-555555555555}"}) {
        std::string name = "broken" + std::to_string(++n);
        WriteOpf(name + ".opf", classId);
        NavigateAndSettle(WritePage(name + ".html", "<body bgcolor=#ffffff><embed src=" + name +
                                                        ".opf width=100 height=40></body>"));
        ASSERT_EQ(Items().size(), 1u) << classId;
        CTarnwickCntrItem& item = *Items()[0];
        EXPECT_TRUE(item.Failed()) << classId;
        EXPECT_FALSE(item.Created()) << classId;
        EXPECT_EQ(item.State(), CControlItem::ItemState::Empty) << classId;
        EXPECT_FALSE(item.Dispatch()) << classId;
        EXPECT_EQ(ScreenColor(CentreOf(item)), MakeColorRef(255, 255, 255)) << classId;
    }
}

TEST_F(ControlTest, AFileThatIsNoPropertyFileMakesNoItem) {
    std::ofstream(PathOf("bad.opf")) << std::string(2048, 'x');
    NavigateAndSettle(WritePage("page.html", "<embed src=bad.opf width=100 height=40>"));
    EXPECT_TRUE(Items().empty());
}

} // namespace

namespace {

void Grow(CTarnwickCntrItem& item, int32_t width, int32_t height) {
    ComPtr<IDispatch> dispatch = item.Dispatch();
    ASSERT_TRUE(dispatch);
    ASSERT_EQ(InvokeHelper(dispatch.Get(), 1, DISPATCH_METHOD,
                           {CVariant::I4(width), CVariant::I4(height)}, VT_EMPTY, nullptr),
              S_OK);
}

// A control without a size takes one from its extent once it has one:
// HIMETRIC units at 100 pixels per inch, cut to whole pixels.
TEST_F(ControlTest, AnItemWithoutASizeTakesItFromTheControlsExtent) {
    const struct {
        int32_t cx, cy, width, height;
    } cases[] = {{2540, 1270, 100, 50}, {254, 253, 10, 9}, {253, 0, 9, 0}};
    int n = 0;
    for (const auto& c : cases) {
        std::string name = "grow" + std::to_string(++n);
        WriteOpf(name + ".opf", kGrowingClass);
        NavigateAndSettle(WritePage(name + ".html", "<p>x<embed src=" + name + ".opf>"));
        ASSERT_EQ(Items().size(), 1u);
        CTarnwickCntrItem& item = *Items()[0];
        ASSERT_TRUE(item.Created());
        const CRect before = item.Rect();
        EXPECT_TRUE(before.IsEmpty());
        Grow(item, c.cx, c.cy);
        EXPECT_EQ(item.Rect().left, before.left) << "it grows right and down";
        EXPECT_EQ(item.Rect().top, before.top);
        EXPECT_EQ(item.Rect().Width(), c.width) << n;
        EXPECT_EQ(item.Rect().Height(), c.height) << n;
    }
}

} // namespace

namespace {

TEST_F(ControlTest, TheSiteAnswersTheEventInterfaceWithTheEventSink) {
    WriteOpf("fetch.opf", kFetchClass, {{"LogFile", PathOf("fetch.log")}});
    NavigateAndSettle(WritePage("page.html", "<embed src=fetch.opf width=300 height=100>"));
    ASSERT_EQ(Items().size(), 1u);
    auto object = Items()[0]->Dispatch().As<IOleObject>(IID_IOleObject);
    ASSERT_TRUE(object);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.Receive()), S_OK);
    ASSERT_TRUE(site);
    constexpr IID kFetchEvents = {
        0x936B9DAF, 0x59AF, 0x49B7, {0x99, 0x4B, 0x3B, 0x8E, 0x03, 0xD3, 0x83, 0x20}};
    auto sink = site.As<IDispatch>(kFetchEvents);
    ASSERT_TRUE(sink);
    EXPECT_NE(static_cast<void*>(sink.Get()), static_cast<void*>(site.Get()));
    // "ReadFile" with a number last: answered at once with failure.
    CVariant arguments[] = {CVariant::I4(5), CVariant::String("name.txt")};
    VARIANT raw[] = {*arguments[0].Get(), *arguments[1].Get()};
    DISPPARAMS params{raw, nullptr, 2, 0};
    ASSERT_EQ(sink->Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(LogOf("fetch.log").back(), "OnReadFileNotify  0");
    EXPECT_FALSE(site.As<IDispatch>({0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}}));
}

} // namespace
