#pragma once

#include <optional>
#include <string>

// A port of a serial device server as a port's name gives it: `rfc2217://bench3:4001`,
// `tcp://10.0.0.7:4002`, `rfc2217://[fe80::1]:4001`.
struct NetworkAddress {
    enum class Protocol { Rfc2217, Tcp };

    Protocol protocol = Protocol::Tcp;
    std::string host; // without the brackets of an IPv6 address
    std::string port;

    // The address a name gives; none when the name is no network port's. Throws PortError for a
    // network port's name without a host or a port number from 1 to 65535.
    static std::optional<NetworkAddress> of(const std::string& name);
    // "bench3:4001", "[::1]:4001": how messages name the server.
    std::string hostAndPort() const;
    // The name it was read from, as stored: "rfc2217://bench3:4001".
    std::string name() const;
};
