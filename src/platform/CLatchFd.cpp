#include "platform/CLatchFd.h"

#include "platform/Verify.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

CLatchFd::CLatchFd() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    VERIFY(m_fd >= 0);
}

CLatchFd::~CLatchFd() {
    close(m_fd);
}

void CLatchFd::Set() {
    // Nobody ever reads the counter, so it stays above zero and readable.
    uint64_t one = 1;
    while (write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool CLatchFd::IsSet() const {
    pollfd entry{m_fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&entry, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready > 0 && (entry.revents & POLLIN);
}
