#include "net/CNullSocket.h"

#include "net/SocketErrorText.h"
#include "platform/CHostLookup.h"
#include "platform/CStringTable.h"
#include "platform/WsaErrors.h"

#include <utility>

namespace {

// A scratch read of DrainInput.
constexpr size_t DrainBlock = 1024;

} // namespace

CNullSocket::~CNullSocket() {
    // Owners Close before they let go; the descriptor itself is released by
    // its own holder in any case, so a forgotten Close leaks nothing.
}

SocketResult CNullSocket::Fail(std::string text) {
    CSemLockGuard guard(m_lock);
    m_errorText = std::move(text);
    return SocketResult::Failed;
}

std::string CNullSocket::GetErrorText() {
    CSemLockGuard guard(m_lock);
    return m_errorText;
}

void CNullSocket::Cancel() {
    CSemLockGuard guard(m_lock);
    m_cancelled.Set();
}

void CNullSocket::Close() {
    CNetSocket socket;
    std::unique_ptr<CTlsStream> tls;
    {
        CSemLockGuard guard(m_lock);
        socket = std::move(m_socket);
        tls = std::move(m_tls);
    }
    // Both go here, outside the lock: the session first, since it speaks over
    // the descriptor.
    tls.reset();
}

SocketResult CNullSocket::Connect(const std::string& host, uint16_t port) {
    // A cancel that came first ends the connect before any lookup starts.
    if (m_cancelled.IsSet())
        return SocketResult::Cancelled;
    in_addr address{};
    if (SocketResult looked = Lookup(host, address); looked != SocketResult::Done)
        return looked;
    return ConnectTo(address, port);
}

SocketResult CNullSocket::Lookup(const std::string& host, in_addr& address) {
    CHostLookup lookup(host);
    if (int error = lookup.StartError(); error != 0)
        return Fail(LookupStartErrorText(error));
    if (!lookup.Wait(m_cancelled))
        return SocketResult::Cancelled;
    HostAnswer answer = lookup.TakeAnswer();
    if (answer.error != 0)
        return Fail(LookupErrorText(answer.error));
    if (answer.addresses.empty())
        return Fail(LookupErrorText(Wsa::NoData));
    address = answer.addresses.front();
    return SocketResult::Done;
}

SocketResult CNullSocket::ConnectTo(in_addr address, uint16_t port) {
    int error = 0;
    CNetSocket created = CNetSocket::CreateStream(error);
    if (!created.IsValid())
        return Fail(FormatText("Create socket failed (error %d)", {error}));
    // The original bound to any address and port 0 first, which is what
    // connect does by itself here.
    error = created.Connect(address, port);
    {
        CSemLockGuard guard(m_lock);
        m_socket = std::move(created);
    }
    if (error == Wsa::WouldBlock) {
        if (Wait(CNetSocket::Direction::Writable) == CNetSocket::WaitOutcome::Cancelled)
            return SocketResult::Cancelled;
        error = m_socket.PendingError();
    }
    if (error == Wsa::Interrupted)
        return SocketResult::Cancelled;
    if (error != 0)
        return Fail(ConnectErrorText(error));
    return SocketResult::Done;
}

CNetSocket::WaitOutcome CNullSocket::Wait(CNetSocket::Direction direction) {
    return m_socket.Wait(direction, m_cancelled);
}

SocketResult CNullSocket::TransferFailure(int error) {
    if (error == Wsa::Interrupted)
        return SocketResult::Cancelled;
    return Fail(TransferErrorText(error));
}

SocketResult CNullSocket::Send(const char* data, size_t count) {
    if (m_tls)
        return SendTls(data, count);
    while (count > 0) {
        CNetSocket::IoResult sent = m_socket.Send(data, count);
        if (sent.error == 0 && sent.count > 0) {
            data += sent.count;
            count -= sent.count;
            continue;
        }
        if (sent.error != Wsa::WouldBlock)
            return TransferFailure(sent.error);
        if (Wait(CNetSocket::Direction::Writable) == CNetSocket::WaitOutcome::Cancelled)
            return SocketResult::Cancelled;
    }
    return SocketResult::Done;
}

SocketResult CNullSocket::SendLine(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    return Send(line.data(), line.size());
}

SocketResult CNullSocket::Receive(char* buffer, size_t capacity, size_t& count) {
    if (m_tls)
        return ReceiveTls(buffer, capacity, count);
    for (;;) {
        CNetSocket::IoResult got = m_socket.Receive(buffer, capacity);
        if (got.error == 0) {
            count = got.count;
            return SocketResult::Done;
        }
        if (got.error != Wsa::WouldBlock)
            return TransferFailure(got.error);
        if (Wait(CNetSocket::Direction::Readable) == CNetSocket::WaitOutcome::Cancelled)
            return SocketResult::Cancelled;
    }
}

SocketResult CNullSocket::ReadLine(std::string& line) {
    line.clear();
    bool sawCr = false;
    bool sawLf = false;
    // The line ends once both a CR and an LF have followed the last ordinary
    // byte, in either order.
    while (!(sawCr && sawLf)) {
        char byte;
        size_t count = 0;
        if (SocketResult result = Receive(&byte, 1, count); result != SocketResult::Done)
            return result;
        if (count == 0)
            return SocketResult::Cancelled;
        if (byte == '\n') {
            sawLf = true;
        } else if (byte == '\r') {
            sawCr = true;
        } else {
            sawCr = sawLf = false;
            line += byte;
        }
    }
    return SocketResult::Done;
}

SocketResult CNullSocket::SetNoDelay() {
    CSemLockGuard guard(m_lock);
    if (m_socket.IsValid())
        m_socket.SetNoDelay();
    return SocketResult::Done;
}

SocketResult CNullSocket::DrainInput() {
    char scratch[DrainBlock];
    while (m_socket.IsValid() && m_socket.PollReadable()) {
        CNetSocket::IoResult got = m_socket.Receive(scratch, sizeof scratch);
        if (got.error == Wsa::WouldBlock)
            return SocketResult::Done;
        // The caller reads the reason like that of any other failure.
        if (got.error != 0)
            return Fail(TransferErrorText(got.error));
        if (got.count == 0)
            return SocketResult::Done;
    }
    return SocketResult::Done;
}

SocketResult CNullSocket::StartTls(const std::string& host) {
    auto tls = std::make_unique<CTlsStream>(m_socket.Fd(), host);
    CTlsStream* session = tls.get();
    {
        CSemLockGuard guard(m_lock);
        m_tls = std::move(tls);
    }
    for (;;) {
        CTlsStream::Step step = session->Handshake();
        if (step.progress == CTlsStream::Progress::Done)
            return SocketResult::Done;
        if (step.progress == CTlsStream::Progress::Failed)
            return TlsFailure();
        if (SocketResult waited = WaitForTls(step.progress); waited != SocketResult::Done)
            return waited;
    }
}

CTlsStream::Failure CNullSocket::GetTlsFailure() {
    CSemLockGuard guard(m_lock);
    return m_tlsFailure;
}

SocketResult CNullSocket::WaitForTls(CTlsStream::Progress progress) {
    const auto direction = progress == CTlsStream::Progress::WantWrite
                               ? CNetSocket::Direction::Writable
                               : CNetSocket::Direction::Readable;
    return Wait(direction) == CNetSocket::WaitOutcome::Cancelled ? SocketResult::Cancelled
                                                                 : SocketResult::Done;
}

SocketResult CNullSocket::TlsFailure() {
    // A failure of the socket under the session reads as any transfer's;
    // the session's own failures in its own words.
    const int socketError = m_tls->SocketError();
    std::string text = socketError != 0 ? TransferErrorText(socketError) : m_tls->Reason();
    CSemLockGuard guard(m_lock);
    m_tlsFailure = m_tls->GetFailure();
    m_errorText = std::move(text);
    return SocketResult::Failed;
}

SocketResult CNullSocket::SendTls(const char* data, size_t count) {
    while (count > 0) {
        CTlsStream::Step step = m_tls->Write(data, count);
        if (step.progress == CTlsStream::Progress::Done) {
            data += step.count;
            count -= step.count;
            continue;
        }
        if (step.progress == CTlsStream::Progress::Failed)
            return TlsFailure();
        if (SocketResult waited = WaitForTls(step.progress); waited != SocketResult::Done)
            return waited;
    }
    return SocketResult::Done;
}

SocketResult CNullSocket::ReceiveTls(char* buffer, size_t capacity, size_t& count) {
    for (;;) {
        CTlsStream::Step step = m_tls->Read(buffer, capacity);
        if (step.progress == CTlsStream::Progress::Done) {
            count = step.count;
            return SocketResult::Done;
        }
        if (step.progress == CTlsStream::Progress::Failed)
            return TlsFailure();
        if (SocketResult waited = WaitForTls(step.progress); waited != SocketResult::Done)
            return waited;
    }
}
