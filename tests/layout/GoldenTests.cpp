#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Each page in golden/ has the dump a person checked beside it; set
// VESTRIAL_UPDATE_GOLDEN=1 to write the dumps afresh after a deliberate change.
TEST(LayoutGolden, DumpsMatchTheCheckedOnes) {
    for (const char* name : {"small-page"}) {
        SCOPED_TRACE(name);
        // Joined as a path: GCC 12 misreads the bounds of a long literal's
        // temporary when strings are added.
        const std::filesystem::path base = std::filesystem::path(VESTRIAL_LAYOUT_GOLDEN) / name;
        LaidOutPage page = LayOut(ReadFile(base.string() + ".html"), 400);
        const std::string dump = Dump(*page.engine);
        if (std::getenv("VESTRIAL_UPDATE_GOLDEN")) {
            std::ofstream(base.string() + ".jsonl", std::ios::binary) << dump;
            continue;
        }
        EXPECT_EQ(dump, ReadFile(base.string() + ".jsonl"));
    }
}

} // namespace
