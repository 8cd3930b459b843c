#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Only a broken test waits this long.
constexpr int kClientMilliseconds = 20000;

} // namespace

LoopbackServer::LoopbackServer(bool ipv6, int backlog) {
    listening = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (ipv6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_loopback;
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof v4;
    }
    EXPECT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(::listen(listening, backlog), 0);
    EXPECT_EQ(getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length), 0);
    portNumber = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                            : reinterpret_cast<sockaddr_in&>(address).sin_port);
}

LoopbackServer::~LoopbackServer() {
    hangUp();
    stopListening();
}

void LoopbackServer::accept() {
    hangUp();
    pollfd waiting{listening, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, kClientMilliseconds), 1) << "no client came";
    client = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(client, 0);
}

Bytes LoopbackServer::receive(std::size_t count) {
    Bytes received;
    while (received.size() < count) {
        pollfd waiting{client, POLLIN, 0};
        if (::poll(&waiting, 1, kClientMilliseconds) != 1)
            break;
        std::uint8_t block[256];
        const ssize_t got = ::read(client, block, sizeof block);
        if (got <= 0)
            break;
        received.insert(received.end(), block, block + got);
    }
    EXPECT_GE(received.size(), count) << "the client sent less";
    return received;
}

void LoopbackServer::send(const Bytes& bytes) {
    ASSERT_EQ(::write(client, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

void LoopbackServer::hangUp() {
    if (client >= 0)
        ::close(client);
    client = -1;
}

void LoopbackServer::stopListening() {
    if (listening >= 0)
        ::close(listening);
    listening = -1;
}
