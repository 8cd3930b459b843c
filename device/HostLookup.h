#pragma once

#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

// The socket addresses of a host and port, looked up without waiting: a numeric address at once,
// a host name on a thread of its own, whose end makes descriptor() readable. A lookup given up
// (the object gone) finishes on its thread and is then forgotten.
class HostLookup {
public:
    struct Address {
        sockaddr_storage address{};
        socklen_t length = 0;
        int family = 0;
    };

    HostLookup(const std::string& host, const std::string& port);

    // Readable once the lookup has ended.
    int descriptor() const;
    bool finished() const;
    // Once finished: the addresses found, or why there are none ("unknown host").
    std::vector<Address> addresses() const;
    std::string failure() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
};
