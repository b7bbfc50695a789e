// Parses a few megabytes of old-style pages the way a load delivers them, in
// 8 KB blocks, and compares the rate with libxml2's HTML parser (xmllint
// --html --noout) on the very same bytes, measured in the same run.
// Target: at least 5 times libxml2's rate.

#include "html/CHtmlObject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kTargetBytes = 6 * 1024 * 1024;
constexpr size_t kBlock = 8192;
constexpr int kRuns = 5;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Pages whose frame set ends the document would let the parser skip the rest.
bool EndsEarly(const std::string& page) {
    std::string lower = page;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    return lower.find("<frameset") != std::string::npos;
}

// Repeats the corpus, varying numbers and words so no two copies are alike.
std::string BuildCorpus() {
    std::vector<std::string> pages;
    for (const auto& entry : std::filesystem::directory_iterator(VESTRIAL_HTML_CORPUS)) {
        std::string page = ReadFile(entry.path());
        if (entry.path().extension() == ".html" && !EndsEarly(page))
            pages.push_back(std::move(page));
    }
    std::sort(pages.begin(), pages.end());
    std::string corpus;
    for (size_t copy = 0; corpus.size() < kTargetBytes && !pages.empty(); ++copy) {
        std::string page = pages[copy % pages.size()];
        for (char& c : page)
            if (c >= '0' && c <= '9')
                c = static_cast<char>('0' + (c - '0' + copy) % 10);
        corpus += "<!-- copy " + std::to_string(copy) + " -->\n" + page;
    }
    return corpus;
}

double OurSeconds(const std::string& corpus) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        CHtmlObject object("http://bench/page.html", "text/html");
        for (size_t at = 0; at < corpus.size(); at += kBlock)
            (void)object.Write(corpus.data() + at, std::min(kBlock, corpus.size() - at));
        (void)object.EndOfData();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

double XmllintSeconds(const std::string& path) {
    std::string command = "xmllint --html --noout '" + path + "' >/dev/null 2>&1";
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        int status = std::system(command.c_str());
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (status == -1 || WEXITSTATUS(status) == 127)
            return -1;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main() {
    std::string corpus = BuildCorpus();
    if (corpus.empty()) {
        std::fprintf(stderr, "html_bench: no corpus pages in %s\n", VESTRIAL_HTML_CORPUS);
        return 1;
    }
    auto path = std::filesystem::temp_directory_path() / "vestrial_html_bench.html";
    std::ofstream(path, std::ios::binary) << corpus;
    double megabytes = static_cast<double>(corpus.size()) / (1024.0 * 1024.0);
    double ours = OurSeconds(corpus);
    double theirs = XmllintSeconds(path.string());
    std::filesystem::remove(path);
    std::printf("corpus: %.2f MB, best of %d runs each\n", megabytes, kRuns);
    std::printf("vestrial tokenizer+dispatcher: %8.1f MB/s\n", megabytes / ours);
    if (theirs < 0) {
        std::printf("xmllint not found (install libxml2-utils)\n");
        return 1;
    }
    std::printf("libxml2 (xmllint --html):      %8.1f MB/s\n", megabytes / theirs);
    double ratio = theirs / ours;
    std::printf("ratio: %.1fx (target >= 5x) %s\n", ratio, ratio >= 5 ? "MET" : "NOT MET");
    return 0;
}
