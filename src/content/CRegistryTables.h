#pragma once

#include "content/LoadTypes.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

class CDynamicLoad;
class CLoadWorker;
class CMimeObject;

// A match score from 0 (no match) to 100; the highest wins, the first of equal
// scores wins, and 0 never wins.
using Matcher = std::function<int(std::string_view)>;

Matcher PrefixMatcher(std::string prefix); // case-insensitive, 100 or 0
Matcher ExactMatcher(std::string text);    // case-insensitive, 100 or 0

// A scheme's row: the worker it makes reads the request from the load.
struct ProtocolEntry {
    Matcher matcher;
    std::function<std::unique_ptr<CLoadWorker>(CDynamicLoad& load)> creator;
    std::string displayName;
};

struct ContentTypeEntry {
    Matcher matcher;
    std::function<std::unique_ptr<CMimeObject>(const std::string& url,
                                               const std::string& contentType)>
        creator;
    uint32_t caps = 0;
    std::string acceptText;
};

// A row's place in its table for as long as the handle lives: rows are
// registered while the program starts and leave the table with their handle.
template <class Entry> class CTable;

template <class Entry> class CRegistration {
public:
    CRegistration() = default;
    CRegistration(CTable<Entry>* table, typename std::list<Entry>::iterator position)
        : m_table(table), m_position(position) {}
    CRegistration(CRegistration&& other) noexcept { *this = std::move(other); }
    CRegistration& operator=(CRegistration&& other) noexcept;
    ~CRegistration() { Reset(); }
    void Reset();

private:
    CTable<Entry>* m_table = nullptr;
    typename std::list<Entry>::iterator m_position;
};

// A list of rows that every registration pushes on the front, so that it runs
// in reverse order of registration. Rows are read by worker threads (type
// selection) but only changed while no load runs: at start-up and at exit.
template <class Entry> class CTable {
public:
    [[nodiscard]] CRegistration<Entry> Register(Entry entry) {
        m_entries.push_front(std::move(entry));
        return CRegistration<Entry>(this, m_entries.begin());
    }
    void Remove(typename std::list<Entry>::iterator position) { m_entries.erase(position); }

    // The best row for text among those that pass filter, or null.
    template <class Filter> const Entry* Best(std::string_view text, Filter filter) const {
        const Entry* best = nullptr;
        int bestScore = 0;
        for (const Entry& entry : m_entries) {
            if (!filter(entry))
                continue;
            int score = entry.matcher(text);
            if (score > bestScore) {
                best = &entry;
                bestScore = score;
            }
        }
        return best;
    }
    const Entry* Best(std::string_view text) const {
        return Best(text, [](const Entry&) { return true; });
    }

    const std::list<Entry>& Entries() const { return m_entries; }

private:
    std::list<Entry> m_entries;
};

template <class Entry>
CRegistration<Entry>& CRegistration<Entry>::operator=(CRegistration&& other) noexcept {
    if (this != &other) {
        Reset();
        m_table = std::exchange(other.m_table, nullptr);
        m_position = other.m_position;
    }
    return *this;
}

template <class Entry> void CRegistration<Entry>::Reset() {
    if (m_table)
        m_table->Remove(m_position);
    m_table = nullptr;
}

using ProtocolRegistration = CRegistration<ProtocolEntry>;
using ContentTypeRegistration = CRegistration<ContentTypeEntry>;

CTable<ProtocolEntry>& ProtocolTable();
CTable<ContentTypeEntry>& ContentTypeTable();

// The best content type row whose capabilities include every required bit.
const ContentTypeEntry* FindContentType(std::string_view contentType, uint32_t requiredCaps);

// The Accept header's value: every row's accept text, in table order.
std::string AcceptHeaderValue();
