#include "layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
        const std::string base = (std::filesystem::path(VESTRIAL_LAYOUT_GOLDEN) / name).string();
        LaidOutPage page = LayOut(ReadFile(base + ".html"), 400);
        const std::string dump = Dump(*page.engine);
        if (std::getenv("VESTRIAL_UPDATE_GOLDEN")) {
            std::ofstream(base + ".jsonl", std::ios::binary) << dump;
            continue;
        }
        EXPECT_EQ(dump, ReadFile(base + ".jsonl"));
    }
}

} // namespace
