#include "device/TelnetStream.h"

#include <algorithm>
#include <vector>

void TelnetStream::open(std::uint32_t baudRate) {
    firstWords.clear();
    telnet.emplace(baudRate);
    connection.open();
}

void TelnetStream::close() {
    connection.close();
    telnet.reset();
}

std::size_t TelnetStream::read(std::span<std::uint8_t> destination) {
    if (!telnet)
        return 0;
    std::vector<std::uint8_t> raw(destination.size());
    raw.resize(connection.read(raw));
    // The data is never longer than what carried it.
    std::vector<std::uint8_t> data;
    telnet->received(raw, data);
    firstWords.arrived(data);
    std::ranges::copy(data, destination.begin());
    return data.size();
}

std::size_t TelnetStream::write(std::span<const std::uint8_t> bytes) {
    if (!telnet || opening())
        return 0;
    sendHeld();
    if (telnet->output().size() >= kHeldOutput)
        return 0;
    telnet->send(bytes);
    sendHeld();
    return bytes.size();
}

void TelnetStream::sendHeld() {
    telnet->drop(connection.write(telnet->output()));
}
