#pragma once

#include "net/CNullSocket.h"

#include <chrono>

// Shortens how long a connection may stay silent for one test, so that the
// limit's failures can be seen in a fraction of a second.
class ScopedSilenceLimit {
public:
    explicit ScopedSilenceLimit(std::chrono::milliseconds limit) {
        CNullSocket::SetSilenceLimit(limit);
    }
    ~ScopedSilenceLimit() { CNullSocket::SetSilenceLimit(CNullSocket::DefaultSilenceLimit); }
    ScopedSilenceLimit(const ScopedSilenceLimit&) = delete;
    ScopedSilenceLimit& operator=(const ScopedSilenceLimit&) = delete;
};
