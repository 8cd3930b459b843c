#include "device/LineStream.h"

#include "device/NetworkAddress.h"
#include "device/SerialStream.h"
#include "device/TcpStream.h"
#include "device/TelnetStream.h"

std::unique_ptr<LineStream> makeLineStream(const std::string& name) {
    const std::optional<NetworkAddress> address = NetworkAddress::of(name);
    if (!address)
        return std::make_unique<SerialStream>(name);
    if (address->protocol == NetworkAddress::Protocol::Rfc2217)
        return std::make_unique<TelnetStream>(*address);
    return std::make_unique<TcpStream>(*address);
}
