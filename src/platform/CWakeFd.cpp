#include "platform/CWakeFd.h"

#include "platform/Verify.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

CWakeFd::CWakeFd() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    VERIFY(m_fd >= 0);
}

CWakeFd::~CWakeFd() {
    close(m_fd);
}

void CWakeFd::Ring() {
    uint64_t one = 1;
    // EAGAIN means the counter is saturated, which still leaves it readable.
    while (write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void CWakeFd::Drain() {
    uint64_t value;
    while (read(m_fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

CWakeFd& UiWake() {
    static CWakeFd wake;
    return wake;
}
