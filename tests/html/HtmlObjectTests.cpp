#include "content/CRegistryTables.h"
#include "html/CSingleElementObject.h"
#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(HtmlObject, RegisteredForHtmlAndPlainText) {
    ContentTypeRegistration registration = RegisterHtmlType();
    auto always = [](const ContentTypeEntry&) { return true; };
    for (const char* type : {"text/html", "TEXT/HTML; charset=x", "text/plain", "text/htmlx"}) {
        const ContentTypeEntry* entry = ContentTypeTable().Best(type, always);
        ASSERT_NE(entry, nullptr) << type;
        EXPECT_EQ(entry->caps, Caps::Document);
        EXPECT_EQ(entry->acceptText,
                  "text/html;version=3.0, text/html;version=2.0, text/html, text/plain");
        auto object = entry->creator("http://h/", type);
        EXPECT_NE(dynamic_cast<CHtmlObject*>(object.get()), nullptr) << type;
    }
    const ContentTypeEntry* other = ContentTypeTable().Best("image/gif", always);
    EXPECT_TRUE(other == nullptr || other->acceptText != "text/html;version=3.0, "
                                                         "text/html;version=2.0, text/html, "
                                                         "text/plain");
}

TEST(HtmlObject, WriteAnswersContinueUntilTheFramesetEnds) {
    CHtmlObject object("http://h/", "text/html");
    EXPECT_EQ(object.Write("<frameset cols=*>", 17), Status::Continue);
    EXPECT_EQ(object.Write("</frameset>", 11), Status::Complete);
    EXPECT_EQ(object.Write("more", 4), Status::Complete);
    EXPECT_EQ(object.EndOfData(), Status::Complete);
}

TEST(HtmlObject, FailedLoadEndsFailed) {
    CHtmlObject object("http://h/", "text/html");
    object.SetStatus(Status::Failed);
    EXPECT_EQ(object.EndOfData(), Status::Failed);
}

TEST(HtmlObject, ReaderPositions) {
    ParsedDocument parsed = Parse("<b>a</b><br>b");
    ASSERT_EQ(parsed.elements.size(), 4u);
    for (const CHtmlElement* element : parsed.elements) {
        ElementPosition position = parsed.object->IndexOfElement(element);
        ASSERT_NE(position, 0u);
        EXPECT_EQ(parsed.object->GetNextElement(position), element);
    }
    CBareElement stranger(ElementKind::LineEnd);
    EXPECT_EQ(parsed.object->IndexOfElement(&stranger), 0u);
    ElementPosition end = 0;
    EXPECT_EQ(parsed.object->GetNextElement(end), nullptr);
    EXPECT_EQ(end, 0u);
}

TEST(HtmlObject, EmptyDocumentHasNoElementsUntilItEnds) {
    CHtmlObject object("http://h/", "text/html");
    EXPECT_EQ(object.GetFirstElementPosition(), 0u);
    EXPECT_EQ(object.GetTextStore().Length(), 0u);
}

std::vector<const CHtmlElement*> Walk(CHtmlObject& object) {
    std::vector<const CHtmlElement*> elements;
    ElementPosition position = object.GetFirstElementPosition();
    while (position)
        elements.push_back(object.GetNextElement(position));
    return elements;
}

TEST(HtmlObject, ABlocksElementsAreShownWhenItsWriteReturns) {
    CHtmlObject object("http://h/", "text/html");
    object.Write("<p>one", 6);
    std::vector<const CHtmlElement*> first = Walk(object);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0]->kind, ElementKind::BlockStart);
    ASSERT_EQ(first[1]->kind, ElementKind::Text);
    const auto* one = static_cast<const CTextElement*>(first[1]);
    EXPECT_EQ(object.GetTextStore().Copy(one->startOffset, one->characterCount), "one");

    object.Write(" two<b", 6); // the tag is still open: only the text is new
    std::vector<const CHtmlElement*> second = Walk(object);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0], first[0]);
    const auto* two = static_cast<const CTextElement*>(second[2]);
    EXPECT_EQ(object.GetTextStore().Copy(two->startOffset, two->characterCount), " two");
}

// A reader that resumes after the last element it saw, as layout does.
struct ResumingReader {
    std::vector<const CHtmlElement*> seen;
    void CatchUp(CHtmlObject& object) {
        ElementPosition position = object.GetFirstElementPosition();
        if (!seen.empty()) {
            position = object.IndexOfElement(seen.back());
            (void)object.GetNextElement(position);
        }
        while (position)
            seen.push_back(object.GetNextElement(position));
    }
};

TEST(HtmlObject, EveryWriteShowsAPrefixOfTheFinalList) {
    for (const std::string& name : CorpusFiles()) {
        std::string page = ReadCorpusFile(name);
        for (size_t piece : {1, 2, 3, 7, 13, 64, 333}) {
            CHtmlObject object("http://host/page.html", "text/html");
            ResumingReader reader;
            for (size_t at = 0; at < page.size(); at += piece) {
                (void)object.Write(page.data() + at, std::min(piece, page.size() - at));
                reader.CatchUp(object);
            }
            (void)object.EndOfData();
            reader.CatchUp(object);
            EXPECT_EQ(reader.seen, Walk(object)) << name << " in pieces of " << piece;
        }
    }
}

// Layout and the UI thread walk the list while the worker parses, without
// the object's lock, resuming after the last element they saw. Every walk must
// see the records in their final order, each one complete, and every text
// element's characters must already be in the store.
TEST(HtmlObject, ReadersWalkTheListWhileTheParserAppends) {
    std::string page;
    for (int copy = 0; copy < 20; ++copy)
        for (const std::string& name : CorpusFiles())
            if (name != "frames.html")
                page += ReadCorpusFile(name);
    CHtmlObject object("http://host/page.html", "text/html");
    std::atomic<bool> ended{false};
    ResumingReader walker;
    size_t textMissing = 0;
    std::thread reader([&] {
        CTextStore text = object.GetTextStore();
        for (;;) {
            bool finalWalk = ended.load();
            size_t known = walker.seen.size();
            walker.CatchUp(object);
            for (size_t i = known; i < walker.seen.size(); ++i) {
                if (walker.seen[i]->kind != ElementKind::Text)
                    continue;
                const auto* run = static_cast<const CTextElement*>(walker.seen[i]);
                if (text.Copy(run->startOffset, run->characterCount).size() != run->characterCount)
                    ++textMissing;
            }
            if (finalWalk)
                return;
            std::this_thread::yield();
        }
    });
    constexpr size_t Piece = 700;
    for (size_t at = 0; at < page.size(); at += Piece)
        object.Write(page.data() + at, std::min(Piece, page.size() - at));
    object.EndOfData();
    ended = true;
    reader.join();

    std::vector<const CHtmlElement*> all = Walk(object);
    EXPECT_GT(all.size(), 1000u);
    EXPECT_EQ(all.back()->kind, ElementKind::EndOfDocument);
    EXPECT_EQ(walker.seen, all);
    EXPECT_EQ(textMissing, 0u);
}

TEST(SingleElementObject, PresentsAnImageAndALineEnd) {
    struct Image final : CSingleElementObject {
        Image() : CSingleElementObject("http://h/pic.gif", "image/gif", Caps::InlineImage) {}
        Status Write(const char*, size_t) override { return Status::Continue; }
        Status EndOfData() override { return Status::Complete; }
    } image;
    ElementPosition position = image.GetFirstElementPosition();
    EXPECT_EQ(position, 1u);
    const auto* first = static_cast<const CImageElement*>(image.GetNextElement(position));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, ElementKind::Image);
    EXPECT_EQ(first->source, "http://h/pic.gif");
    EXPECT_EQ(first->align, Align::Baseline);
    EXPECT_EQ(first->inlineFlag, 1u);
    EXPECT_EQ(position, 2u);
    const CHtmlElement* second = image.GetNextElement(position);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->kind, ElementKind::LineEnd);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(image.IndexOfElement(first), 1u);
    EXPECT_EQ(image.IndexOfElement(second), 2u);
    position = 7;
    EXPECT_EQ(image.GetNextElement(position), nullptr);
}

TEST(ElementDump, OneJsonObjectPerLine) {
    ParsedDocument parsed = Parse("<a href=x>caf&eacute; \"q\"</a><br clear=left>");
    std::string dump = CElementDump(*parsed.object).ToString();
    EXPECT_EQ(dump, "{\"kind\":2,\"href\":\"http://host/dir/x\",\"target\":\"\"}\n"
                    "{\"kind\":0,\"start_offset\":0,\"character_count\":3,\"text_style\":131,"
                    "\"text\":\"caf\"}\n"
                    "{\"kind\":0,\"start_offset\":3,\"character_count\":1,\"text_style\":131,"
                    "\"text\":\"\\u00e9\"}\n"
                    "{\"kind\":0,\"start_offset\":4,\"character_count\":4,\"text_style\":131,"
                    "\"text\":\" \\\"q\\\"\"}\n"
                    "{\"kind\":4098}\n"
                    "{\"kind\":8,\"clear_side\":1}\n"
                    "{\"kind\":24}\n");
}

} // namespace
