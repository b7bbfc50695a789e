#include "document/DocumentFixture.h"

#include "platform/CStringTable.h"
#include "platform/CThread.h"
#include "platform/StringIds.h"
#include "platform/UiThread.h"

#include <algorithm>

using Document = DocumentTest;

TEST_F(Document, FirstDocumentIsTopLevel) {
    EXPECT_TRUE(m_document.IsTopLevel());
    EXPECT_EQ(CTarnwickDoc::TopLevel(), &m_document);
    CTarnwickDoc frameDocument;
    EXPECT_FALSE(frameDocument.IsTopLevel());
}

TEST_F(Document, ShowableObjectBecomesTheDocument) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page#intro"});
    ASSERT_NE(m_document.ContentObject(), nullptr);
    EXPECT_EQ(m_document.ContentObject()->Url(), "gate:text/html/page");
    EXPECT_EQ(m_document.Fragment(), "intro");
    EXPECT_EQ(m_document.MainLoad(), nullptr);
    EXPECT_EQ(m_view.newDocuments, 1);
    EXPECT_EQ(m_frame.location, "gate:text/html/page#intro");
    EXPECT_EQ(m_frame.title, "gate:text/html/page#intro") << "no title: the address stands in";
    EXPECT_FALSE(m_frame.animating);
}

TEST_F(Document, NavigatingWhileLoadingCancelsAndEmptiesThePane) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/first"});
    m_gate.gate.Reset();
    m_document.Navigate({.url = "gate:text/html/slow"});
    EXPECT_EQ(m_document.ContentObject(), nullptr) << "the pane empties at once";
    EXPECT_TRUE(m_frame.animating);
    CMimeDynamicLoad* slow = m_document.MainLoad();
    ASSERT_NE(slow, nullptr);
    m_document.Navigate({.url = "gate:text/html/second"});
    EXPECT_EQ(Scheduler().ActiveCount(), 1u) << "the slow load was cancelled";
    m_gate.Open();
    RunUntil([&] { return m_document.ContentObject() != nullptr; });
    EXPECT_EQ(m_document.ContentObject()->Url(), "gate:text/html/second");
}

TEST_F(Document, FragmentLinkReusesThePageWithoutTransfer) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    CMimeObject* page = m_document.ContentObject();
    NavigateAndSettle({.url = "gate:text/html/page#section"});
    EXPECT_EQ(m_gate.transfers, 1);
    EXPECT_EQ(m_document.ContentObject(), page);
    EXPECT_EQ(m_document.Fragment(), "section");
}

TEST_F(Document, FailedLoadShowsItsMessageAndLeavesThePaneEmpty) {
    m_document.Navigate({.url = "about:nothing"});
    RunUntil([&] { return m_document.Idle(); });
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, FormatString(StringId::InvalidAboutName, {"about:nothing"}));
    EXPECT_EQ(m_document.ContentObject(), nullptr);
    EXPECT_EQ(m_view.newDocuments, 0);
}

TEST_F(Document, ActionTypeRunsOnceTheLoadEndsAndIsNeverShown) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    m_document.Navigate({.url = "ftp://ftp.example.org/"});
    RunUntil([&] { return m_document.Idle(); });
    ASSERT_EQ(m_ui.Shown().size(), 1u);
    EXPECT_EQ(m_ui.Shown()[0].text, "Launch ftp client");
    EXPECT_EQ(m_document.ContentObject(), nullptr) << "the pane was emptied as for any navigation";
    EXPECT_EQ(m_view.newDocuments, 1);
}

TEST_F(Document, MailtoLeavesTheShownPageInPlace) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    CMimeObject* page = m_document.ContentObject();
    m_document.Navigate({.url = "mailto:someone@example.org"});
    RunUntil([&] { return m_document.Idle(); });
    EXPECT_EQ(m_document.ContentObject(), page);
}

TEST_F(Document, InlineResourceIsLoadedOncePerUrl) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    int32_t width = 0, height = 0;
    EXPECT_FALSE(m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height));
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    // The size is known as soon as the worker has typed the response; the view
    // hears of it on the next pump pass.
    RunUntil([&] {
        return !m_view.inlineNotices.empty() &&
               m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height);
    });
    EXPECT_EQ(width, 7);
    EXPECT_EQ(m_gate.transfers, 2);
    CMimeObject* image = nullptr;
    EXPECT_TRUE(m_document.GetInlineObject("gate:image/gif/i.gif", image));
    EXPECT_NE(image, nullptr);
}

TEST_F(Document, FailedInlineResourceKeepsABrokenImagePlace) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    m_document.RequestInline("about:missing.gif", Caps::InlineImage);
    int32_t width = 0, height = 0;
    RunUntil([&] { return m_document.GetInlineImageSize("about:missing.gif", width, height); });
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    CMimeObject* image = nullptr;
    EXPECT_TRUE(m_document.GetInlineObject("about:missing.gif", image));
    EXPECT_EQ(image, nullptr);
}

namespace {

// A picture whose worker finishes it while the layout thread is between
// asking for its picture and asking for its status: once armed, the first
// HasImage sees none, and the picture and the end arrive before the answer.
class CLatePicture final : public CMimeObject {
public:
    CLatePicture(std::string url, std::string type)
        : CMimeObject(std::move(url), std::move(type), Caps::Document | Caps::InlineImage) {}
    Status Write(const char*, size_t) override { return Status::Continue; }
    Status EndOfData() override { return Status::Complete; }
    bool HasImage() override {
        m_asked = true;
        if (!m_armed || m_picture)
            return m_picture;
        m_picture = true;
        SetStatus(Status::Complete);
        return false;
    }
    void GetImageSize(int32_t& width, int32_t& height) override { width = height = 9; }

    std::atomic<bool> m_asked{false};
    std::atomic<bool> m_armed{false};

private:
    std::atomic<bool> m_picture{false};
};

} // namespace

TEST_F(Document, APictureThatArrivesWhileItsPlaceIsAskedForIsNotTakenForBroken) {
    std::atomic<CLatePicture*> made{nullptr};
    ContentTypeRegistration late = ContentTypeTable().Register(
        {PrefixMatcher("image/x-late"),
         [&made](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             auto picture = std::make_unique<CLatePicture>(url, type);
             made = picture.get();
             return picture;
         },
         Caps::Document | Caps::InlineImage, "image/x-late"});
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    m_gate.finish.Reset(); // the picture's transfer stays open
    const std::string url = "gate:image/x-late/p";
    m_document.RequestInline(url, Caps::InlineImage);
    int32_t width = 0, height = 0;
    // Until the document's load has the object, asking does not reach it.
    RunUntil([&] {
        EXPECT_FALSE(m_document.GetInlineImageSize(url, width, height));
        return made && made.load()->m_asked;
    });
    made.load()->m_armed = true;
    EXPECT_FALSE(m_document.GetInlineImageSize(url, width, height))
        << "it had no picture when its status was read";
    ASSERT_TRUE(m_document.GetInlineImageSize(url, width, height));
    EXPECT_EQ(width, 9) << "its own size, not the broken-image size";
    m_gate.finish.Set();
}

TEST_F(Document, InlineRequestWithoutPageIsRefused) {
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    int32_t width = 0, height = 0;
    EXPECT_TRUE(m_document.GetInlineImageSize("gate:image/gif/i.gif", width, height));
    EXPECT_EQ(width, 32);
    CMimeObject* image = nullptr;
    EXPECT_FALSE(m_document.GetInlineObject("gate:image/gif/i.gif", image));
    EXPECT_EQ(m_gate.transfers, 0);
    // Nothing will ever notify for it, so the refusal itself wakes whoever
    // waits; asking again changes nothing.
    EXPECT_EQ(m_view.refusals, 1);
    m_document.RequestInline("gate:image/gif/i.gif", Caps::InlineImage);
    EXPECT_EQ(m_view.refusals, 1);
}

TEST_F(Document, InlineRequestFromAnotherThreadIsServedOnceOnTheUiThread) {
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    MarkUiThread();
    {
        CThread layout([&] {
            m_document.RequestInline("gate:image/gif/t.gif", Caps::InlineImage);
            m_document.RequestInline("gate:image/gif/t.gif", Caps::InlineImage);
        });
    }
    int32_t width = 0, height = 0;
    RunUntil([&] { return m_document.GetInlineImageSize("gate:image/gif/t.gif", width, height); });
    RunUntil([&] { return m_document.Idle(); });
    EXPECT_EQ(m_gate.transfers, 2);
}

TEST_F(Document, EmptyDocumentIsUntitled) {
    m_document.UpdateTitle();
    EXPECT_EQ(m_frame.title, "Untitled");
    EXPECT_EQ(m_frame.location, "");
}

TEST_F(Document, AShownPageThatFailsSaysWhyInTheWindowAndAStoppedOneSaysNothing) {
    const std::string reset = "The connection was reset after 9 bytes.";
    struct Case {
        const char* failure; // the transfer's end after the page is shown
        bool stop;           // the user stops it first
        std::vector<std::string> said;
    } cases[] = {
        {"", false, {}},
        {reset.c_str(), false, {reset}},
        {"", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        m_frame.failures.clear();
        m_gate.finish.Reset();
        m_gate.failure = c.failure;
        m_gate.gate.Set();
        m_view.inlineNotices.clear();
        // A page of its own each time: the one before is in the object table.
        m_document.Navigate({.url = "gate:text/html/page" + std::to_string(&c - cases)});
        RunUntil([&] { return m_document.ContentObject() != nullptr; });
        EXPECT_TRUE(m_frame.failures.empty()) << "nothing has gone wrong yet";
        if (c.stop)
            m_document.StopAll();
        else
            m_gate.finish.Set();
        CDynamicLoad* shown = m_document.ShownLoad();
        RunUntil([&] {
            return std::ranges::any_of(m_view.inlineNotices, [&](const auto& notice) {
                return notice.load == shown && (notice.flags & Notify::Finished);
            });
        });
        EXPECT_EQ(m_frame.failures, c.said);
        EXPECT_NE(m_document.ContentObject(), nullptr) << "what arrived stays";
    }
}

TEST_F(Document, APageThatArrivesAndFailsAtOnceStillSaysWhy) {
    m_gate.failure = "The host closed the connection 1 byte short of the page.";
    m_gate.Open();
    NavigateAndSettle({.url = "gate:text/html/page"});
    RunUntil([&] { return !m_frame.failures.empty(); });
    EXPECT_EQ(m_frame.failures, std::vector<std::string>{m_gate.failure});
}
