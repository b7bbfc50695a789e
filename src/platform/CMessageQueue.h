#pragma once

#include "platform/CMessageTarget.h"
#include "platform/CMutex.h"

#include <cstdint>
#include <deque>
#include <optional>

struct CPostedMessage {
    TargetHandle target = NoTarget;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool quit = false;
    int exitCode = 0;
};

// The UI thread's queue of posted messages. Posting works from any thread and
// rings the UI loop's doorbell.
class CMessageQueue {
public:
    void Post(const CPostedMessage& message);
    std::optional<CPostedMessage> Take();
    bool Empty() const;

private:
    mutable CMutex m_mutex;
    std::deque<CPostedMessage> m_messages GUARDED_BY(m_mutex);
};

CMessageQueue& UiMessageQueue();

// Any thread. A message to a target that no longer exists is dropped.
void PostMessage(TargetHandle target, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int exitCode);

// UI thread: hands a taken message to its target, if that still exists.
void DispatchPostedMessage(const CPostedMessage& message);
