#include "device/NetworkConnection.h"

#include "device/PortError.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// A server that stops answering is given up after about 25 seconds of silence, and data it does
// not acknowledge within 20 seconds ends the connection.
constexpr int kKeepAliveIdle = 10;
constexpr int kKeepAliveInterval = 5;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedTimeout = 20000;

std::string systemReason(int errorNumber) {
    std::string text = std::strerror(errorNumber);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// "5 s", or "250 ms" for a time of no whole seconds.
std::string durationText(std::chrono::milliseconds time) {
    return time.count() % 1000 == 0 ? std::to_string(time.count() / 1000) + " s"
                                    : std::to_string(time.count()) + " ms";
}

void watch(int waiter, int descriptor, std::uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = descriptor;
    epoll_ctl(waiter, EPOLL_CTL_ADD, descriptor, &event);
}

void setOption(int socket, int level, int name, int value) {
    setsockopt(socket, level, name, &value, sizeof value);
}

} // namespace

NetworkConnection::Opening::Opening(const NetworkAddress& address,
                                    std::chrono::milliseconds connectTime)
    : lookup(address.host, address.port)
    , waiter(epoll_create1(EPOLL_CLOEXEC))
    , timer(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    itimerspec time{};
    time.it_value.tv_sec = connectTime.count() / 1000;
    time.it_value.tv_nsec = connectTime.count() % 1000 * 1000000;
    timerfd_settime(timer, 0, &time, nullptr);
    watch(waiter, timer, EPOLLIN);
    watch(waiter, lookup.descriptor(), EPOLLIN);
}

NetworkConnection::Opening::~Opening() {
    ::close(timer);
    ::close(waiter);
}

NetworkConnection::~NetworkConnection() {
    close();
}

void NetworkConnection::open() {
    close();
    opening.emplace(address, connectTime);
    if (opening->waiter < 0 || opening->timer < 0)
        fail(systemReason(errno));
    proceed();
}

void NetworkConnection::proceed() {
    if (!opening)
        return;
    if (socket < 0) {
        if (!opening->lookup.finished())
            return;
        opening->addresses = opening->lookup.addresses();
        if (opening->addresses.empty())
            fail(opening->lookup.failure());
        // Its end stays readable: from now on only the connection and the time wake the driver.
        epoll_ctl(opening->waiter, EPOLL_CTL_DEL, opening->lookup.descriptor(), nullptr);
        connectNext();
    } else {
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            opening->lastFailure = systemReason(error);
            ::close(socket);
            socket = -1;
            connectNext();
        } else {
            sockaddr_storage peer{};
            socklen_t peerLength = sizeof peer;
            if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
                opening.reset();
                return;
            }
        }
    }
    std::uint64_t expired = 0;
    if (opening && ::read(opening->timer, &expired, sizeof expired) > 0)
        fail("no answer within " + durationText(connectTime));
}

void NetworkConnection::connectNext() {
    while (opening->next < opening->addresses.size()) {
        const HostLookup::Address& target = opening->addresses[opening->next++];
        socket = ::socket(target.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket < 0) {
            opening->lastFailure = systemReason(errno);
            continue;
        }
        setOption(socket, SOL_SOCKET, SO_KEEPALIVE, 1);
        setOption(socket, IPPROTO_TCP, TCP_KEEPIDLE, kKeepAliveIdle);
        setOption(socket, IPPROTO_TCP, TCP_KEEPINTVL, kKeepAliveInterval);
        setOption(socket, IPPROTO_TCP, TCP_KEEPCNT, kKeepAliveProbes);
        setOption(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, kUnacknowledgedTimeout);
        // Frames are small and each waits for its answer.
        setOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&target.address), target.length) ==
            0) {
            opening.reset();
            return;
        }
        if (errno == EINPROGRESS) {
            watch(opening->waiter, socket, EPOLLOUT);
            return;
        }
        opening->lastFailure = systemReason(errno);
        ::close(socket);
        socket = -1;
    }
    fail(opening->lastFailure);
}

void NetworkConnection::fail(std::string detail) {
    close();
    const std::string name = address.name();
    throw PortError(name, "could not connect to " + address.hostAndPort() + ": " + detail);
}

void NetworkConnection::close() {
    opening.reset();
    if (socket >= 0)
        ::close(socket);
    socket = -1;
    ended = false;
}

int NetworkConnection::descriptor() const {
    return opening ? opening->waiter : socket;
}

std::size_t NetworkConnection::read(std::span<std::uint8_t> destination) {
    if (socket < 0 || opening || ended || destination.empty())
        return 0;
    const ssize_t count = ::recv(socket, destination.data(), destination.size(), 0);
    if (count > 0)
        return static_cast<std::size_t>(count);
    if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        ended = true;
    return 0;
}

std::size_t NetworkConnection::write(std::span<const std::uint8_t> bytes) {
    if (socket < 0 || opening || ended || bytes.empty())
        return 0;
    // A failed send leaves the end to read(): what the server said before it went is still
    // waiting there, and the poll reports the hang-up.
    const ssize_t count = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}
