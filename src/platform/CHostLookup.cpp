#include "platform/CHostLookup.h"

#include "platform/CNetSocket.h"
#include "platform/WsaErrors.h"

#include <arpa/inet.h>
#include <system_error>

CHostLookup::CHostLookup(const std::string& host) : m_shared(std::make_shared<Shared>()) {
    std::shared_ptr<CHostResolver> resolver = CurrentHostResolver();
    in_addr numeric{};
    // inet_aton accepts exactly what the original's inet_addr took as an
    // address (dotted quads and their shorter forms).
    const bool dotted = inet_aton(host.c_str(), &numeric) != 0;
    try {
        m_thread = std::thread([shared = m_shared, resolver, host, dotted, numeric] {
            HostAnswer answer = dotted ? resolver->ByAddress(numeric) : resolver->ByName(host);
            {
                CMutexGuard guard(shared->mutex);
                shared->answer = std::move(answer);
            }
            shared->done.Set();
        });
    } catch (const std::system_error&) {
        m_startError = Wsa::WouldBlock;
    }
}

CHostLookup::~CHostLookup() {
    if (!m_thread.joinable())
        return;
    // A finished helper is joined; one still inside the name service is left
    // to end by itself, holding the shared block alive until it does.
    if (m_shared->done.IsSet())
        m_thread.join();
    else
        m_thread.detach();
}

bool CHostLookup::Wait(const CLatchFd& cancel) {
    return WaitForLatch(m_shared->done, cancel);
}

HostAnswer CHostLookup::TakeAnswer() {
    CMutexGuard guard(m_shared->mutex);
    return std::move(m_shared->answer);
}
