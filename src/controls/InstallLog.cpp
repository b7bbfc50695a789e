#include "controls/InstallLog.h"

#include "controls/CControlDescription.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool AppendInstallLog(const std::string& tempDirectory, const CControlDescription& d) {
    const std::string path = tempDirectory + "ocxlog.log";
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "ab"));
    if (!file)
        return false;
    // Written whole: a long value is not cut at a fixed buffer size.
    const std::pair<const char*, const std::string*> lines[] = {
        {"Product Name", &d.productName},
        {"Company Name", &d.companyName},
        {"File Description", &d.fileDescription},
        {"Legal Copyright", &d.legalCopyright},
        {"Legal Trademarks", &d.legalTrademarks},
        {"Product Version", &d.productVersion},
        {"HTTP Site", &d.filenameUrl},
    };
    std::string text;
    for (const auto& [name, value] : lines)
        text += std::string(name) + " = " + *value + " \r\n";
    text += "----------------------------------------------------------\r\n";
    return std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
           std::fclose(file.release()) == 0;
}
