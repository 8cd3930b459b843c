#include "device/NetworkAddress.h"

#include "device/PortError.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct Scheme {
    std::string_view prefix;
    NetworkAddress::Protocol protocol;
};

constexpr std::array<Scheme, 2> kSchemes{{
    {"rfc2217://", NetworkAddress::Protocol::Rfc2217},
    {"tcp://", NetworkAddress::Protocol::Tcp},
}};

bool isPortNumber(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int number = std::stoi(std::string(text));
    return number >= 1 && number <= 65535;
}

} // namespace

std::optional<NetworkAddress> NetworkAddress::of(const std::string& name) {
    const auto scheme = std::ranges::find_if(
        kSchemes, [&name](const Scheme& s) { return name.starts_with(s.prefix); });
    if (scheme == kSchemes.end())
        return std::nullopt;
    const std::string_view rest = std::string_view(name).substr(scheme->prefix.size());
    const std::size_t colon = rest.rfind(':');
    std::string_view host = colon == std::string_view::npos ? rest : rest.substr(0, colon);
    const std::string_view port =
        colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    else if (host.find_first_of("[]:/") != std::string_view::npos)
        host = {};
    if (host.empty() || !isPortNumber(port))
        throw PortError(name, name + ": not a network port (HOST:PORT, an IPv6 address in "
                                     "brackets, a port number from 1 to 65535)");
    return NetworkAddress{scheme->protocol, std::string(host), std::string(port)};
}

std::string NetworkAddress::hostAndPort() const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + port;
}

std::string NetworkAddress::name() const {
    const auto scheme = std::ranges::find(kSchemes, protocol, &Scheme::protocol);
    return std::string(scheme->prefix) + hostAndPort();
}
