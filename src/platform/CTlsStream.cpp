#include "platform/CTlsStream.h"

#include "platform/CLateLibrary.h"
#include "platform/WsaErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace {

// The TLS library is loaded by the first secure connection; a page that never
// makes one never pays for it. These are the functions this file calls,
// directly or through the library's macros (SSL_CTX_set_mode, for one, is a
// call of SSL_CTX_ctrl).
#define TLS_FUNCTIONS(X)                                                                           \
    X(BIO_clear_flags)                                                                             \
    X(BIO_get_data)                                                                                \
    X(BIO_get_new_index)                                                                           \
    X(BIO_meth_free)                                                                               \
    X(BIO_meth_new)                                                                                \
    X(BIO_meth_set_ctrl)                                                                           \
    X(BIO_meth_set_read)                                                                           \
    X(BIO_meth_set_write)                                                                          \
    X(BIO_new)                                                                                     \
    X(BIO_set_data)                                                                                \
    X(BIO_set_flags)                                                                               \
    X(BIO_set_init)                                                                                \
    X(ERR_clear_error)                                                                             \
    X(ERR_error_string_n)                                                                          \
    X(ERR_peek_error)                                                                              \
    X(ERR_reason_error_string)                                                                     \
    X(SSL_CTX_ctrl)                                                                                \
    X(SSL_CTX_free)                                                                                \
    X(SSL_CTX_new)                                                                                 \
    X(SSL_CTX_set_default_verify_paths)                                                            \
    X(SSL_CTX_set_options)                                                                         \
    X(SSL_CTX_set_verify)                                                                          \
    X(SSL_ctrl)                                                                                    \
    X(SSL_do_handshake)                                                                            \
    X(SSL_free)                                                                                    \
    X(SSL_get_error)                                                                               \
    X(SSL_get_verify_result)                                                                       \
    X(SSL_has_pending)                                                                             \
    X(SSL_new)                                                                                     \
    X(SSL_read_ex)                                                                                 \
    X(SSL_set1_host)                                                                               \
    X(SSL_set_bio)                                                                                 \
    X(SSL_set_connect_state)                                                                       \
    X(SSL_set_hostflags)                                                                           \
    X(SSL_write_ex)                                                                                \
    X(TLS_client_method)                                                                           \
    X(X509_verify_cert_error_string)

VESTRIAL_LATE_LIBRARY(VESTRIAL_LIBSSL, TLS_FUNCTIONS)

// From here on the library's names are its loaded functions.
#define BIO_clear_flags g_late.BIO_clear_flags
#define BIO_get_data g_late.BIO_get_data
#define BIO_get_new_index g_late.BIO_get_new_index
#define BIO_meth_free g_late.BIO_meth_free
#define BIO_meth_new g_late.BIO_meth_new
#define BIO_meth_set_ctrl g_late.BIO_meth_set_ctrl
#define BIO_meth_set_read g_late.BIO_meth_set_read
#define BIO_meth_set_write g_late.BIO_meth_set_write
#define BIO_new g_late.BIO_new
#define BIO_set_data g_late.BIO_set_data
#define BIO_set_flags g_late.BIO_set_flags
#define BIO_set_init g_late.BIO_set_init
#define ERR_clear_error g_late.ERR_clear_error
#define ERR_error_string_n g_late.ERR_error_string_n
#define ERR_peek_error g_late.ERR_peek_error
#define ERR_reason_error_string g_late.ERR_reason_error_string
#define SSL_CTX_ctrl g_late.SSL_CTX_ctrl
#define SSL_CTX_free g_late.SSL_CTX_free
#define SSL_CTX_new g_late.SSL_CTX_new
#define SSL_CTX_set_default_verify_paths g_late.SSL_CTX_set_default_verify_paths
#define SSL_CTX_set_options g_late.SSL_CTX_set_options
#define SSL_CTX_set_verify g_late.SSL_CTX_set_verify
#define SSL_ctrl g_late.SSL_ctrl
#define SSL_do_handshake g_late.SSL_do_handshake
#define SSL_free g_late.SSL_free
#define SSL_get_error g_late.SSL_get_error
#define SSL_get_verify_result g_late.SSL_get_verify_result
#define SSL_has_pending g_late.SSL_has_pending
#define SSL_new g_late.SSL_new
#define SSL_read_ex g_late.SSL_read_ex
#define SSL_set1_host g_late.SSL_set1_host
#define SSL_set_bio g_late.SSL_set_bio
#define SSL_set_connect_state g_late.SSL_set_connect_state
#define SSL_set_hostflags g_late.SSL_set_hostflags
#define SSL_write_ex g_late.SSL_write_ex
#define TLS_client_method g_late.TLS_client_method
#define X509_verify_cert_error_string g_late.X509_verify_cert_error_string

// What the session's descriptor met on its last read or write. The library
// only knows that a call failed; the reason is read back from here.
struct Channel {
    int fd = -1;
    bool atEnd = false;
    int lastErrno = 0;
};

Channel& ChannelOf(BIO* bio) {
    return *static_cast<Channel*>(BIO_get_data(bio));
}

// The library's own socket channel writes with write(2), which raises SIGPIPE
// when the peer has gone; this one sends as every other socket of the program
// does, so a vanished server is an error and never a signal.
int ChannelWrite(BIO* bio, const char* data, int size) {
    Channel& channel = ChannelOf(bio);
    BIO_clear_retry_flags(bio);
    for (;;) {
        ssize_t sent = send(channel.fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_write(bio);
        else
            channel.lastErrno = errno;
        return -1;
    }
}

int ChannelRead(BIO* bio, char* buffer, int size) {
    Channel& channel = ChannelOf(bio);
    BIO_clear_retry_flags(bio);
    for (;;) {
        ssize_t got = recv(channel.fd, buffer, static_cast<size_t>(size), 0);
        if (got > 0)
            return static_cast<int>(got);
        if (got == 0) {
            channel.atEnd = true;
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_read(bio);
        else
            channel.lastErrno = errno;
        return -1;
    }
}

long ChannelControl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1; // nothing is buffered here
    case BIO_CTRL_EOF:
        return ChannelOf(bio).atEnd ? 1 : 0;
    default:
        return 0;
    }
}

struct MethodDeleter {
    void operator()(BIO_METHOD* method) const { BIO_meth_free(method); }
};
struct ContextDeleter {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

const BIO_METHOD* ChannelMethod() {
    static const std::unique_ptr<BIO_METHOD, MethodDeleter> method = [] {
        BIO_METHOD* made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "vestrial socket");
        if (made) {
            BIO_meth_set_write(made, ChannelWrite);
            BIO_meth_set_read(made, ChannelRead);
            BIO_meth_set_ctrl(made, ChannelControl);
        }
        return std::unique_ptr<BIO_METHOD, MethodDeleter>(made);
    }();
    return method.get();
}

SSL_CTX* MakeContext() {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context)
        return nullptr;
    const bool configured = SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) == 1 &&
                            SSL_CTX_set_max_proto_version(context, TLS1_3_VERSION) == 1;
    if (!configured) {
        SSL_CTX_free(context);
        return nullptr;
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // Reads the environment's SSL_CERT_FILE and SSL_CERT_DIR, else the
    // system's store. A store that cannot be read trusts nobody, which fails
    // every handshake: there is no way on without verification.
    (void)SSL_CTX_set_default_verify_paths(context);
    // HTTP/1.0 ends a body by closing the connection, and many servers close
    // without the TLS farewell; the content length, where there is one, is
    // what tells a cut transfer from a whole one.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Whole socket reads instead of one per record header and one per body.
    SSL_CTX_set_read_ahead(context, 1);
    return context;
}

// One context for the whole process: it holds the parsed trust store, and
// sessions are made from it on any thread.
SSL_CTX* SharedContext() {
    static const std::unique_ptr<SSL_CTX, ContextDeleter> context(MakeContext());
    return context.get();
}

bool IsAddress(const std::string& host) {
    unsigned char scratch[16];
    return inet_pton(AF_INET, host.c_str(), scratch) == 1 ||
           inet_pton(AF_INET6, host.c_str(), scratch) == 1;
}

// The library's words for the oldest error it has queued on this thread.
std::string LibraryReason() {
    const unsigned long code = ERR_peek_error();
    if (code == 0)
        return "unknown error";
    if (const char* reason = ERR_reason_error_string(code))
        return reason;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

struct CTlsStream::Session {
    Channel channel;
    SSL* ssl = nullptr;

    ~Session() {
        // The channel does not close the descriptor; its owner does.
        if (ssl)
            SSL_free(ssl);
    }
};

CTlsStream::CTlsStream(int fd, const std::string& host) : m_session(std::make_unique<Session>()) {
    m_session->channel.fd = fd;
    if (const CLateLibrary& library = LateLibrary(); !library.IsLoaded()) {
        (void)Fail(Failure::Handshake, "TLS is not available: " + library.Error());
        return;
    }
    ERR_clear_error();
    // An empty name would switch the name check off.
    if (host.empty()) {
        (void)Fail(Failure::Handshake, "There is no host name to check the certificate against.");
        return;
    }
    SSL_CTX* context = SharedContext();
    const BIO_METHOD* method = ChannelMethod();
    SSL* ssl = context && method ? SSL_new(context) : nullptr;
    if (!ssl) {
        (void)Fail(Failure::Handshake, LibraryReason());
        return;
    }
    m_session->ssl = ssl;
    BIO* bio = BIO_new(method);
    if (!bio) {
        (void)Fail(Failure::Handshake, LibraryReason());
        return;
    }
    BIO_set_data(bio, &m_session->channel);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl, bio, bio);
    SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    // An address is checked against the certificate's addresses; a name is
    // also sent, so that a server with several names picks the right one.
    bool named = SSL_set1_host(ssl, host.c_str()) == 1;
    if (named && !IsAddress(host))
        named = SSL_set_tlsext_host_name(ssl, host.c_str()) == 1;
    if (!named) {
        (void)Fail(Failure::Handshake, LibraryReason());
        return;
    }
    SSL_set_connect_state(ssl);
}

CTlsStream::~CTlsStream() = default;

CTlsStream::Step CTlsStream::Fail(Failure failure, std::string reason, int socketError) {
    m_failure = failure;
    m_reason = std::move(reason);
    m_socketError = socketError;
    return {Progress::Failed, 0};
}

CTlsStream::Step CTlsStream::Handshake() {
    if (m_failure != Failure::None)
        return {Progress::Failed, 0};
    ERR_clear_error();
    m_session->channel.lastErrno = 0;
    return Outcome(SSL_do_handshake(m_session->ssl), 0, Phase::Handshake);
}

CTlsStream::Step CTlsStream::Read(char* buffer, size_t capacity) {
    if (m_failure != Failure::None)
        return {Progress::Failed, 0};
    SSL* ssl = m_session->ssl;
    ERR_clear_error();
    m_session->channel.lastErrno = 0;
    size_t count = 0;
    int ok = SSL_read_ex(ssl, buffer, capacity, &count);
    if (ok != 1)
        return Outcome(ok, 0, Phase::Transfer);
    // Records the library has already read from the socket come along, so a
    // fast transfer costs one call per buffer rather than one per record. A
    // failure among them waits for the next call; what came before it counts.
    while (count < capacity && SSL_has_pending(ssl)) {
        size_t more = 0;
        ERR_clear_error();
        m_session->channel.lastErrno = 0;
        ok = SSL_read_ex(ssl, buffer + count, capacity - count, &more);
        if (ok != 1) {
            (void)Outcome(ok, 0, Phase::Transfer);
            break;
        }
        count += more;
    }
    return {Progress::Done, count};
}

CTlsStream::Step CTlsStream::Write(const char* data, size_t count) {
    if (m_failure != Failure::None)
        return {Progress::Failed, 0};
    ERR_clear_error();
    m_session->channel.lastErrno = 0;
    size_t written = 0;
    int ok = SSL_write_ex(m_session->ssl, data, count, &written);
    if (ok != 1)
        return Outcome(ok, 0, Phase::Transfer);
    return {Progress::Done, written};
}

CTlsStream::Step CTlsStream::Outcome(int ok, size_t count, Phase phase) {
    if (ok == 1)
        return {Progress::Done, count};
    const Failure failure = phase == Phase::Handshake ? Failure::Handshake : Failure::Transfer;
    switch (SSL_get_error(m_session->ssl, ok)) {
    case SSL_ERROR_WANT_READ:
        return {Progress::WantRead, 0};
    case SSL_ERROR_WANT_WRITE:
        return {Progress::WantWrite, 0};
    case SSL_ERROR_ZERO_RETURN:
        if (phase == Phase::Transfer)
            return {Progress::Done, 0};
        return Fail(failure, "The server closed the connection during the handshake.");
    case SSL_ERROR_SYSCALL:
        if (ERR_peek_error() != 0)
            break;
        if (int error = m_session->channel.lastErrno; error != 0)
            return Fail(failure, "", WsaFromErrno(error));
        if (phase == Phase::Transfer)
            return {Progress::Done, 0};
        return Fail(failure, "The server closed the connection during the handshake.");
    case SSL_ERROR_SSL:
        if (phase == Phase::Handshake) {
            ExplainHandshakeFailure();
            return {Progress::Failed, 0};
        }
        break;
    default:
        break;
    }
    return Fail(failure, LibraryReason());
}

void CTlsStream::ExplainHandshakeFailure() {
    const long verdict = SSL_get_verify_result(m_session->ssl);
    const char* words = X509_verify_cert_error_string(verdict);
    switch (verdict) {
    case X509_V_OK:
        (void)Fail(Failure::Handshake, LibraryReason());
        return;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        (void)Fail(Failure::NameMismatch, words);
        return;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        (void)Fail(Failure::Expired, words);
        return;
    default:
        (void)Fail(Failure::Untrusted, words);
        return;
    }
}
