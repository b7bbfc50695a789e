#include "html/HtmlTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Two characters that a UTF-8 sequence becomes when its bytes are shown one
// by one as Windows-1252: "Ã" or "Â" before a sign of 0x80-0xBF, and "â€".
size_t DoubleEncodedPairs(std::string_view text) {
    size_t pairs = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const auto first = static_cast<uint8_t>(text[i]);
        const auto second = static_cast<uint8_t>(text[i + 1]);
        if (((first == 0xC3 || first == 0xC2) && second >= 0x80 && second <= 0xBF) ||
            (first == 0xE2 && second == 0x80))
            ++pairs;
    }
    return pairs;
}

std::string ReadWhole(const std::filesystem::path& path) {
    std::stringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

// The documentation pages of this machine written in UTF-8 beyond ASCII
// (valid as iconv reads them), in name order.
std::vector<std::filesystem::path> Utf8Pages() {
    std::vector<std::filesystem::path> pages;
    std::error_code error;
    const auto options = std::filesystem::directory_options::follow_directory_symlink |
                         std::filesystem::directory_options::skip_permission_denied;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", options, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string extension = it->path().extension().string();
        if (it->is_regular_file() && (extension == ".html" || extension == ".htm"))
            pages.push_back(it->path());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Every page is parsed as a page opened from disk (no charset named by a
// header): what it shows must hold no double-encoded pair that the page's
// text, turned into Windows-1252 by iconv, does not hold itself. CI looks
// at a sample; VESTRIAL_SHARE_DOC_ALL=1 (scripts/check_share_doc_text.sh)
// at every page.
TEST(ShareDocCorpus, Utf8PagesShowNoDoubleEncodedText) {
    const bool all = std::getenv("VESTRIAL_SHARE_DOC_ALL") != nullptr;
    constexpr size_t Sample = 20;
    size_t checked = 0;
    for (const auto& path : Utf8Pages()) {
        if (!all && checked == Sample)
            break;
        const std::string bytes = ReadWhole(path);
        if (std::ranges::none_of(bytes, [](char c) { return static_cast<uint8_t>(c) >= 0x80; }))
            continue;
        if (!Iconv("UTF-8", "UTF-8", bytes))
            continue; // not UTF-8: nothing to compare
        const std::optional<std::string> truth = Iconv("UTF-8", "WINDOWS-1252//TRANSLIT", bytes);
        ASSERT_TRUE(truth) << path;
        ParsedDocument parsed = Parse(bytes, 4096);
        const std::string shown = parsed.object->GetTitle() + "\n" + parsed.VisibleText();
        EXPECT_LE(DoubleEncodedPairs(shown), DoubleEncodedPairs(*truth)) << path;
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "no UTF-8 documentation pages on this machine";
    std::printf("%zu UTF-8 pages checked\n", checked);
}

} // namespace
