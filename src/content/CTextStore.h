#pragma once

#include "platform/CSemLock.h"
#include "platform/CStringArena.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the text store and the record pools get their 4096-byte pages: from
// slabs that double in size, so a long page costs few allocations. Pages live
// until Clear or the end of their owner.
class CPageSlabs {
public:
    static constexpr size_t PageSize = 4096;

    CPageSlabs() = default;
    CPageSlabs(const CPageSlabs&) = delete;
    CPageSlabs& operator=(const CPageSlabs&) = delete;

    [[nodiscard]] std::byte* NextPage();
    void Clear();

private:
    struct FreeSlab {
        void operator()(std::byte* slab) const;
    };
    std::vector<std::unique_ptr<std::byte, FreeSlab>> m_slabs;
    size_t m_slabSize = 0; // bytes in the last slab
    size_t m_used = 0;     // bytes of it handed out
};

// A document's characters, shared between the parser that appends them and
// the layout and view that read them while parsing goes on. Text is only ever
// appended, so an offset handed out once stays valid for the life of the
// document. Copying the handle shares the body; the last handle frees it.
// Readers take no lock: the length is published after the characters and
// pages below it, and the index of pages never moves (a long page is read
// once per text element and once per text item drawn).
class CTextStore {
public:
    static constexpr size_t PageSize = 4096;

    CTextStore();
    CTextStore(const CTextStore&) = default;
    CTextStore& operator=(const CTextStore&) = default;
    CTextStore(CTextStore&&) noexcept = default;
    CTextStore& operator=(CTextStore&&) noexcept = default;
    ~CTextStore() = default;

    [[nodiscard]] uint32_t Length() const;
    void Append(char c);
    // Answers the offset of the first character appended.
    uint32_t Append(const char* bytes, size_t count);
    // Characters [offset, offset + count) clipped to what is stored.
    [[nodiscard]] std::string Copy(uint32_t offset, uint32_t count) const;
    // The same characters as a view of the store itself when they lie in one
    // of its pages (they never change: text is only appended), else nothing.
    // The view lives as long as the store's body.
    [[nodiscard]] std::optional<std::string_view> View(uint32_t offset, uint32_t count) const;
    // A copy of a string that belongs to the document beside its text (a
    // link's address): it lives as long as the body, so whoever holds a
    // handle may keep views of it. The document's one writer only.
    std::string_view Keep(std::string_view text) { return m_body->strings.Keep(text); }
    // The page addresses that links within the page ("#part") follow. Such a
    // link keeps only its fragment and the number of its page address, not
    // the whole address again: a long manual has thousands of them. Kept
    // like Keep's strings; the last one is answered again while it is the
    // same. 0 when base is empty or MaxLinkBases are taken (the link then
    // keeps its whole address). The document's one writer only.
    static constexpr uint16_t MaxLinkBases = 16;
    [[nodiscard]] uint16_t KeepLinkBase(std::string_view base);
    // The page address numbered so, "" for 0. Any thread, for a number read
    // from a record published after it was kept.
    [[nodiscard]] std::string_view LinkBase(uint16_t number) const {
        return number ? (*m_body->linkBases)[number - 1] : std::string_view();
    }
    // Number of handles sharing this body.
    [[nodiscard]] long References() const { return m_body.use_count(); }

private:
    // Pages are found through a directory of tables of page addresses: both
    // levels stay where they are made, so a reader needs no lock to follow
    // them. 1024 tables of 1024 pages of 4096 bytes cover every 32-bit offset.
    // The directory is made with the first page: a store that never holds
    // text (a picture's) costs no directory.
    static constexpr size_t TablePages = 1024;
    static constexpr size_t Tables = (size_t{UINT32_MAX} / PageSize + TablePages) / TablePages;
    using PageTable = std::array<char*, TablePages>;
    using Directory = std::array<std::unique_ptr<PageTable>, Tables>;
    struct Body {
        mutable CSemLock lock; // between writers
        CPageSlabs slabs GUARDED_BY(lock);
        std::unique_ptr<Directory> directory;
        size_t pageCount GUARDED_BY(lock) = 0;
        size_t free GUARDED_BY(lock) = 0;
        // Written under the lock after what it covers; read without it.
        std::atomic<uint32_t> length{0};
        // One writer; readers only hold views handed to them through records
        // published under their owner's lock.
        CStringArena strings;
        // Made with the first; written before any record that names them.
        std::unique_ptr<std::array<std::string_view, MaxLinkBases>> linkBases;
        uint16_t linkBaseCount = 0;

        [[nodiscard]] char* Page(size_t index) const {
            return (*(*directory)[index / TablePages])[index % TablePages];
        }
    };
    std::shared_ptr<Body> m_body;
};
