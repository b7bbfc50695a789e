#include "platform/CUiLoop.h"

#include "platform/CMessageQueue.h"
#include "platform/CNamedEvent.h"
#include "platform/CWakeFd.h"

CUiLoop::CUiLoop(CInputSource& input, IdleHandler idle, int idleTimeoutMs)
    : m_input(input), m_idle(std::move(idle)), m_idleTimeoutMs(idleTimeoutMs) {}

int CUiLoop::Run() {
    for (;;) {
        switch (Wait()) {
        case Outcome::Input:
            if (!PumpInput())
                return m_exitCode;
            if (m_idleOn && !AnyInputQueued())
                m_idleOn = m_idle(m_idleCount++);
            break;
        case Outcome::Event:
            m_idleOn = true;
            m_idleCount = 1;
            m_idleOn = m_idle(0);
            break;
        case Outcome::Timeout:
            m_idleOn = true;
            m_idleCount = 0;
            RunIdleWhileQuiet();
            break;
        }
    }
}

CUiLoop::Outcome CUiLoop::Wait() {
    // First look without waiting; only when nothing is ready wait for the
    // doorbell, input or the idle timeout.
    for (int timeout : {0, m_idleTimeoutMs}) {
        if (timeout > 0)
            m_input.Wait(UiWake().Fd(), timeout);
        // Drain before looking: a ring after this point leaves the bell set,
        // and the state it announces was stored before it rang.
        UiWake().Drain();
        if (ServiceFirstSignalledEvent())
            return Outcome::Event;
        if (AnyInputQueued())
            return Outcome::Input;
    }
    return Outcome::Timeout;
}

bool CUiLoop::ServiceFirstSignalledEvent() {
    for (CNamedEvent* event : NamedEvents()) {
        if (event->IsSignalled()) {
            event->Service();
            return true;
        }
    }
    return false;
}

bool CUiLoop::AnyEventSignalled() const {
    for (CNamedEvent* event : NamedEvents())
        if (event->IsSignalled())
            return true;
    return false;
}

bool CUiLoop::AnyInputQueued() {
    return !UiMessageQueue().Empty() || m_input.InputPending();
}

bool CUiLoop::PumpInput() {
    for (int i = 0; i < MaxMessagesPerPump; ++i) {
        CInputSource::Dispatched result;
        // Posted messages go before input, as they did on the original platform.
        if (auto message = UiMessageQueue().Take()) {
            if (message->quit) {
                m_exitCode = message->exitCode;
                return false;
            }
            DispatchPostedMessage(*message);
            result = CInputSource::Dispatched::Idle;
        } else {
            result = m_input.DispatchOne();
        }
        if (result == CInputSource::Dispatched::Nothing)
            break;
        if (result == CInputSource::Dispatched::Quit)
            return false;
        if (result == CInputSource::Dispatched::Idle) {
            m_idleOn = true;
            m_idleCount = 0;
        }
    }
    return true;
}

void CUiLoop::RunIdleWhileQuiet() {
    while (!AnyInputQueued() && !AnyEventSignalled()) {
        if (!m_idle(m_idleCount++))
            break;
    }
}
