#include "platform/WsaErrors.h"

#include <cerrno>
#include <netdb.h>

int WsaFromErrno(int error) {
    switch (error) {
    case EINTR:
        return Wsa::Interrupted;
    case EACCES:
    case EPERM:
        return Wsa::AccessDenied;
    case EFAULT:
        return Wsa::Fault;
    case EINVAL:
        return Wsa::InvalidArgument;
    case EMFILE:
    case ENFILE:
        return Wsa::TooManyFiles;
    case EAGAIN:
    case EINPROGRESS:
        return Wsa::WouldBlock;
    case EALREADY:
        return Wsa::Already;
    case ENOTSOCK:
    case EBADF:
        return Wsa::NotSocket;
    case EMSGSIZE:
        return Wsa::MessageSize;
    case EOPNOTSUPP:
        return Wsa::OperationNotSupported;
    case EAFNOSUPPORT:
        return Wsa::FamilyNotSupported;
    case EADDRINUSE:
        return Wsa::AddressInUse;
    case EADDRNOTAVAIL:
        return Wsa::AddressNotAvailable;
    case ENETDOWN:
        return Wsa::NetworkDown;
    case ENETUNREACH:
        return Wsa::NetworkUnreachable;
    case ENETRESET:
        return Wsa::NetworkReset;
    case ECONNABORTED:
        return Wsa::ConnectionAborted;
    // Writing to a connection the peer has reset is what the other system
    // reports as a reset, not as a broken pipe.
    case ECONNRESET:
    case EPIPE:
        return Wsa::ConnectionReset;
    case ENOBUFS:
    case ENOMEM:
        return Wsa::NoBuffers;
    case EISCONN:
        return Wsa::IsConnected;
    case ENOTCONN:
        return Wsa::NotConnected;
    case ESHUTDOWN:
        return Wsa::Shutdown;
    case ETIMEDOUT:
        return Wsa::TimedOut;
    case ECONNREFUSED:
        return Wsa::ConnectionRefused;
    case EHOSTDOWN:
        return Wsa::HostDown;
    case EHOSTUNREACH:
        return Wsa::HostUnreachable;
    default:
        return error;
    }
}

int WsaFromLookupError(int eaiError) {
    switch (eaiError) {
    case EAI_NONAME:
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        // The name exists in no form we can connect to.
        return Wsa::HostNotFound;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return Wsa::NoData;
#endif
    case EAI_AGAIN:
        return Wsa::TryAgain;
    case EAI_MEMORY:
        return Wsa::NoBuffers;
    case EAI_SYSTEM:
        return errno == ENOMEM ? Wsa::NoBuffers : Wsa::NoRecovery;
    default:
        return Wsa::NoRecovery;
    }
}
