#include "ui/headless/CHeadlessInput.h"

#include <cerrno>
#include <poll.h>

void CHeadlessInput::Queue(std::function<void()> input, Kind kind) {
    m_script.push_back(
        {std::move(input), kind == Kind::Idle ? Dispatched::Idle : Dispatched::NotIdle});
}

void CHeadlessInput::QueueQuit() {
    m_script.push_back({nullptr, Dispatched::Quit});
}

bool CHeadlessInput::InputPending() {
    return !m_script.empty();
}

void CHeadlessInput::Wait(int wakeFd, int timeoutMs) {
    if (InputPending())
        return;
    pollfd watched{wakeFd, POLLIN, 0};
    while (poll(&watched, 1, timeoutMs) < 0 && errno == EINTR) {
    }
}

CInputSource::Dispatched CHeadlessInput::DispatchOne() {
    if (m_script.empty())
        return Dispatched::Nothing;
    Entry entry = std::move(m_script.front());
    m_script.pop_front();
    if (entry.run)
        entry.run();
    return entry.kind;
}
