#include "platform/CHostResolver.h"

#include "platform/CMutex.h"
#include "platform/WsaErrors.h"

#include <cstring>
#include <netdb.h>
#include <sys/socket.h>

namespace {

class CSystemResolver final : public CHostResolver {
public:
    HostAnswer ByName(const std::string& name) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (int error = getaddrinfo(name.c_str(), nullptr, &hints, &list); error != 0)
            return {WsaFromLookupError(error), {}};
        HostAnswer answer;
        for (const addrinfo* entry = list; entry; entry = entry->ai_next)
            if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in))
                answer.addresses.push_back(
                    reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
        freeaddrinfo(list);
        if (answer.addresses.empty())
            answer.error = Wsa::NoData;
        return answer;
    }

    HostAnswer ByAddress(in_addr address) override {
        sockaddr_in socketAddress{};
        socketAddress.sin_family = AF_INET;
        socketAddress.sin_addr = address;
        char name[NI_MAXHOST];
        int error = getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress),
                                sizeof socketAddress, name, sizeof name, nullptr, 0, NI_NAMEREQD);
        if (error != 0)
            return {WsaFromLookupError(error), {}};
        return {0, {address}};
    }
};

CMutex g_resolverMutex;
std::shared_ptr<CHostResolver> g_resolver GUARDED_BY(g_resolverMutex);

} // namespace

std::shared_ptr<CHostResolver> CurrentHostResolver() {
    static const std::shared_ptr<CHostResolver> system = std::make_shared<CSystemResolver>();
    CMutexGuard guard(g_resolverMutex);
    return g_resolver ? g_resolver : system;
}

void SetHostResolver(std::shared_ptr<CHostResolver> resolver) {
    CMutexGuard guard(g_resolverMutex);
    g_resolver = std::move(resolver);
}
