#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How a bookmark file read ended.
enum class BookmarkLoadResult {
    Loaded,
    // The file could not be opened: the list is empty, and nobody is told.
    Missing,
    // The file is damaged or cut short: the entries read before the damage
    // are kept.
    Damaged,
};

// Writes size bytes of data to the descriptor as write(2) does. Saving goes
// through one, so that a disk that fills up half-way can be staged.
using BookmarkWriteFunction = std::function<long(int fd, const char* data, size_t size)>;

// The hotlist: pairs of a title and a URL in the user's order, kept as two
// arrays of equal length. One lives in the application; the edit dialog
// works on a copy.
class CBookmarkList {
public:
    // The file's name in the bookmark directory.
    static constexpr std::string_view FileName = "bookmark.dat";
    // The file is written through a buffer of this size.
    static constexpr size_t WriteChunk = 512;

    void Add(std::string title, std::string url);
    void RemoveAt(size_t index);
    void SetAt(size_t index, std::string title, std::string url);
    // Entry index changes places with the one before (after) it.
    void MoveUp(size_t index);
    void MoveDown(size_t index);
    [[nodiscard]] size_t GetCount() const { return m_titles.size(); }
    [[nodiscard]] const std::string& GetTitle(size_t index) const;
    [[nodiscard]] const std::string& GetUrl(size_t index) const;
    void CopyFrom(const CBookmarkList& other);
    bool operator==(const CBookmarkList&) const = default;

    // Empties the list and reads the file's bytes into it.
    BookmarkLoadResult LoadFrom(std::span<const uint8_t> bytes);
    // The file's bytes for this list (empty when a string is too long for
    // the file's 32-bit lengths).
    [[nodiscard]] std::vector<uint8_t> Serialise() const;

    // Reads path; the list stays empty when it cannot be opened.
    BookmarkLoadResult Load(const std::string& path);
    // Replaces path by a file of this list, or leaves it as it was: the new
    // file is written beside it, flushed to disk and renamed over it, so a
    // crash or a full disk never leaves half a file. False when it could not
    // be written.
    [[nodiscard]] bool Save(const std::string& path, const BookmarkWriteFunction& write = {}) const;

private:
    std::vector<std::string> m_titles;
    std::vector<std::string> m_urls;
};
