#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Answers given ahead of the dialogs that will take them, the way a script
// says "answer no" before the command that brings a question up. Every
// dialog has a kind of its own ("question", "login", ...); each takes the
// oldest answer of its kind and leaves the others queued. An answer is a list
// of words whose meaning the dialog of that kind decides. UI thread only.
class CAnswerQueue {
public:
    using Answer = std::vector<std::string>;

    void Push(std::string_view kind, Answer answer);
    // The oldest answer of kind, removed from the queue; nothing when none is
    // queued.
    [[nodiscard]] std::optional<Answer> Take(std::string_view kind);
    [[nodiscard]] size_t Count(std::string_view kind) const;

private:
    struct Entry {
        std::string kind;
        Answer answer;
    };
    std::deque<Entry> m_entries;
};
