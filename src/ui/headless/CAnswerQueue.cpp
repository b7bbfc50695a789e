#include "ui/headless/CAnswerQueue.h"

#include <algorithm>

void CAnswerQueue::Push(std::string_view kind, Answer answer) {
    m_entries.push_back({std::string(kind), std::move(answer)});
}

std::optional<CAnswerQueue::Answer> CAnswerQueue::Take(std::string_view kind) {
    auto found = std::ranges::find(m_entries, kind, &Entry::kind);
    if (found == m_entries.end())
        return std::nullopt;
    Answer answer = std::move(found->answer);
    m_entries.erase(found);
    return answer;
}

size_t CAnswerQueue::Count(std::string_view kind) const {
    return static_cast<size_t>(std::ranges::count(m_entries, kind, &Entry::kind));
}
