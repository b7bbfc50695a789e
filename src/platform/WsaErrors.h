#pragma once

// The error numbers of the socket interface the engine was written against.
// The platform maps errno and name-lookup failures onto them, so that the
// socket layer's tables of user texts, keyed by these numbers, apply as they
// stand.
namespace Wsa {
inline constexpr int Interrupted = 10004; // the blocking call was cancelled
inline constexpr int AccessDenied = 10013;
inline constexpr int Fault = 10014;
inline constexpr int InvalidArgument = 10022;
inline constexpr int TooManyFiles = 10024;
inline constexpr int WouldBlock = 10035;
inline constexpr int InProgress = 10036;
inline constexpr int Already = 10037;
inline constexpr int NotSocket = 10038;
inline constexpr int MessageSize = 10040;
inline constexpr int OperationNotSupported = 10045;
inline constexpr int FamilyNotSupported = 10047;
inline constexpr int AddressInUse = 10048;
inline constexpr int AddressNotAvailable = 10049;
inline constexpr int NetworkDown = 10050;
inline constexpr int NetworkUnreachable = 10051;
inline constexpr int NetworkReset = 10052;
inline constexpr int ConnectionAborted = 10053;
inline constexpr int ConnectionReset = 10054;
inline constexpr int NoBuffers = 10055;
inline constexpr int IsConnected = 10056;
inline constexpr int NotConnected = 10057;
inline constexpr int Shutdown = 10058;
inline constexpr int TimedOut = 10060;
inline constexpr int ConnectionRefused = 10061;
inline constexpr int HostDown = 10064;
inline constexpr int HostUnreachable = 10065;
inline constexpr int NotInitialised = 10093;
inline constexpr int HostNotFound = 11001;
inline constexpr int TryAgain = 11002;
inline constexpr int NoRecovery = 11003;
inline constexpr int NoData = 11004;
} // namespace Wsa

// The socket interface's number for an errno value; a value it has no
// counterpart for comes back unchanged, to be shown as an unknown error.
[[nodiscard]] int WsaFromErrno(int error);
// The number for a getaddrinfo/getnameinfo failure (an EAI_ value).
[[nodiscard]] int WsaFromLookupError(int eaiError);
