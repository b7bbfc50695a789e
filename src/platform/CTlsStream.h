#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A TLS client session (versions 1.2 and 1.3) over a connected non-blocking
// descriptor. The server's certificate chain must lead to the system's trust
// store (SSL_CERT_FILE and SSL_CERT_DIR name another, as for every program
// using the library) and name the host; nothing turns either check off.
//
// No call ever waits: each one says what the descriptor must become before it
// is worth repeating, so that the caller's own wait, which also watches its
// cancel latch, is the only place a worker blocks. The TLS library is used
// here and nowhere else.
class CTlsStream {
public:
    enum class Progress {
        Done,      // finished; count says how much moved
        WantRead,  // call again once the descriptor is readable
        WantWrite, // call again once it is writable
        Failed,    // see GetFailure, Reason and SocketError
    };

    enum class Failure {
        None,
        Untrusted,    // the chain does not lead to a trusted authority
        NameMismatch, // the certificate is for another name
        Expired,      // the certificate (or one above it) has expired
        Handshake,    // anything else that ended the handshake
        Transfer,     // a failure after the handshake
    };

    struct Step {
        Progress progress = Progress::Done;
        // Bytes moved. A Read that is Done with 0 met the end of the stream:
        // the server closed, with or without saying so first.
        size_t count = 0;
    };

    // The descriptor stays its owner's: it must outlive this object and is
    // never closed here. The host is what the certificate must name, and
    // what the server is told it is being asked for (unless an address).
    CTlsStream(int fd, const std::string& host);
    ~CTlsStream();
    CTlsStream(const CTlsStream&) = delete;
    CTlsStream& operator=(const CTlsStream&) = delete;

    [[nodiscard]] Step Handshake();
    [[nodiscard]] Step Read(char* buffer, size_t capacity);
    [[nodiscard]] Step Write(const char* data, size_t count);

    // After Failed: which check failed, the reason in the library's words
    // (or ours), and the descriptor's own error as a socket interface number
    // when the failure was the descriptor's (0 otherwise).
    [[nodiscard]] Failure GetFailure() const { return m_failure; }
    [[nodiscard]] const std::string& Reason() const { return m_reason; }
    [[nodiscard]] int SocketError() const { return m_socketError; }

private:
    struct Session;
    enum class Phase { Handshake, Transfer };

    [[nodiscard]] Step Outcome(int ok, size_t count, Phase phase);
    [[nodiscard]] Step Fail(Failure failure, std::string reason, int socketError = 0);
    void ExplainHandshakeFailure();

    std::unique_ptr<Session> m_session;
    Failure m_failure = Failure::None;
    std::string m_reason;
    int m_socketError = 0;
};
