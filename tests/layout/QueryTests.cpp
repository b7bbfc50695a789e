#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutLinks, LinkTextIsFoundAtItsPlace) {
    LaidOutPage page = LayOut(
        "<p>plain <a href=\"next.html\" target=main>go there</a> after <a href=#part>inside</a>");
    SeenItem link = TextItem(*page.engine, "go there");
    EXPECT_EQ(link.type, DisplayItemType::LinkText);
    CLayoutEngine::LinkedItem found =
        page.engine->LinkedItemAt(link.rect.left + 2, link.rect.top + 2);
    ASSERT_EQ(found.item, link.item);
    EXPECT_EQ(found.rect, link.rect);
    const CDisplayItem* hit = found.item;
    CLinkRecord* record = hit->LinkAt(0, 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Address(), "http://host/dir/next.html");
    EXPECT_EQ(record->target, "main");
    CLinkRecord* within = TextItem(*page.engine, "inside").item->LinkAt(0, 0);
    ASSERT_NE(within, nullptr);
    EXPECT_EQ(within->href, "#part");
    EXPECT_EQ(within->Address(), "http://host/dir/page.html#part");
    // The item's own rectangle, right and bottom exclusive, and nothing round it.
    const CRect r = link.rect;
    const struct {
        int32_t x, y;
        bool hit;
    } points[] = {
        {r.left, r.top, true},   {r.right - 1, r.bottom - 1, true}, {r.left - 1, r.top, false},
        {r.right, r.top, false}, {r.left, r.top - 1, false},        {r.left, r.bottom, false},
    };
    for (const auto& p : points)
        EXPECT_EQ(page.engine->LinkedItemAt(p.x, p.y).item, p.hit ? link.item : nullptr)
            << p.x << "," << p.y;
    SeenItem plain = TextItem(*page.engine, "plain");
    EXPECT_EQ(page.engine->LinkedItemAt(plain.rect.left + 1, plain.rect.top + 1).item, nullptr);
    EXPECT_EQ(plain.item->LinkAt(0, 0), nullptr);
    // A layout may still be painted and clicked after its document is gone:
    // the addresses live as long as the layout.
    page.object.reset();
    EXPECT_EQ(record->Address(), "http://host/dir/next.html");
    EXPECT_EQ(record->target, "main");
    EXPECT_EQ(within->Address(), "http://host/dir/page.html#part");
}

TEST(LayoutLinks, ImagesKnowTheirSource) {
    LaidOutPage page = LayOut("<img src=a.gif width=5 height=5>");
    SeenItem image = ItemsOfType(*page.engine, DisplayItemType::Image).at(0);
    ASSERT_NE(image.item->ImageSource(), nullptr);
    EXPECT_EQ(*image.item->ImageSource(), "http://host/dir/a.gif");
}

TEST(LayoutAnchors, NamedAnchorsAnswerTheTopOfTheirLine) {
    LaidOutPage page = LayOut("<p>one</p><p><a name=Here>two</a></p>");
    EXPECT_EQ(page.engine->NamedAnchor("Here"), TextItem(*page.engine, "two").rect.top);
    EXPECT_EQ(page.engine->NamedAnchor("here"), -1);
}

TEST(LayoutForms, ControlsAreSizedInDialogUnitsAndJoinTheirForm) {
    LaidOutPage page = LayOut("<form action=/go method=post><input name=q size=10>"
                              "<input type=submit value=Go><input type=checkbox name=c>"
                              "<textarea rows=3 cols=20></textarea>"
                              "<select name=s><option>a very long option</select></form>");
    auto forms = page.engine->FormRecords();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(forms[0]->action, "http://host/go");
    EXPECT_EQ(forms[0]->method, 2u);
    ASSERT_EQ(forms[0]->controls.size(), 5u);
    auto widthOf = [&](size_t i) { return forms[0]->controls[i]->GetRect().Width(); };
    auto heightOf = [&](size_t i) { return forms[0]->controls[i]->GetRect().Height(); };
    EXPECT_EQ(widthOf(0), (10 * 5 + 4) * 8 / 4);
    EXPECT_EQ(heightOf(0), 16 * 13 / 8);
    EXPECT_EQ(widthOf(1), (2 * 4 + 10) * 8 / 4);
    EXPECT_EQ(widthOf(2), 16);
    EXPECT_EQ(heightOf(2), 16);
    EXPECT_EQ(widthOf(3), (20 * 5 + 4) * 8 / 4);
    EXPECT_EQ(heightOf(3), (3 * 8 + 13) * 8 / 8);
    EXPECT_EQ(widthOf(4), (18 * 5 + 8) * 8 / 4);
    EXPECT_EQ(forms[0]->controls[0]->name, "q");
    EXPECT_EQ(forms[0]->controls[0]->form, forms[0]);
}

TEST(LayoutFrames, AFrameSetTreeIsReadyAtItsEnd) {
    LaidOutPage page = LayOut("<frameset rows=\"20%,*\"><frame src=a.html name=top>"
                              "<frameset cols=100><frame src=b.html><frame src=c.html>"
                              "</frameset></frameset>");
    ASSERT_TRUE(page.engine->FrameSetReady());
    const CFrameRecord* root = page.engine->RootFrameSet();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->orientation, 1u);
    EXPECT_EQ(root->sizes, (std::vector<int32_t>{-20, 0}));
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->source, "http://host/dir/a.html");
    EXPECT_EQ(root->children[0]->name, "top");
    const CFrameRecord& inner = *root->children[1];
    EXPECT_EQ(inner.parent, root);
    ASSERT_EQ(inner.children.size(), 2u);
    // One size given for two children: the second is padded with 0.
    EXPECT_EQ(inner.sizes, (std::vector<int32_t>{100, 0}));
}

TEST(LayoutFrames, NoFrameSetMeansNotReady) {
    LaidOutPage page = LayOut("<p>text");
    EXPECT_FALSE(page.engine->FrameSetReady());
    EXPECT_EQ(page.engine->RootFrameSet(), nullptr);
}

TEST(LayoutObjects, InlineEmbedsBecomeObjectItems) {
    LaidOutPage page = LayOut("<embed src=c.opf width=40 height=20><embed src=d.opf "
                              "placement=floating width=5 height=5>");
    auto objects = page.engine->EmbeddedObjects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->source, "http://host/dir/c.opf");
    EXPECT_EQ(objects[0]->GetRect().Width(), 40);
    EXPECT_EQ(page.resources->Requests()["http://host/dir/c.opf"], 10u);
}

TEST(LayoutQueries, ItemsInARectangleMatchAFullWalk) {
    std::string html;
    for (int i = 0; i < 80; ++i)
        html += "<p>paragraph " + std::to_string(i) + "</p>";
    html += "<table border><tr><td>cell a<td>cell b</table>";
    LaidOutPage page = LayOut(html);
    auto all = Items(*page.engine);
    for (int32_t top = 0; top < page.engine->GetExtent().y; top += 97) {
        CRect area{20, top, 300, top + 120};
        std::vector<const CDisplayItem*> expected;
        for (const SeenItem& item : all) {
            const CRect& r = item.rect;
            if (r.left < area.right && area.left < r.right && r.top < area.bottom &&
                area.top < r.bottom)
                expected.push_back(item.item);
        }
        std::vector<const CDisplayItem*> found;
        page.engine->ForEachItemIn(area, [&](const CDisplayItem& item) { found.push_back(&item); });
        std::sort(expected.begin(), expected.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << "area at " << top;
    }
}

TEST(LayoutQueries, NewItemsAreReportedOnce) {
    LaidOutPage page = LayOut("<p>hello</p>");
    auto area = page.engine->TakeNewItemsArea();
    ASSERT_TRUE(area.has_value());
    SeenItem hello = TextItem(*page.engine, "hello");
    EXPECT_EQ(area->Intersect(hello.rect), hello.rect);
    EXPECT_FALSE(page.engine->TakeNewItemsArea().has_value());
}

TEST(LayoutQueries, AStoppedEngineRunsNoMorePasses) {
    auto object = ParseHtml("<p>text</p>");
    CFakeResources resources;
    auto engine = MakeEngine(*object, &resources);
    engine->Stop();
    EXPECT_FALSE(engine->Pass());
    EXPECT_TRUE(Items(*engine).empty());
}

} // namespace
