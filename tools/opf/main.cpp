// vestrial-opf: writes an object property file, the file a page's embed
// element names to place a control.

#include "OpfWriter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

const char kUsage[] = "usage: vestrial-opf OUT.opf --class {CLSID} [options]\n"
                      "\n"
                      "Header texts (each becomes a stream of \"Header Section\"):\n"
                      "  --browser-version TEXT   --company TEXT          --description TEXT\n"
                      "  --copyright TEXT         --trademarks TEXT       --product-name TEXT\n"
                      "  --product-version TEXT   --filename-url URL      --license-url URL\n"
                      "  --width PIXELS           --height PIXELS         --compressed\n"
                      "The control's saved properties (streams of \"Object Property Section\"):\n"
                      "  --property NAME=VALUE    --property-file NAME=PATH\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "vestrial-opf: %s\n\n%s", message.c_str(), kUsage);
    return 2;
}

bool SplitAssignment(const std::string& text, std::string& name, std::string& value) {
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    COpfContents contents;
    const std::map<std::string, std::optional<std::string> COpfContents::*> texts = {
        {"--browser-version", &COpfContents::browserVersion},
        {"--company", &COpfContents::companyName},
        {"--description", &COpfContents::fileDescription},
        {"--copyright", &COpfContents::legalCopyright},
        {"--trademarks", &COpfContents::legalTrademarks},
        {"--product-name", &COpfContents::productName},
        {"--product-version", &COpfContents::productVersion},
        {"--filename-url", &COpfContents::filenameUrl},
        {"--license-url", &COpfContents::licenseUrl},
        {"--width", &COpfContents::width},
        {"--height", &COpfContents::height},
    };
    std::string output;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == "--compressed") {
            contents.isCompressed = "TRUE";
            continue;
        }
        if (option.rfind("--", 0) != 0) {
            if (!output.empty())
                return Fail("more than one output file");
            output = option;
            continue;
        }
        if (i + 1 >= argc)
            return Fail(option + " needs a value");
        std::string value = argv[++i];
        std::string name, bytes;
        if (option == "--class") {
            contents.classId = value;
        } else if (auto text = texts.find(option); text != texts.end()) {
            contents.*(text->second) = value;
        } else if (option == "--property") {
            if (!SplitAssignment(value, name, bytes))
                return Fail("--property needs NAME=VALUE");
            contents.properties.emplace_back(name, bytes);
        } else if (option == "--property-file") {
            if (!SplitAssignment(value, name, bytes))
                return Fail("--property-file needs NAME=PATH");
            std::ifstream in(bytes, std::ios::binary);
            if (!in)
                return Fail("cannot read " + bytes);
            contents.properties.emplace_back(name,
                                             std::string(std::istreambuf_iterator<char>(in), {}));
        } else {
            return Fail("unknown option " + option);
        }
    }
    if (output.empty())
        return Fail("no output file");
    if (contents.classId.empty())
        return Fail("no --class");
    std::string error;
    auto bytes = WriteObjectPropertyFile(contents, error);
    if (!bytes)
        return Fail(error);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()),
              static_cast<std::streamsize>(bytes->size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vestrial-opf: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
