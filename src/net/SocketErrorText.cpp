#include "net/SocketErrorText.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/WsaErrors.h"

#include <algorithm>
#include <span>

namespace {

struct CodeText {
    int code;
    unsigned stringId;
};

constexpr CodeText kLookupStart[] = {
    {Wsa::WouldBlock, StringId::AsyncCannotBeScheduled},
    {Wsa::InProgress, StringId::BlockingCallInProgress},
    {Wsa::NetworkDown, StringId::NetworkSubsystemFailed},
    {Wsa::NotInitialised, StringId::SocketsNotInitialized},
};

constexpr CodeText kLookupReply[] = {
    {Wsa::NetworkDown, StringId::NetworkSubsystemFailed},
    {Wsa::NoBuffers, StringId::LookupNoBufferSpace},
    {Wsa::HostNotFound, StringId::HostNotFound},
    {Wsa::TryAgain, StringId::LookupTryAgain},
    {Wsa::NoRecovery, StringId::LookupNonRecoverable},
    {Wsa::NoData, StringId::DnsServerNotFound},
};

// Holds every code of the "refused at once" table too, with the same texts,
// so one table serves a connect that fails at once and one that fails later
// (loopback refusals arrive at once here, later on the original platform).
constexpr CodeText kConnect[] = {
    {Wsa::Fault, StringId::BadNameLength},
    {Wsa::InvalidArgument, StringId::ConnectSocketNotBound},
    {Wsa::TooManyFiles, StringId::NoFileDescriptors},
    {Wsa::WouldBlock, StringId::AsyncCannotBeScheduled},
    {Wsa::InProgress, StringId::BlockingCallInProgress},
    {Wsa::NotSocket, StringId::NotASocket},
    {Wsa::FamilyNotSupported, StringId::AddressFamilyUnsupported},
    {Wsa::AddressInUse, StringId::AddressInUse},
    {Wsa::AddressNotAvailable, StringId::AddressNotAvailable},
    {Wsa::NetworkDown, StringId::NetworkSubsystemFailed},
    {Wsa::NetworkUnreachable, StringId::NetworkUnreachable},
    {Wsa::NoBuffers, StringId::ConnectNoBufferSpace},
    {Wsa::IsConnected, StringId::AlreadyConnected},
    {Wsa::TimedOut, StringId::ConnectTimedOut},
    {Wsa::ConnectionRefused, StringId::ConnectionRefused},
    {Wsa::NotInitialised, StringId::SocketsNotInitialized},
};

constexpr CodeText kTransfer[] = {
    {Wsa::AccessDenied, StringId::BroadcastNotPermitted},
    {Wsa::Fault, StringId::BadBufferAddress},
    {Wsa::InvalidArgument, StringId::TransferSocketNotBound},
    {Wsa::WouldBlock, StringId::AsyncCannotBeScheduled},
    {Wsa::InProgress, StringId::BlockingCallInProgress},
    {Wsa::NotSocket, StringId::NotASocket},
    {Wsa::MessageSize, StringId::DatagramTooLarge},
    {Wsa::OperationNotSupported, StringId::OutOfBandUnsupported},
    {Wsa::NetworkDown, StringId::NetworkSubsystemFailed},
    {Wsa::NetworkReset, StringId::ConnectionDropped},
    {Wsa::ConnectionAborted, StringId::ConnectionAborted},
    {Wsa::ConnectionReset, StringId::ConnectionReset},
    {Wsa::NoBuffers, StringId::BufferDeadlock},
    {Wsa::NotConnected, StringId::NotConnected},
    {Wsa::Shutdown, StringId::SocketShutDown},
    {Wsa::NotInitialised, StringId::SocketsNotInitialized},
};

std::string TextFor(std::span<const CodeText> table, int code, const char* unknownFormat) {
    auto found = std::find_if(table.begin(), table.end(),
                              [code](const CodeText& entry) { return entry.code == code; });
    if (found != table.end())
        return std::string(LoadString(found->stringId));
    return FormatText(unknownFormat, {code});
}

} // namespace

std::string LookupStartErrorText(int code) {
    return TextFor(kLookupStart, code, "Unknown DNS error %d");
}

std::string LookupErrorText(int code) {
    return TextFor(kLookupReply, code, "Unknown DNS error %d");
}

std::string ConnectErrorText(int code) {
    return TextFor(kConnect, code, "Unknown connect error %d");
}

std::string TransferErrorText(int code) {
    return TextFor(kTransfer, code, "Unknown send error %d");
}

std::string SilenceErrorText(CNetSocket::Direction direction, std::chrono::milliseconds limit) {
    // Limits are whole seconds in use; tests shorten them below a second.
    std::string span;
    if (limit.count() % 1000 != 0)
        span = FormatText("%ld milliseconds", {static_cast<long>(limit.count())});
    else if (limit.count() == 1000)
        span = "1 second";
    else
        span = FormatText("%ld seconds", {static_cast<long>(limit.count() / 1000)});
    return direction == CNetSocket::Direction::Readable ? "The host sent nothing for " + span + "."
                                                        : "The host took no data for " + span + ".";
}
