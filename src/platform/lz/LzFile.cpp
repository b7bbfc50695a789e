#include "platform/lz/LzFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

CLzExpander::Status Expand(std::FILE* in, std::FILE* out, uint64_t limit) {
    CLzExpander expander(
        [out](const uint8_t* data, size_t size) { return std::fwrite(data, 1, size, out) == size; },
        limit);
    uint8_t buffer[65536];
    for (;;) {
        size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got == 0)
            break;
        if (expander.Write(buffer, got) == CLzExpander::Status::Failed)
            return CLzExpander::Status::Failed;
    }
    if (std::ferror(in))
        return CLzExpander::Status::Failed;
    return expander.Finish();
}

} // namespace

std::string OcxNameFor(const std::string& path) {
    return std::filesystem::path(path).replace_extension(".ocx").string();
}

bool ExpandLzFile(const std::string& source, const std::string& target, uint64_t limit) {
    FilePtr in(std::fopen(source.c_str(), "rb"));
    if (!in)
        return false;
    const std::string partial = target + ".partial";
    FilePtr out(std::fopen(partial.c_str(), "wb"));
    if (!out)
        return false;
    bool ok = Expand(in.get(), out.get(), limit) == CLzExpander::Status::Complete;
    ok = std::fclose(out.release()) == 0 && ok;
    std::error_code error;
    if (ok)
        std::filesystem::rename(partial, target, error);
    if (!ok || error) {
        std::filesystem::remove(partial, error);
        return false;
    }
    return true;
}
