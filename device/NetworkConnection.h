#pragma once

#include "device/HostLookup.h"
#include "device/NetworkAddress.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A TCP connection to a serial device server, made without waiting: the host's name is looked up
// and the connection made while the driver waits on descriptor(), which also wakes it once the
// time for connecting is up. Keep-alive finds a server that is gone without closing.
class NetworkConnection {
public:
    // How long the lookup and the connection may take together, unless told otherwise.
    static constexpr std::chrono::seconds kConnectTime{5};

    explicit NetworkConnection(NetworkAddress address,
                               std::chrono::milliseconds connectTime = kConnectTime)
        : address(std::move(address))
        , connectTime(connectTime) {}
    ~NetworkConnection();
    NetworkConnection(const NetworkConnection&) = delete;
    NetworkConnection& operator=(const NetworkConnection&) = delete;

    // Begins to connect; throws PortError when it cannot even begin.
    void open();
    bool connecting() const { return opening.has_value(); }
    // Goes on connecting as far as it goes without waiting; throws PortError ("could not connect
    // to bench3:4001: connection refused") when it failed or the time is up, closed then.
    void proceed();
    void close();
    bool isOpen() const { return socket >= 0 || opening.has_value(); }
    // While connecting, one that wakes for the lookup, the connection and the time running out.
    int descriptor() const;

    std::size_t read(std::span<std::uint8_t> destination);
    std::size_t write(std::span<const std::uint8_t> bytes);
    // The server ended the connection, or the network lost it.
    bool hungUp() const { return ended; }

    const NetworkAddress& server() const { return address; }

private:
    struct Opening {
        Opening(const NetworkAddress& address, std::chrono::milliseconds connectTime);
        ~Opening();
        Opening(const Opening&) = delete;
        Opening& operator=(const Opening&) = delete;

        HostLookup lookup;
        int waiter = -1; // epoll: the lookup, the socket being connected, the timer
        int timer = -1;
        std::vector<HostLookup::Address> addresses;
        std::size_t next = 0; // the address to try next
        std::string lastFailure;
    };

    // Tries the addresses left in turn until one connects or is under way.
    void connectNext();
    // Takes detail by value: it may live in what closing ends.
    [[noreturn]] void fail(std::string detail);

    NetworkAddress address;
    std::chrono::milliseconds connectTime;
    std::optional<Opening> opening;
    int socket = -1;
    bool ended = false;
};
