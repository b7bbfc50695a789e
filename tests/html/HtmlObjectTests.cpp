#include "content/CRegistryTables.h"
#include "html/CSingleElementObject.h"
#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

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
