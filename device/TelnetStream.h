#pragma once

#include "device/LineStream.h"
#include "device/NetworkConnection.h"
#include "device/ServerRefusal.h"
#include "device/TelnetComPort.h"

#include <optional>

// A port of a serial device server over Telnet with the COM-PORT-OPTION (`rfc2217://HOST:PORT`):
// the server's port is set to the line's baud rate and 8N1 as a local port is.
class TelnetStream : public LineStream {
public:
    // What waits for the socket beyond this takes no more data until it has gone.
    static constexpr std::size_t kHeldOutput = 4096;

    explicit TelnetStream(NetworkAddress address)
        : connection(std::move(address)) {}

    void open(std::uint32_t baudRate) override;
    bool opening() const override { return connection.connecting(); }
    void proceed() override { connection.proceed(); }
    void close() override;
    bool isOpen() const override { return connection.isOpen(); }
    int descriptor() const override { return connection.descriptor(); }
    std::size_t read(std::span<std::uint8_t> destination) override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool holdsOutput() const override { return telnet && !telnet->output().empty(); }
    bool hungUp() const override { return connection.hungUp(); }
    std::string refusal() const override { return firstWords.refusal(connection.hungUp()); }

private:
    void sendHeld();

    NetworkConnection connection;
    std::optional<TelnetComPort> telnet;
    ServerRefusal firstWords;
};
