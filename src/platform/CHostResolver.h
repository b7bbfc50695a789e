#pragma once

#include <memory>
#include <netinet/in.h>
#include <string>
#include <vector>

// What a host lookup found: the addresses, or the socket interface's error
// number (WsaErrors.h) and no address.
struct HostAnswer {
    int error = 0;
    std::vector<in_addr> addresses;
};

// Turns host names and addresses into IPv4 addresses. Both calls may block for
// as long as the name service takes; CHostLookup runs them on a helper thread.
class CHostResolver {
public:
    virtual ~CHostResolver() = default;
    [[nodiscard]] virtual HostAnswer ByName(const std::string& name) = 0;
    // The original platform confirmed a numeric address by its reverse name
    // before connecting to it; an address without one is "not found".
    [[nodiscard]] virtual HostAnswer ByAddress(in_addr address) = 0;
};

// The resolver every new lookup uses: the system's name service unless one
// has been put in its place (tests use that to script answers without any
// name server).
[[nodiscard]] std::shared_ptr<CHostResolver> CurrentHostResolver();
// Null goes back to the system's resolver.
void SetHostResolver(std::shared_ptr<CHostResolver> resolver);
