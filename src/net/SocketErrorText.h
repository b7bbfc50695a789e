#pragma once

#include "platform/CNetSocket.h"

#include <chrono>
#include <string>

// The user's text for a socket error number (platform/WsaErrors.h), by the
// operation that met it. The same number may read differently per operation
// (10055 is "buffer space" for a lookup or connect, "buffer deadlock" for a
// transfer), and numbers a table does not list read "Unknown ... %d".

// The lookup could not even be started.
[[nodiscard]] std::string LookupStartErrorText(int code);
// The lookup's answer carried an error.
[[nodiscard]] std::string LookupErrorText(int code);
// Connecting failed, at once or when the handshake ended.
[[nodiscard]] std::string ConnectErrorText(int code);
// A send or receive failed.
[[nodiscard]] std::string TransferErrorText(int code);
// A connection that stayed silent past the limit: nothing came in (Readable)
// or nothing more was taken (Writable).
[[nodiscard]] std::string SilenceErrorText(CNetSocket::Direction direction,
                                           std::chrono::milliseconds limit);
