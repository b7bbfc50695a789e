#include "app/CContentHandlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ContentHandlers, SchemeRowsAreTriedInTheirOrderAndEachTakesOnlyItsOwnScheme) {
    CContentHandlers handlers;
    std::vector<std::string> names;
    for (const ProtocolEntry& entry : ProtocolTable().Entries())
        names.push_back(entry.displayName);
    EXPECT_EQ(names, (std::vector<std::string>{"HTTP", "HTTPS", "About", "File", "FTP", "Mailto"}));

    const std::pair<const char*, const char*> cases[] = {
        {"http://h/", "HTTP"},   {"HTTP://H/", "HTTP"},    {"https://h/", "HTTPS"},
        {"HTTPS://H/", "HTTPS"}, {"httpx://h/", nullptr},  {"http//h/", nullptr},
        {"https/h", nullptr},    {"about:blank", "About"}, {"MAILTO:a@b", "Mailto"},
        {"mailto", nullptr},
    };
    for (auto [url, row] : cases) {
        const ProtocolEntry* found = ProtocolTable().Best(url);
        ASSERT_EQ(found != nullptr, row != nullptr) << url;
        if (found) {
            EXPECT_EQ(found->displayName, row) << url;
        }
    }
}
