#include "platform/CMessageQueue.h"

#include "platform/CWakeFd.h"

void CMessageQueue::Post(const CPostedMessage& message) {
    {
        CMutexGuard lock(m_mutex);
        m_messages.push_back(message);
    }
    UiWake().Ring();
}

std::optional<CPostedMessage> CMessageQueue::Take() {
    CMutexGuard lock(m_mutex);
    if (m_messages.empty())
        return std::nullopt;
    CPostedMessage message = m_messages.front();
    m_messages.pop_front();
    return message;
}

bool CMessageQueue::Empty() const {
    CMutexGuard lock(m_mutex);
    return m_messages.empty();
}

CMessageQueue& UiMessageQueue() {
    static CMessageQueue queue;
    return queue;
}

void PostMessage(TargetHandle target, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    UiMessageQueue().Post({target, message, wParam, lParam, false, 0});
}

void PostQuitMessage(int exitCode) {
    CPostedMessage quit;
    quit.quit = true;
    quit.exitCode = exitCode;
    UiMessageQueue().Post(quit);
}

void DispatchPostedMessage(const CPostedMessage& message) {
    if (CMessageTarget* target = CMessageTarget::FromHandle(message.target))
        target->OnMessage(message.message, message.wParam, message.lParam);
}
