#include "platform/version/ProductVersion.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

// Reads size bytes at offset, or says it cannot.
using ReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

constexpr uint32_t SectionTypeNote = 7;
constexpr char NoteOwner[] = "Vestrial"; // 9 bytes with its NUL
// Notes are small; a bigger note section is not searched.
constexpr uint64_t MaxNoteSection = 1 << 20;

struct ElfShape {
    bool is64;
    bool bigEndian;
    uint64_t shoff;
    uint32_t shentsize;
    uint32_t shnum;
};

uint64_t Field(const uint8_t* p, size_t size, bool bigEndian) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint64_t{p[bigEndian ? size - 1 - i : i]} << (8 * i);
    return value;
}

bool ReadShape(const ReadAt& read, ElfShape& shape) {
    uint8_t h[64];
    if (!read(0, h, 52) || std::memcmp(h,
                                       "\x7f"
                                       "ELF",
                                       4) != 0)
        return false;
    if ((h[4] != 1 && h[4] != 2) || (h[5] != 1 && h[5] != 2))
        return false;
    shape.is64 = h[4] == 2;
    shape.bigEndian = h[5] == 2;
    if (shape.is64 && !read(0, h, 64))
        return false;
    bool be = shape.bigEndian;
    shape.shoff = shape.is64 ? Field(h + 0x28, 8, be) : Field(h + 0x20, 4, be);
    shape.shentsize = static_cast<uint32_t>(Field(h + (shape.is64 ? 0x3A : 0x2E), 2, be));
    shape.shnum = static_cast<uint32_t>(Field(h + (shape.is64 ? 0x3C : 0x30), 2, be));
    return shape.shentsize >= (shape.is64 ? 64u : 40u);
}

// The version in one note section's bytes, or empty.
std::string FindInNotes(const std::vector<uint8_t>& notes, bool be, uint64_t align) {
    auto padded = [align](uint64_t n) { return (n + align - 1) / align * align; };
    uint64_t at = 0;
    while (notes.size() - at >= 12) {
        uint64_t namesz = Field(&notes[at], 4, be);
        uint64_t descsz = Field(&notes[at + 4], 4, be);
        uint64_t type = Field(&notes[at + 8], 4, be);
        uint64_t name = at + 12;
        if (padded(namesz) > notes.size() - name)
            return {};
        uint64_t desc = name + padded(namesz);
        if (padded(descsz) > notes.size() - desc)
            return {};
        if (type == ProductVersionNoteType && namesz == sizeof NoteOwner &&
            std::memcmp(&notes[name], NoteOwner, sizeof NoteOwner) == 0) {
            const char* text = reinterpret_cast<const char*>(&notes[desc]);
            size_t length = strnlen(text, descsz);
            // The text must end with its NUL inside the descriptor.
            if (length == descsz || length > MaxProductVersionLength)
                return {};
            return std::string(text, length);
        }
        at = desc + padded(descsz);
    }
    return {};
}

// fileSize bounds every section before its bytes are allocated: a damaged
// table of 65535 sections, each claiming the largest note, must not make
// that many large buffers.
std::string Read(const ReadAt& read, uint64_t fileSize) {
    ElfShape shape{};
    if (!ReadShape(read, shape))
        return {};
    const bool be = shape.bigEndian;
    for (uint32_t i = 0; i < shape.shnum; ++i) {
        uint8_t s[64];
        size_t entry = shape.is64 ? 64 : 40;
        if (!read(shape.shoff + uint64_t{i} * shape.shentsize, s, entry))
            return {};
        if (Field(s + 4, 4, be) != SectionTypeNote)
            continue;
        uint64_t offset = shape.is64 ? Field(s + 24, 8, be) : Field(s + 16, 4, be);
        uint64_t size = shape.is64 ? Field(s + 32, 8, be) : Field(s + 20, 4, be);
        uint64_t align = shape.is64 ? Field(s + 48, 8, be) : Field(s + 32, 4, be);
        if (size > MaxNoteSection || offset > fileSize || size > fileSize - offset)
            continue;
        std::vector<uint8_t> notes(size);
        if (!read(offset, notes.data(), notes.size()))
            continue;
        std::string version = FindInNotes(notes, be, align == 8 ? 8 : 4);
        if (!version.empty())
            return version;
    }
    return {};
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::string ProductVersionFromBytes(std::span<const uint8_t> file) {
    return Read(
        [file](uint64_t offset, void* buffer, size_t size) {
            if (offset > file.size() || size > file.size() - offset)
                return false;
            if (size == 0)
                return true;
            std::memcpy(buffer, file.data() + offset, size);
            return true;
        },
        file.size());
}

std::string ReadProductVersion(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    struct stat status;
    if (!file || fstat(fileno(file.get()), &status) != 0)
        return {};
    return Read(
        [&file](uint64_t offset, void* buffer, size_t size) {
            if (offset > static_cast<uint64_t>(INT64_MAX) ||
                fseeko(file.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
                return false;
            return std::fread(buffer, 1, size, file.get()) == size;
        },
        static_cast<uint64_t>(status.st_size));
}
