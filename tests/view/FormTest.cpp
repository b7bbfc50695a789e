// Forms on a page: the controls' initial state, radio groups, reset, and the
// request a submission makes (what a server receives).
#include "view/ViewFixture.h"

#include "content/CMimeDynamicLoad.h"
#include "ui/headless/CHeadlessFormControl.h"
#include "view/CFormControlMap.h"
#include "view/CFormSubmission.h"

#include <algorithm>

namespace {

std::string FormPage(const std::string& form) {
    return "<html><title>Form</title><body>" + form + "</body></html>";
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The query's pairs, sorted: for checks that do not depend on the order.
std::vector<std::string> SortedPairs(std::string_view query) {
    std::vector<std::string> pairs;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = std::min(query.find('&', start), query.size());
        pairs.emplace_back(query.substr(start, end - start));
        start = end + 1;
    }
    std::ranges::sort(pairs);
    return pairs;
}

class FormTest : public ViewTest {
protected:
    // Each page has an address of its own, so that showing the next one
    // always loads it afresh.
    void Show(const std::string& form) {
        m_shown = "form" + std::to_string(++m_pages) + ".html";
        NavigateAndSettle(WritePage(m_shown, FormPage(form)));
        ASSERT_EQ(ShownUrl(), UrlOf(m_shown));
    }

    // The nth control made for a field called name.
    CHeadlessFormControl& Control(std::string_view name, size_t nth = 0) {
        for (CHeadlessFormControl* control : m_window.FormControls())
            if (control->Name() == name && nth-- == 0)
                return *control;
        ADD_FAILURE() << "no control " << name;
        return *m_window.FormControls().at(0);
    }
    CHeadlessFormControl& OfKind(FormControlKind kind) {
        for (CHeadlessFormControl* control : m_window.FormControls())
            if (control->Kind() == kind)
                return *control;
        ADD_FAILURE() << "no control of that kind";
        return *m_window.FormControls().at(0);
    }
    // A click through the window, as the mouse gives it.
    void ClickOn(const CHeadlessFormControl& control) {
        m_window.Click(WindowPointOf(control.Rect()));
    }
    void Submit() { ClickOn(OfKind(FormControlKind::DefaultPushButton)); }

    // What the document was asked to load; empty when nothing.
    NavigateRequest Sent() const {
        CMimeDynamicLoad* load = m_document->MainLoad();
        if (!load)
            return {};
        return {.url = load->Url(),
                .method = load->GetMethod(),
                .headers = load->Headers(),
                .postData = load->PostData()};
    }
    // The query the last GET submission added to t.html.
    std::string Query() const {
        std::string url = Sent().url;
        std::string start = UrlOf("t.html") + "?";
        EXPECT_TRUE(url.starts_with(start)) << url;
        return url.starts_with(start) ? url.substr(start.size()) : std::string();
    }

    int m_pages = 0;
    std::string m_shown;
};

TEST(FormControlMapTest, VisitsBucketsInOrderNewestFirstWithinABucket) {
    CFormControlMap map;
    // Keys at the edges of buckets: 15|16 part buckets 0 and 1; 271 is the
    // last key of bucket 16 and 272 wraps round to bucket 0.
    const uint32_t keys[] = {0, 15, 16, 271, 272, 288};
    uint32_t id = 10000;
    for (uint32_t key : keys) {
        auto record = std::make_unique<CFormControlRecord>();
        record->commandId = id++;
        map.Insert(key, std::move(record));
    }
    std::vector<uint32_t> order;
    map.ForEach([&](const CFormControlRecord& record) { order.push_back(record.commandId); });
    // 272, 15, 0 | 288, 16 | 271
    EXPECT_EQ(order, (std::vector<uint32_t>{10004, 10001, 10000, 10005, 10002, 10003}));
    EXPECT_EQ(map.Find(271)->commandId, 10003u);
    EXPECT_EQ(map.FindByCommand(10005), map.Find(288));
    EXPECT_EQ(map.Find(17), nullptr);
}

TEST(FormSubmissionTest, EncodingKeepsOnlyLettersDigitsAndThreeMarks) {
    struct Case {
        std::string text, encoded;
    } cases[] = {
        {"AZaz09_.-", "AZaz09_.-"},
        // The neighbours of each range that stays.
        {"@[`{/:", "%40%5B%60%7B%2F%3A"},
        {"a b&c", "a+b%26c"},
        {"+%=?~*", "%2B%25%3D%3F%7E%2A"},
        {"\r\n\t", "%0D%0A%09"},
        {std::string("\x00\x7F\x80\xAB\xFF", 5), "%00%7F%80%AB%FF"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeFormText(c.text), c.encoded) << c.text;
}

TEST(FormSubmissionTest, BodiesForHttpAndMailActions) {
    const std::vector<FormPair> pairs = {{"a b", "1&2"}, {"", "x y"}, {"c", ""}};
    EXPECT_EQ(FormBody("http://h/", pairs), "a+b=1%262&x+y&c=");
    EXPECT_EQ(FormBody("http://h/", {}), "");
    // Mail takes the pairs as they are, one line each.
    EXPECT_EQ(FormBody("mailto:me@h", pairs), "a b 1&2\r\n x y\r\nc \r\n");
    EXPECT_EQ(FormBody("MailTo:me@h", pairs), "a b 1&2\r\n x y\r\nc \r\n");
    EXPECT_EQ(FormBody("mailt:me@h", {{"a", "b"}}), "a=b");
}

TEST(FormSubmissionTest, RequestsByMethod) {
    NavigateRequest get = FormRequest({.action = "http://h/p?q=1", .enctype = "", .method = 0}, "");
    EXPECT_EQ(get.url, "http://h/p?q=1?");
    EXPECT_EQ(get.method, Method::Get);
    EXPECT_TRUE(get.headers.empty() && get.postData.empty());

    NavigateRequest post = FormRequest(
        {.action = "http://h/p", .enctype = "application/x-www-form-urlencoded", .method = 2},
        "a=1");
    EXPECT_EQ(post.url, "http://h/p");
    EXPECT_EQ(post.method, Method::Post);
    EXPECT_EQ(post.headers,
              "Content-type: application/x-www-form-urlencoded\r\nContent-length: 3\r\n");
    EXPECT_EQ(post.postData, "a=1");
    EXPECT_EQ(post.as, NavigateAs::NewRequest);

    // A page cannot add header lines or start the body through its enctype.
    for (std::string enctype : {"text/plain\r\nX-Added: 1", "text/plain\nX-Added: 1",
                                "text/plain\r\rX-Added: 1", "text/plain\r\n\r\nbody"}) {
        NavigateRequest made =
            FormRequest({.action = "http://h/", .enctype = enctype, .method = 2}, "");
        EXPECT_EQ(std::ranges::count(made.headers, '\n'), 2) << made.headers;
        EXPECT_EQ(std::ranges::count(made.headers, '\r'), 2) << made.headers;
    }
}

TEST_F(FormTest, GetAddsAQuestionMarkAlways) {
    struct Case {
        std::string action, url;
    } cases[] = {{"t.html", UrlOf("t.html") + "?"}, {"t.html?a=1", UrlOf("t.html") + "?a=1?"}};
    for (const Case& c : cases) {
        Show("<form action=\"" + c.action + "\"><input type=submit></form>");
        Submit();
        EXPECT_EQ(Sent().url, c.url);
        EXPECT_EQ(Sent().method, Method::Get);
    }
}

TEST_F(FormTest, ValuesAreEncoded) {
    // Values are taken as written, entities and all.
    Show("<form action=\"t.html\"><input type=hidden name=\"a b\" value=\"x y&z&amp;\xE9\xAB\">"
         "<input type=submit></form>");
    Submit();
    EXPECT_EQ(Query(), "a+b=x+y%26z%26amp%3B%E9%AB");
}

TEST_F(FormTest, PairsFollowTheMapsOrderNotTheDocuments) {
    // Enough fields to fill several buckets.
    std::string fields;
    for (int i = 0; i < 40; ++i)
        fields +=
            "<input type=hidden name=f" + std::to_string(i) + " value=" + std::to_string(i) + ">";
    Show("<form action=\"t.html\">" + fields + "<input type=submit></form>");
    // Bucket by bucket; within one, the field made last comes first.
    std::vector<std::pair<size_t, std::string>> places;
    for (const auto& place : m_view->CurrentLayout()->FormControlPlaces())
        if (place.item->fieldType == FieldType::Hidden)
            places.emplace_back(CFormControlMap::BucketOf(place.item->elementSerial),
                                place.item->name + "=" + place.item->value);
    std::ranges::reverse(places);
    std::ranges::stable_sort(places, {}, &std::pair<size_t, std::string>::first);
    std::string expected;
    for (const auto& [bucket, pair] : places)
        expected += (expected.empty() ? "" : "&") + pair;
    ASSERT_NE(places.front().first, places.back().first);
    Submit();
    EXPECT_EQ(Query(), expected);
}

TEST_F(FormTest, SelectListsWithoutASelectionSendTheirFirstOption) {
    Show("<form action=\"t.html\">"
         "<select name=d><option value=d1>D1<option>D2</select>"
         "<select name=l size=3><option value=l1>L1<option>L2</select>"
         "<select name=m multiple><option value=m1>M1<option>M2</select>"
         "<select name=two multiple><option>T1<option selected>T2<option selected>T3</select>"
         "<select name=last><option>A<option selected>B<option selected>C<option>D</select>"
         "<input type=submit></form>");
    EXPECT_EQ(Control("l").GetCurrentIndex(), -1); // a single list starts with none
    EXPECT_TRUE(Control("m").IsSelected(0));
    EXPECT_EQ(Control("last").GetCurrentIndex(), 2); // the last selected wins
    Submit();
    EXPECT_EQ(SortedPairs(Query()),
              (std::vector<std::string>{"d=d1", "l=l1", "last=C", "m=m1", "two=T2", "two=T3"}));
}

TEST_F(FormTest, MaxlengthCutsOnlyWhatIsSent) {
    struct Case {
        std::string attributes, typed, sent;
    } cases[] = {
        {"maxlength=5", "abcd", "abcd"},
        {"maxlength=5", "abcde", "abcde"},
        {"maxlength=5", "abcdef", "abcde"},
        {"maxlength=0", "ab", ""},
        {"", "abcdefghij", "abcdefghij"},
        {"maxlength=5 value=abcdefg", "", "abcde"},
        {"type=password maxlength=2", "xyz", "xy"},
    };
    for (const Case& c : cases) {
        Show("<form action=\"t.html\"><input name=n " + c.attributes +
             "><input type=submit></form>");
        CHeadlessFormControl& field = Control("n");
        ClickOn(field);
        ASSERT_EQ(m_window.FocusedControl(), &field);
        field.TypeText(c.typed);
        // The field itself takes every character.
        EXPECT_GE(field.GetText().size(), c.typed.size());
        Submit();
        EXPECT_EQ(Query(), "n=" + c.sent) << c.attributes << " " << c.typed;
    }
}

TEST_F(FormTest, RadioButtonsOfTwoFormsWithOneNameAreOneGroup) {
    Show("<form action=\"t.html\"><input type=radio name=r value=a><input type=radio name=r "
         "value=b></form><form action=\"t.html\"><input type=radio name=r value=c checked>"
         "<input type=radio name=other value=o checked></form>");
    auto checks = [&] {
        return std::vector<bool>{Control("r", 0).GetCheck(), Control("r", 1).GetCheck(),
                                 Control("r", 2).GetCheck(), Control("other").GetCheck()};
    };
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, true, true}));
    ClickOn(Control("r", 0));
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, false, true}));
    ClickOn(Control("r", 2));
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, true, true}));
}

TEST_F(FormTest, AGroupWithNoneCheckedSendsOneRadioAndKeepsItChecked) {
    Show("<form action=\"t.html\"><input type=radio name=r value=1><input type=radio name=r "
         "value=2><input type=radio name=r value=3><input type=submit></form>");
    std::optional<NavigateRequest> first = m_view->FormControls().Submit(0);
    const size_t at = first->url.find("?r=");
    ASSERT_NE(at, std::string::npos) << first->url;
    const std::string value = first->url.substr(at + 3);
    ASSERT_EQ(value.size(), 1u) << first->url;
    const size_t chosen = static_cast<size_t>(value[0] - '1');
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Control("r", i).GetCheck(), i == chosen) << i;
    // Chosen now: a later submission sends the same one.
    EXPECT_EQ(m_view->FormControls().Submit(0)->url, first->url);
}

TEST_F(FormTest, ResetRestoresTextChecksAndRadiosButNotLists) {
    Show("<form action=\"t.html\"><input name=t value=start><textarea name=a>one\ntwo</textarea>"
         "<input type=checkbox name=c checked><input type=radio name=r value=1 checked>"
         "<input type=radio name=r value=2><select name=s><option>A<option>B</select>"
         "<input type=reset></form>");
    ClickOn(Control("t"));
    Control("t").TypeText(" more");
    Control("a").SetText("changed");
    ClickOn(Control("c"));
    ClickOn(Control("r", 1));
    Control("s").SetCurrentIndex(1);
    ASSERT_FALSE(Control("c").GetCheck());
    ASSERT_FALSE(Control("r", 0).GetCheck());
    ClickOn(OfKind(FormControlKind::PushButton));
    EXPECT_EQ(Control("t").GetText(), "start");
    EXPECT_EQ(Control("a").GetText(), "one\ntwo");
    EXPECT_TRUE(Control("c").GetCheck());
    EXPECT_TRUE(Control("r", 0).GetCheck());
    EXPECT_FALSE(Control("r", 1).GetCheck());
    EXPECT_EQ(Control("s").GetCurrentIndex(), 1);
    EXPECT_EQ(m_document->MainLoad(), nullptr);
}

TEST_F(FormTest, SearchableIndexSendsTheTextAlone) {
    Show("<isindex>");
    CHeadlessFormControl& field = OfKind(FormControlKind::Edit);
    ClickOn(field);
    field.TypeText("two words&");
    field.PressKey("Return");
    EXPECT_EQ(Sent().url, UrlOf(m_shown) + "?two+words%26");
}

TEST_F(FormTest, EnterSubmitsALoneTextFieldOrAFormWithAButton) {
    struct Case {
        std::string form;
        bool submits;
    } cases[] = {
        {"<input name=a>", true},
        {"<input name=a><input name=b>", false},
        {"<input name=a><input type=password name=b><input type=submit>", true},
        {"<input name=a><textarea name=b></textarea>", true},
    };
    for (const Case& c : cases) {
        Show("<form action=\"t.html\">" + c.form + "</form>");
        CHeadlessFormControl& field = Control("a");
        ClickOn(field);
        field.PressKey("Return");
        EXPECT_EQ(m_document->MainLoad() != nullptr, c.submits) << c.form;
    }
}

TEST_F(FormTest, PostSendsTypeLengthAndBody) {
    Show("<form action=\"t.html\" method=post><input type=hidden name=n value=\"a b\">"
         "<input type=submit></form>");
    Submit();
    NavigateRequest sent = Sent();
    EXPECT_EQ(sent.url, UrlOf("t.html"));
    EXPECT_EQ(sent.method, Method::Post);
    EXPECT_EQ(sent.headers,
              "Content-type: application/x-www-form-urlencoded\r\nContent-length: 5\r\n");
    EXPECT_EQ(sent.postData, "n=a+b");
}

TEST_F(FormTest, AnEnctypeCannotAddHeaderLines) {
    Show("<form action=\"t.html\" method=post enctype=\"text/plain\r\nX-Added: 1\">"
         "<input type=hidden name=n value=v><input type=submit></form>");
    Submit();
    EXPECT_EQ(Sent().headers, "Content-type: text/plainX-Added: 1\r\nContent-length: 3\r\n");
}

TEST_F(FormTest, MailActionsGetOneLinePerPair) {
    struct Case {
        std::string form;
        NavigateRequest request;
    } cases[] = {
        {"<form action=\"mailto:me@example.com\" method=post>",
         {.url = "mailto:me@example.com",
          .method = Method::Post,
          .headers = "Content-type: application/x-www-form-urlencoded\r\nContent-length: 9\r\n",
          .postData = "n a b&c\r\n"}},
        {"<form action=\"MAILTO:me@example.com\">", {.url = "MAILTO:me@example.com?n a b&c\r\n"}},
    };
    for (const Case& c : cases) {
        Show(c.form + "<input type=hidden name=n value=\"a b&c\"><input type=submit></form>");
        std::optional<NavigateRequest> made = m_view->FormControls().Submit(0);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->url, c.request.url);
        EXPECT_EQ(made->method, c.request.method);
        EXPECT_EQ(made->headers, c.request.headers);
        EXPECT_EQ(made->postData, c.request.postData);
    }
}

TEST_F(FormTest, ButtonsWorkWhateverTheirPlaceOnThePage) {
    // Identifiers run from 10000, one per field: after n hidden fields the
    // first radio takes 10000 + n and the submit button 10000 + n + 2.
    for (int n : {997, 998, 999, 1000, 1001, 1100}) {
        Show("<form action=\"t.html\">" + Repeat("<input type=hidden name=h value=x>", n) +
             "<input type=radio name=r value=1><input type=radio name=r value=2 checked>"
             "<input type=submit>" +
             Repeat("<input type=hidden name=h value=x>", 1500 - n - 3) + "</form>");
        size_t fields = 0;
        m_view->FormControls().ForEachInDocumentOrder([&](const CFormControlRecord&) { ++fields; });
        ASSERT_EQ(fields, 1500u);
        CHeadlessFormControl& radio = Control("r");
        radio.Click();
        EXPECT_TRUE(radio.GetCheck()) << n;
        EXPECT_FALSE(Control("r", 1).GetCheck()) << n;
        OfKind(FormControlKind::DefaultPushButton).Click();
        ASSERT_NE(m_document->MainLoad(), nullptr) << n;
        EXPECT_NE(Query().find("r=1"), std::string::npos) << n;
    }
}

TEST_F(FormTest, AClickActsOnAControlExactlyWithinItsRectangle) {
    Show("<form action=\"t.html\"><input type=checkbox name=c></form>");
    CHeadlessFormControl& box = Control("c");
    const CRect r = box.Rect();
    ASSERT_FALSE(r.IsEmpty());
    struct Case {
        CPoint document;
        bool toggles;
    } cases[] = {
        {{r.left, r.top}, true},          {{r.right - 1, r.bottom - 1}, true},
        {{r.left - 1, r.top}, false},     {{r.left, r.top - 1}, false},
        {{r.right, r.bottom - 1}, false}, {{r.right - 1, r.bottom}, false},
    };
    for (const Case& c : cases) {
        const bool before = box.GetCheck();
        const CPoint scroll = m_window.ScrollPosition();
        m_window.Click({c.document.x - scroll.x, c.document.y - scroll.y});
        EXPECT_EQ(box.GetCheck() != before, c.toggles) << c.document.x << "," << c.document.y;
    }
}

TEST_F(FormTest, ARelayoutMovesTheControlsAndKeepsWhatWasTyped) {
    Show("<form action=\"t.html\"><p>" + Repeat("words before the field ", 8) +
         "<input name=n><input type=checkbox name=c></p></form>");
    CHeadlessFormControl* field = &Control("n");
    const CRect wide = field->Rect();
    ClickOn(*field);
    field->TypeText("typed");
    m_window.Resize({200, 300});
    Settle();
    ASSERT_EQ(m_window.FormControls().size(), 2u);
    EXPECT_EQ(m_window.FormControls()[0], field);
    EXPECT_EQ(field->GetText(), "typed");
    // Where the new layout put it.
    for (const auto& place : m_view->CurrentLayout()->FormControlPlaces()) {
        if (place.item->name == "n") {
            EXPECT_EQ(field->Rect(), place.rect);
        }
    }
    EXPECT_GT(field->Rect().top, wide.top);
}

TEST_F(FormTest, ControlsAreMovedNotRemadeWhenThePageScrolls) {
    Show(Repeat("<p>Line</p>", 40) + "<form action=\"t.html\"><input name=n value=v></form>");
    CHeadlessFormControl* before = &Control("n");
    const CRect rect = before->Rect();
    m_window.ScrollTo({0, 100});
    Settle();
    ASSERT_EQ(m_window.FormControls().size(), 1u);
    EXPECT_EQ(m_window.FormControls()[0], before);
    EXPECT_EQ(before->Rect(), rect); // document coordinates do not move
    m_window.Click(WindowPointOf(rect));
    EXPECT_EQ(m_window.FocusedControl(), before);
}

} // namespace
