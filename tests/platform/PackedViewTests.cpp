#include "platform/CPackedView.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A packed view gives back the very characters it was made from (the same
// address, the same length), whatever their place and length, and compares
// as a view does.
TEST(PackedView, GivesBackTheViewItWasMadeFrom) {
    const std::string text = "http://host/dir/page.html#part";
    for (size_t at : {size_t{0}, size_t{1}, size_t{7}, text.size()}) {
        for (size_t length : {size_t{0}, size_t{1}, text.size() - at}) {
            if (at + length > text.size())
                continue;
            const std::string_view view(text.data() + at, length);
            const CPackedView packed(view);
            EXPECT_EQ(packed.View().data(), view.data()) << at << " " << length;
            EXPECT_EQ(packed.size(), length);
            EXPECT_EQ(packed.empty(), length == 0);
            EXPECT_TRUE(packed == view);
            EXPECT_EQ(static_cast<std::string_view>(packed), view);
        }
    }
    EXPECT_TRUE(CPackedView() == "");
    EXPECT_FALSE(CPackedView("ab") == "abc");
    EXPECT_FALSE(CPackedView("abc") == "ab");
}

} // namespace
